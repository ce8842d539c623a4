#include "core/platform/FolderLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vexora {

FolderLockStatus lockFolder(const std::filesystem::path& folder, int& descriptor, std::string* why)
{
    // Not close-on-exec: a started child keeps the folder locked while it
    // runs, even when its starter is gone. The file is never truncated nor
    // removed, so every locker locks the same file.
    const std::filesystem::path file = folder / kFolderLockFile;
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT, 0644);
    if (fd < 0) {
        if (why) *why = std::strerror(errno);
        return FolderLockStatus::Failed;
    }
    int result;
    while ((result = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (result != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) return FolderLockStatus::Busy;
        if (why) *why = std::strerror(error);
        return FolderLockStatus::Failed;
    }
    descriptor = fd;
    return FolderLockStatus::Locked;
}

}  // namespace vexora
