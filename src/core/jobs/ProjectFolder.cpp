#include "core/jobs/ProjectFolder.h"

namespace vexora {

namespace fs = std::filesystem;

fs::path projectFolderFor(const fs::path& chosenName)
{
    fs::path folder = chosenName;
    folder += std::string(kProjectFolderSuffix);
    return folder;
}

ProjectFolderResult createProjectFolder(const fs::path& folder, std::string& message)
{
    if (folder.string().find_first_of("\r\n") != std::string::npos) {
        message = "Project folder not created: its path holds a line break (CR or LF), which a job's script "
                  "cannot hold.";
        return ProjectFolderResult::Failed;
    }
    std::error_code ec;
    // Anything of that name, a file too, is refused: the job needs a new folder.
    if (fs::exists(fs::symlink_status(folder, ec))) {
        message = folder.string() + " already exists. Please create a new project directory";
        return ProjectFolderResult::Exists;
    }
    if (!fs::create_directory(folder, ec)) {
        message = "Project folder " + folder.string() + " not created: " +
                  (ec ? ec.message() : std::string("it appeared meanwhile"));
        return ProjectFolderResult::Failed;
    }
    return ProjectFolderResult::Created;
}

}  // namespace vexora
