#include "core/io/TextFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vexora {

namespace fs = std::filesystem;

static bool fail(std::string* why, std::string reason)
{
    if (why) *why = std::move(reason);
    return false;
}

bool readTextFile(const fs::path& path, std::string& text, std::string* why)
{
    std::error_code ec;
    auto status = fs::status(path, ec);
    if (ec || !fs::exists(status)) return fail(why, "not found");
    if (fs::is_directory(status)) return fail(why, "is a folder, not a file");
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return fail(why, std::strerror(errno));
    std::string bytes;
    if (fs::is_regular_file(status)) {
        auto size = fs::file_size(path, ec);
        if (!ec && size > kMaxTextFileBytes) {
            std::fclose(file);
            return fail(why, "larger than 2 GiB");
        }
        if (!ec) bytes.reserve(static_cast<std::size_t>(size));
    }
    char buffer[1 << 16];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        if (bytes.size() + n > kMaxTextFileBytes) {
            std::fclose(file);
            return fail(why, "larger than 2 GiB");
        }
        bytes.append(buffer, n);
    }
    bool readError = std::ferror(file) != 0;
    std::fclose(file);
    if (readError) return fail(why, "read error");
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

bool writeFileAtomically(const fs::path& path, std::string_view bytes, std::string* why)
{
    if (path.empty()) return fail(why, "no file name");
    std::error_code ec;
    if (fs::is_directory(path, ec)) return fail(why, path.string() + " is a folder");
    fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    std::string pattern = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) return fail(why, "cannot write in " + folder.string() + ": " + std::strerror(errno));
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t w = ::write(fd, p, left);
        if (w < 0) {
            if (errno == EINTR) continue;
            std::string reason = std::strerror(errno);
            ::close(fd);
            ::unlink(pattern.c_str());
            return fail(why, "write failed: " + reason);
        }
        p += w;
        left -= static_cast<std::size_t>(w);
    }
    // No fsync: the rename already guarantees that readers see the old file or
    // the complete new one, and file systems flush a file renamed over another
    // before the rename; forcing the data to disk would double a large save.
    if (::close(fd) != 0) {
        std::string reason = std::strerror(errno);
        ::unlink(pattern.c_str());
        return fail(why, "write failed: " + reason);
    }
    // mkstemp creates the file for the owner only; give it the usual mode.
    ::chmod(pattern.c_str(), 0644);
    if (std::rename(pattern.c_str(), path.c_str()) != 0) {
        std::string reason = std::strerror(errno);
        ::unlink(pattern.c_str());
        return fail(why, "cannot replace " + path.string() + ": " + reason);
    }
    return true;
}

}  // namespace vexora
