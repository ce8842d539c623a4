#include "core/io/SameFile.h"

#include <sys/stat.h>

namespace vexora {

namespace fs = std::filesystem;

bool isSameFile(const fs::path& a, const fs::path& b)
{
    struct stat first{}, second{};
    if (a.empty() || b.empty() || ::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0) return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::optional<std::string> outputOverInput(std::string_view role, const fs::path& output,
                                           const std::vector<fs::path>& inputs)
{
    for (const fs::path& input : inputs)
        if (isSameFile(output, input))
            return "the " + std::string(role) + " " + output.string() + " is the same file as the input " +
                   input.string() + "; choose another name.";
    return std::nullopt;
}

}  // namespace vexora
