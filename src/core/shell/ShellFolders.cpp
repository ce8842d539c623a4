#include "core/shell/ShellFolders.h"

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace vexora {

namespace fs = std::filesystem;

fs::path applicationDataFolder(const fs::path& applicationFolder)
{
    fs::path folder = applicationFolder;
    // "/opt/vexora/bin/" names the same folder as "/opt/vexora/bin".
    if (!folder.has_filename() && folder.has_parent_path()) folder = folder.parent_path();
    return folder.parent_path() / "VexoraDATA";
}

bool isFolderWritable(const fs::path& folder)
{
    std::error_code ec;
    if (folder.empty() || !fs::is_directory(folder, ec)) return false;
    std::string probe = (folder / ".vexora-write-probe.XXXXXX").string();
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

fs::path writableFolder(const fs::path& preferred, const fs::path& fallback)
{
    if (isFolderWritable(preferred)) return preferred;
    if (fallback.empty()) return {};
    std::error_code ec;
    fs::create_directories(fallback, ec);
    return isFolderWritable(fallback) ? fallback : fs::path();
}

std::string folderWithTrailingSeparator(std::string_view folder)
{
    std::string text(folder);
    if (text.empty() || text.back() != static_cast<char>(fs::path::preferred_separator))
        text += static_cast<char>(fs::path::preferred_separator);
    return text;
}

}  // namespace vexora
