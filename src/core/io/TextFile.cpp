#include "core/io/TextFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/io/SaveTemporary.h"

namespace vexora {

namespace fs = std::filesystem;

static bool fail(std::string* why, std::string reason)
{
    if (why) *why = std::move(reason);
    return false;
}

// Devices and sockets are refused before they are opened: opening one may
// have effects of its own, and a device such as /dev/zero never ends. A pipe
// is read, within the size limit.
static const char* notReadableAsFile(mode_t mode)
{
    if (S_ISDIR(mode)) return "is a folder, not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device, not a file";
    if (S_ISSOCK(mode)) return "is a socket, not a file";
    return nullptr;
}

bool readTextFile(const fs::path& path, std::string& text, std::string* why)
{
    struct stat named{};
    if (::stat(path.c_str(), &named) != 0) return fail(why, "not found");
    if (const char* problem = notReadableAsFile(named.st_mode)) return fail(why, problem);
    if (S_ISREG(named.st_mode) && static_cast<std::uintmax_t>(named.st_size) > kMaxTextFileBytes)
        return fail(why, "larger than 2 GiB");
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return fail(why, std::strerror(errno));
    // The name may have been pointed elsewhere since it was looked at.
    struct stat opened{};
    const char* problem = ::fstat(fd, &opened) != 0 ? "read error" : notReadableAsFile(opened.st_mode);
    std::string bytes;
    if (!problem && S_ISREG(opened.st_mode))
        bytes.reserve(static_cast<std::size_t>(std::min<std::uintmax_t>(opened.st_size, kMaxTextFileBytes)));
    char buffer[1 << 16];
    while (!problem) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) problem = "read error";
        else if (bytes.size() + static_cast<std::size_t>(n) > kMaxTextFileBytes) problem = "larger than 2 GiB";
        else bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (problem) return fail(why, problem);
    text = std::move(bytes);
    return true;
}

void normaliseLoneCarriageReturns(std::string& text)
{
    auto isLone = [&](std::size_t i) { return i + 1 == text.size() || text[i + 1] != '\n'; };
    // Jump from carriage return to carriage return: most texts have none alone.
    std::size_t first = text.find('\r');
    while (first != std::string::npos && !isLone(first)) first = text.find('\r', first + 1);
    if (first == std::string::npos) return;
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    out.append(text, 0, first);
    for (std::size_t i = first; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '\r' && isLone(i)) out += '\n';
    }
    text = std::move(out);
}

// The file a save replaces: a symbolic link is followed to the file it
// names, so the link stays a link and its target gets the new content.
static bool resolveSaveTarget(const fs::path& path, fs::path& target, std::string* why)
{
    target = path;
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(target, ec))) return true;
        const fs::path link = fs::read_symlink(target, ec);
        if (ec) return fail(why, "cannot follow the link " + target.string() + ": " + ec.message());
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    return fail(why, path.string() + ": too many levels of symbolic links");
}

// Written in pieces: each one marks the temporary as recently changed, which
// keeps another save from taking a slow write for one left behind.
static std::string writeAll(int fd, std::string_view bytes)
{
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    while (!bytes.empty()) {
        const ssize_t w = ::write(fd, bytes.data(), std::min(bytes.size(), kPiece));
        if (w < 0 && errno == EINTR) continue;
        if (w < 0) return std::string("write failed: ") + std::strerror(errno);
        bytes.remove_prefix(static_cast<std::size_t>(w));
    }
    return {};
}

bool writeFileAtomically(const fs::path& path, std::string_view bytes, std::string* why)
{
    if (path.empty()) return fail(why, "no file name");
    fs::path target;
    if (!resolveSaveTarget(path, target, why)) return false;
    struct stat existing{};
    const bool replacing = ::stat(target.c_str(), &existing) == 0;
    if (replacing && S_ISDIR(existing.st_mode)) return fail(why, path.string() + " is a folder");
    if (replacing && !S_ISREG(existing.st_mode)) return fail(why, path.string() + " is not a regular file");
    removeStaleSaveTemporaries(target);
    SaveTemporary temporary = createSaveTemporary(target);
    if (temporary.fd < 0) {
        const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
        return fail(why, "cannot write in " + folder.string() + ": " + std::strerror(errno));
    }
    std::string problem = writeAll(temporary.fd, bytes);
    if (problem.empty() && replacing) {
        // The file keeps its owner and group where the system lets us give
        // them, and its permissions whatever the umask.
        [[maybe_unused]] const int owned = ::fchown(temporary.fd, existing.st_uid, existing.st_gid);
        ::fchmod(temporary.fd, existing.st_mode & 07777);
    }
    // No fsync: the rename already guarantees that readers see the old file or
    // the complete new one, and file systems flush a file renamed over another
    // before the rename; forcing the data to disk would double a large save.
    if (::close(temporary.fd) != 0 && problem.empty()) problem = std::string("write failed: ") + std::strerror(errno);
    if (problem.empty() && std::rename(temporary.path.c_str(), target.c_str()) != 0)
        problem = "cannot replace " + path.string() + ": " + std::strerror(errno);
    if (!problem.empty()) ::unlink(temporary.path.c_str());
    forgetSaveTemporary(temporary);
    return problem.empty() || fail(why, std::move(problem));
}

}  // namespace vexora
