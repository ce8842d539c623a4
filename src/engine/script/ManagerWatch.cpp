#include "engine/script/ManagerWatch.h"

#include <charconv>
#include <cstdlib>
#include <unistd.h>

namespace vexora {

std::string managerProcessEntry()
{
    return std::string(kManagerProcessVariable) + "=" + std::to_string(::getpid());
}

std::function<bool()> managerGoneCheck()
{
    const char* value = std::getenv(std::string(kManagerProcessVariable).c_str());
    if (!value) return {};
    const std::string_view text(value);
    pid_t manager = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), manager);
    if (ec != std::errc() || end != text.data() + text.size() || manager <= 0) return {};
    // Comparing with the named process, not with the parent seen at start,
    // also catches a manager that ended before the core looked.
    return [manager] { return ::getppid() != manager; };
}

}  // namespace vexora
