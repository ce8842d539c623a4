#include "core/shell/ExternalPrograms.h"

#include "core/io/TextFile.h"
#include "core/platform/Application.h"
#include "core/shell/ShellFolders.h"

namespace vexora {

namespace fs = std::filesystem;

namespace {

std::string title(std::string_view suffix) { return std::string(kApplicationTitle) + std::string(suffix); }

// The copy of the handed-over file: in the program's folder when it can be
// written there (the program is given the bare name), otherwise in the
// per-user data folder (the program is given the full path).
bool handOver(ExternalEnvironment& environment, const fs::path& programFolder, const fs::path& file,
              std::string& argument)
{
    const fs::path folder = writableFolder(programFolder, environment.userDataFolder);
    std::string bytes, why;
    bool copied = !folder.empty() && readTextFile(file, bytes, &why) &&
                  writeFileAtomically(folder / kHandedOverFile, bytes, &why);
    if (folder.empty()) why = "no folder can be written";
    if (!copied) {
        environment.questions.showMessage(title(" - Error"),
                                          std::string(kHandedOverFile) + " not written: " + file.string() + ": " + why,
                                          MessageIcon::Critical);
        return false;
    }
    argument = folder == programFolder ? std::string(kHandedOverFile) : (folder / kHandedOverFile).string();
    return true;
}

}  // namespace

std::string storedProgramFolder(const UserSettings& userSettings, std::string_view programName)
{
    std::string folder = userSettings.value(kPathsSection, programName).value_or(std::string(kNoFolder));
    return folder.empty() ? std::string(kNoFolder) : folder;
}

ExternalStatus RunExternal(ExternalEnvironment& environment, std::string_view programName,
                           const fs::path& fileToHandOver)
{
    std::string folder = storedProgramFolder(environment.userSettings, programName);
    std::optional<fs::path> program;
    if (!environment.applicationFolder.empty()) program = locateProgramFile(environment.applicationFolder, programName);
    if (!program && folder != kNoFolder) program = locateProgramFile(folder, programName);

    if (!program) {
        if (!environment.questions.askOkCancel(
                {QuestionId::SearchForProgram, std::string(kApplicationTitle), std::string(kBadPathQuestion)}))
            return ExternalStatus::Cancelled;
        const ProgramSearchResult found =
            searchProgram(environment.roots.roots(), programName, environment.searchFeedback);
        if (found.cancelled) return ExternalStatus::Cancelled;
        if (!found.folder) {
            environment.questions.showMessage(title(" - Component not found!"), kComponentNotFound,
                                              MessageIcon::Exclamation);
            return ExternalStatus::Failed;
        }
        environment.userSettings.setValue(kPathsSection, programName,
                                          folderWithTrailingSeparator(found.folder->string()));
        folder = storedProgramFolder(environment.userSettings, programName);
        program = locateProgramFile(folder, programName);
        if (!program) {
            environment.questions.showMessage(title(" - Component not found!"), kComponentNotFound,
                                              MessageIcon::Exclamation);
            return ExternalStatus::Failed;
        }
    }

    const fs::path programFolder = program->parent_path();
    std::vector<std::string> arguments;
    if (!fileToHandOver.empty()) {
        std::string argument;
        if (!handOver(environment, programFolder, fileToHandOver, argument)) return ExternalStatus::Failed;
        arguments.push_back(std::move(argument));
    }
    std::string why;
    if (!environment.launcher.startDetached(*program, arguments, programFolder, &why)) {
        environment.log.logError("RunExternal", program->string() + " not started: " + why);
        return ExternalStatus::Failed;
    }
    return ExternalStatus::Started;
}

}  // namespace vexora
