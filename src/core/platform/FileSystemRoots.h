#pragma once
// The places a search for a program starts from: the drives of the machine.
// Where there are no drive letters these are "/" and the mounted volumes;
// pseudo file systems (proc, sysfs, devtmpfs, tmpfs, cgroup ...) hold no
// programs and are left out.

#include <filesystem>
#include <string_view>
#include <utility>
#include <vector>

namespace vexora {

class FileSystemRoots {
public:
    virtual ~FileSystemRoots() = default;
    virtual std::vector<std::filesystem::path> roots() const = 0;
};

// "/" first, then the mount points of real file systems from
// /proc/self/mounts, in table order, each once.
class MountedFileSystemRoots : public FileSystemRoots {
public:
    std::vector<std::filesystem::path> roots() const override;
};

// A fixed list, for tests.
class FixedFileSystemRoots : public FileSystemRoots {
public:
    explicit FixedFileSystemRoots(std::vector<std::filesystem::path> roots) : roots_(std::move(roots)) {}
    std::vector<std::filesystem::path> roots() const override { return roots_; }

private:
    std::vector<std::filesystem::path> roots_;
};

// The roots named by a mount table in the format of /proc/self/mounts
// ("device mount-point type options dump pass" per line, blanks inside the
// mount point written as \040 and the like).
std::vector<std::filesystem::path> rootsFromMountTable(std::string_view table);

// Whether a file system type holds no files of its own (proc, sysfs ...).
bool isPseudoFileSystem(std::string_view type);

}  // namespace vexora
