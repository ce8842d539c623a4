#include "core/platform/ProcessLauncher.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace vexora {

namespace fs = std::filesystem;

std::vector<std::string> programFileNames(std::string_view programName)
{
    std::vector<std::string> names{std::string(programName)};
    if (kProgramsHaveExeSuffix || programName.size() <= 4) return names;
    std::string suffix(programName.substr(programName.size() - 4));
    std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (suffix == ".exe") names.emplace_back(programName.substr(0, programName.size() - 4));
    return names;
}

std::optional<fs::path> locateProgramFile(const fs::path& folder, std::string_view programName)
{
    for (const std::string& name : programFileNames(programName)) {
        const fs::path candidate = folder / name;
        std::error_code ec;
        if (fs::is_regular_file(candidate, ec)) return candidate;
    }
    return std::nullopt;
}

std::optional<fs::path> locateProgramOnPath(std::string_view programName)
{
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "";
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        if (!folder.empty())
            if (std::optional<fs::path> found = locateProgramFile(fs::path(folder), programName)) return found;
        if (colon == std::string_view::npos) break;
        rest.remove_prefix(colon + 1);
    }
    return std::nullopt;
}

fs::path programFolder()
{
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path(ec) : self.parent_path();
}

}  // namespace vexora
