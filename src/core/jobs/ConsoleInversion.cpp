#include "core/jobs/ConsoleInversion.h"

#include "core/datafile/ScheduleLoader.h"
#include "core/jobs/InversionWorkspace.h"
#include "core/jobs/ProjectFolder.h"
#include "core/jobs/RurVexora.h"
#include "core/platform/ScriptedQuestions.h"

namespace vexora {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSource = "ConsoleInversion";

bool taken(const fs::path& path)
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

// The folder a run will create, or false with the reason logged. A taken
// default name gets the first free "_N": an unattended run must not stop
// because an earlier run used the name; a name the user chose is refused.
bool chooseFolder(const fs::path& dataFile, const ConsoleRunOptions& options, fs::path& folder, MessageLog& log)
{
    const bool namedByUser = !options.name.empty();
    const std::string name = namedByUser ? options.name : projectNameFromDataFile(dataFile);
    if (const std::string problem = projectNameProblem(name); !problem.empty()) {
        log.logError(kSource, problem);
        return false;
    }
    const fs::path parent = fs::absolute(dataFile).parent_path();
    folder = projectFolderFor(parent / name);
    if (namedByUser && taken(folder)) {
        log.logError(kSource, folder.string() + " already exists. Please create a new project directory");
        return false;
    }
    for (int n = 2; n < 1000 && taken(folder); ++n) folder = projectFolderFor(parent / (name + "_" + std::to_string(n)));
    return true;
}

}  // namespace

std::string projectNameFromDataFile(const fs::path& dataFile)
{
    const std::string file = dataFile.filename().string();
    return file.substr(0, file.find('.'));
}

std::string projectNameProblem(std::string_view name)
{
    if (name.empty()) return "Error: the project name is empty.";
    if (name.find_first_of("/\\") != std::string_view::npos)
        return "Error: the project name " + std::string(name) + " must not contain path separators.";
    return {};
}

ConsoleRunOutcome invertLoadedSurvey(ProjectStore& store, const fs::path& dataFile, const ConsoleRunOptions& options,
                                     ProcessLauncher& launcher, MessageLog& log)
{
    ConsoleRunOutcome outcome;
    outcome.dataFile = dataFile;
    if (options.acceptSurvey && !options.acceptSurvey(store.survey, log)) return outcome;
    fs::path folder;
    if (!chooseFolder(dataFile, options, folder, log)) return outcome;
    std::string message;
    if (createProjectFolder(folder, message) != ProjectFolderResult::Created) {
        log.logError(kSource, message);
        return outcome;
    }
    outcome.folder = folder;

    fs::path script;
    outcome.status = prepareRurJob(store, folder, "INV", script, log, {}, options.dimension);
    if (outcome.status == Status::Ok && options.start)
        outcome.status =
            startRurJob(options.applicationFolder, script, JobType::Inversion, launcher, log, options.processes);
    return outcome;
}

ConsoleRunOutcome runConsoleInversion(ProjectStore& store, const fs::path& dataFile, const ConsoleRunOptions& options,
                                      ProcessLauncher& launcher, MessageLog& log)
{
    // A refused name costs nothing: checked before the load replaces the survey.
    fs::path folder;
    if (!chooseFolder(dataFile, options, folder, log)) return {dataFile, {}, Status::Error};

    // The completion asks nothing, so unattended runs take it too: without
    // it the core would mesh the default box instead of the survey.
    ScriptedQuestions questions = unattendedLoadQuestions();
    const DataLoadRequest request{dataFile, ProjectType::DataInversion, true, false};
    if (funInputScheduleFile(store, request, log, questions) != LoadStatus::Loaded)
        return {dataFile, {}, Status::Error};
    if (options.adjustSettings && !options.adjustSettings(store.settings, log)) return {dataFile, {}, Status::Error};
    return invertLoadedSurvey(store, dataFile, options, launcher, log);
}

std::vector<ConsoleRunOutcome> runBatchInversion(ProjectStore& store, const std::vector<fs::path>& dataFiles,
                                                 const ConsoleRunOptions& options, ProcessLauncher& launcher,
                                                 MessageLog& log)
{
    ConsoleRunOptions each = options;
    each.name.clear();
    std::vector<ConsoleRunOutcome> outcomes;
    outcomes.reserve(dataFiles.size());
    for (const fs::path& file : dataFiles) outcomes.push_back(runConsoleInversion(store, file, each, launcher, log));
    return outcomes;
}

}  // namespace vexora
