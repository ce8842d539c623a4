#include "core/platform/AvailableMemory.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace vexora {

namespace fs = std::filesystem;

namespace {

// The first number of a file; nothing for a missing file or a word such
// as cgroup v2's "max".
std::optional<std::uint64_t> fileNumber(const fs::path& file)
{
    std::ifstream in(file);
    std::string word;
    if (!(in >> word)) return std::nullopt;
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size()) return std::nullopt;
    return value;
}

void keepLeast(std::optional<std::uint64_t>& least, std::uint64_t value)
{
    least = least ? std::min(*least, value) : value;
}

std::optional<std::uint64_t> memAvailable()
{
    std::ifstream in("/proc/meminfo");
    std::string key, unit;
    std::uint64_t value = 0;
    while (in >> key >> value >> unit)
        if (key == "MemAvailable:") return value * 1024;
    return std::nullopt;
}

// A soft limit less the bytes already counted against it: the address
// space (first field of /proc/self/statm) or the data and stack (sixth).
std::optional<std::uint64_t> rlimitHeadroom(int resource, int statmField)
{
    rlimit limit{};
    if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return std::nullopt;
    std::ifstream in("/proc/self/statm");
    std::uint64_t pages = 0;
    for (int field = 0; field <= statmField; ++field)
        if (!(in >> pages)) return std::nullopt;
    const std::uint64_t used = pages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
    return limit.rlim_cur > used ? limit.rlim_cur - used : 0;
}

}  // namespace

std::optional<std::uint64_t> cgroupMemoryHeadroom(const fs::path& root, std::string_view selfCgroup)
{
    std::optional<std::uint64_t> least;
    std::istringstream lines{std::string(selfCgroup)};
    for (std::string line; std::getline(lines, line);) {
        // "ID:CONTROLLERS:PATH"; v2's line has no controllers.
        const std::size_t first = line.find(':'), second = line.find(':', first + 1);
        if (first == std::string::npos || second == std::string::npos) continue;
        const std::string controllers = "," + line.substr(first + 1, second - first - 1) + ",";
        const fs::path group = fs::path(line.substr(second + 1)).relative_path();
        const bool v2 = controllers == ",,";
        if (!v2 && controllers.find(",memory,") == std::string::npos) continue;
        const std::vector<fs::path> mounts =
            v2 ? std::vector<fs::path>{root, root / "unified"} : std::vector<fs::path>{root / "memory"};
        const char* limitFile = v2 ? "memory.max" : "memory.limit_in_bytes";
        const char* usageFile = v2 ? "memory.current" : "memory.usage_in_bytes";
        // A limit set on any enclosing group binds too. Inside a cgroup
        // namespace the group's path is not under the mount: the mount
        // itself is then the group.
        for (const fs::path& mount : mounts) {
            fs::path dir = mount;
            std::vector<fs::path> dirs{dir};
            for (const fs::path& part : group) dirs.push_back(dir /= part);
            for (const fs::path& d : dirs) {
                const auto limit = fileNumber(d / limitFile);
                const auto usage = fileNumber(d / usageFile);
                if (limit && usage) keepLeast(least, *limit > *usage ? *limit - *usage : 0);
            }
        }
    }
    return least;
}

std::uint64_t availableMemoryBytes()
{
    std::optional<std::uint64_t> least;
    std::ostringstream selfCgroup;
    selfCgroup << std::ifstream("/proc/self/cgroup").rdbuf();
    for (const auto& reading : {memAvailable(), rlimitHeadroom(RLIMIT_AS, 0), rlimitHeadroom(RLIMIT_DATA, 5),
                                cgroupMemoryHeadroom("/sys/fs/cgroup", selfCgroup.str())})
        if (reading) keepLeast(least, *reading);
    // 0 means "unknown" to every caller: a limit already reached is 1 byte.
    return least ? std::max<std::uint64_t>(*least, 1) : 0;
}

}  // namespace vexora
