#include "core/platform/FileSystemRoots.h"

#include <algorithm>
#include <array>

#include "core/io/TextFile.h"

namespace vexora {

namespace {

// Fields of a mount-table line are separated by blanks; octal escapes stand
// for blanks, tabs, newlines and backslashes inside a field.
std::string unescapeMountField(std::string_view field)
{
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const auto octal = [](char c) { return c >= '0' && c <= '7'; };
            if (octal(field[i + 1]) && octal(field[i + 2]) && octal(field[i + 3])) {
                out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

std::vector<std::string_view> splitBlanks(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

}  // namespace

bool isPseudoFileSystem(std::string_view type)
{
    static constexpr std::array<std::string_view, 27> kPseudo = {
        "proc",     "sysfs",     "devtmpfs", "devpts",     "tmpfs",      "cgroup",    "cgroup2",
        "securityfs", "pstore",  "efivarfs", "bpf",        "debugfs",    "tracefs",   "configfs",
        "fusectl",  "mqueue",    "hugetlbfs", "autofs",    "binfmt_misc", "rpc_pipefs", "nsfs",
        "ramfs",    "overlay",   "squashfs", "fuse.gvfsd-fuse", "fuse.portal", "selinuxfs"};
    return std::find(kPseudo.begin(), kPseudo.end(), type) != kPseudo.end();
}

std::vector<std::filesystem::path> rootsFromMountTable(std::string_view table)
{
    std::vector<std::filesystem::path> roots{"/"};
    std::size_t start = 0;
    while (start < table.size()) {
        std::size_t end = table.find('\n', start);
        if (end == std::string_view::npos) end = table.size();
        const std::vector<std::string_view> fields = splitBlanks(table.substr(start, end - start));
        start = end + 1;
        if (fields.size() < 3 || isPseudoFileSystem(fields[2])) continue;
        const std::filesystem::path mountPoint = unescapeMountField(fields[1]);
        if (!mountPoint.is_absolute()) continue;
        if (std::find(roots.begin(), roots.end(), mountPoint) == roots.end()) roots.push_back(mountPoint);
    }
    return roots;
}

std::vector<std::filesystem::path> MountedFileSystemRoots::roots() const
{
    std::string table;
    if (!readTextFile("/proc/self/mounts", table)) return {"/"};
    return rootsFromMountTable(table);
}

}  // namespace vexora
