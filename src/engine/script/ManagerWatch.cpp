#include "engine/script/ManagerWatch.h"

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace vexora {

namespace {

// The parent of process `id` from /proc/ID/stat ("ID (NAME) STATE PPID ..."),
// 0 when it cannot be read.
pid_t parentOf(pid_t id)
{
    std::ifstream stat("/proc/" + std::to_string(id) + "/stat");
    std::string text;
    std::getline(stat, text);
    const std::size_t name = text.rfind(')');  // the name may hold spaces and brackets
    if (name == std::string::npos) return 0;
    std::istringstream fields(text.substr(name + 1));
    std::string state;
    pid_t parent = 0;
    fields >> state >> parent;
    return parent;
}

}  // namespace

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
    // also catches a manager that ended before the core looked. Ranks run
    // by mpirun have it between them and the manager.
    return [manager] {
        const pid_t parent = ::getppid();
        return parent != manager && parentOf(parent) != manager;
    };
}

}  // namespace vexora
