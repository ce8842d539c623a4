#pragma once
// Unattended inversions: one data file (the console run) or several in turn
// (the batch run), each loaded as a Data Inversion project and inverted
// with the core job "INV" in a new project folder beside the data file. No
// question reaches a person: the loader's questions get the command line's
// documented answers.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/jobfiles/CorePrograms.h"
#include "core/log/MessageLog.h"
#include "core/platform/ProcessLauncher.h"
#include "core/project/ProjectStore.h"

namespace vexora {

struct ConsoleRunOptions {
    // The project folder's name without ".VXRprj"; empty: the data file's
    // name up to its first ".", made unique with "_2", "_3", ... when taken.
    std::string name;
    std::filesystem::path applicationFolder;  // where the manager program lives
    bool start = true;                        // false: prepare the folder only
    // Changes the loaded settings before the job is prepared (the command
    // line's own); false stops that file's run (the reason logged).
    std::function<bool(SettingsTable&, MessageLog&)> adjustSettings;
    // Whether the loaded survey can be inverted as asked; false stops that
    // file's run before its folder is made (the reason logged).
    std::function<bool(const Survey&, MessageLog&)> acceptSurvey;
    std::string dimension;  // the word after RUNINVERSION (funWriteInvScript); empty: none
    CoreProcesses processes;  // the core's ranks (one by default)
};

struct ConsoleRunOutcome {
    std::filesystem::path dataFile;
    std::filesystem::path folder;  // empty when none was created
    Status status = Status::Error;
};

// The name a project folder gets from its data file: the file name up to its
// first "." ("site.2021.data" gives "site").
std::string projectNameFromDataFile(const std::filesystem::path& dataFile);

// Why `name` cannot name a project folder ("" when it can): empty, or with a
// path separator.
std::string projectNameProblem(std::string_view name);

// Runs "INV" on the survey already in `store` in a new folder beside
// `dataFile`: the steps after the load, shared with the workspace's batch mode.
ConsoleRunOutcome invertLoadedSurvey(ProjectStore& store, const std::filesystem::path& dataFile,
                                     const ConsoleRunOptions& options, ProcessLauncher& launcher, MessageLog& log);

// Loads `dataFile` into `store` and runs "INV" in a new folder beside it. A
// failed load leaves `store` as it was. Returns the outcome; the log says
// why a run failed.
ConsoleRunOutcome runConsoleInversion(ProjectStore& store, const std::filesystem::path& dataFile,
                                      const ConsoleRunOptions& options, ProcessLauncher& launcher, MessageLog& log);

// The console run for each file in turn, on one store, so that a file
// without electrodes uses those of the file before it. A failure does not
// stop the files after it; `options.name` is ignored.
std::vector<ConsoleRunOutcome> runBatchInversion(ProjectStore& store, const std::vector<std::filesystem::path>& dataFiles,
                                                 const ConsoleRunOptions& options, ProcessLauncher& launcher,
                                                 MessageLog& log);

}  // namespace vexora
