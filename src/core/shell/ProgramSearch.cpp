#include "core/shell/ProgramSearch.h"

#include <algorithm>
#include <sys/stat.h>

#include "core/platform/ProcessLauncher.h"

namespace vexora {

namespace fs = std::filesystem;

namespace {

bool deviceOf(const fs::path& folder, dev_t& device)
{
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
    device = info.st_dev;
    return true;
}

// Sub-folders of `folder` on `device`, in name order; symbolic links and
// unreadable entries are left out.
std::vector<fs::path> subFolders(const fs::path& folder, dev_t device)
{
    std::vector<fs::path> folders;
    std::error_code ec;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code entryError;
        if (it->is_symlink(entryError) || !it->is_directory(entryError)) continue;
        dev_t entryDevice;
        if (deviceOf(it->path(), entryDevice) && entryDevice == device) folders.push_back(it->path());
    }
    std::sort(folders.begin(), folders.end());
    return folders;
}

}  // namespace

ProgramSearchResult searchProgram(const std::vector<fs::path>& roots, std::string_view programName,
                                  SearchFeedback* feedback)
{
    ProgramSearchResult result;
    for (const fs::path& root : roots) {
        dev_t device;
        if (!deviceOf(root, device)) continue;
        std::vector<fs::path> pending{root};
        while (!pending.empty()) {
            const fs::path folder = std::move(pending.back());
            pending.pop_back();
            if (feedback && !feedback->searching(folder)) {
                result.cancelled = true;
                return result;
            }
            if (locateProgramFile(folder, programName)) {
                result.folder = folder;
                return result;
            }
            std::vector<fs::path> children = subFolders(folder, device);
            // The stack pops the last pushed first: push in reverse name order.
            pending.insert(pending.end(), std::make_move_iterator(children.rbegin()),
                           std::make_move_iterator(children.rend()));
        }
    }
    return result;
}

}  // namespace vexora
