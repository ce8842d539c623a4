// vexora job: the console run of a numerical-core job. Loads a data file as
// a Data Inversion load does, creates a new project folder, prepares it and
// starts the core's manager program from the application folder.

#include <ostream>

#include "app/cli/Cli.h"
#include "app/cli/CommandSupport.h"
#include "app/cli/Commands.h"
#include "core/jobs/ProjectFolder.h"
#include "core/jobs/RurVexora.h"
#include "core/platform/PosixProcessLauncher.h"

namespace vexora::cli {

namespace {

namespace fs = std::filesystem;

struct JobOptions {
    std::string kind;  // "INV", "FWM" or the sensitivity request
    std::vector<std::string> paths;
    bool start = true;
    fs::path applicationFolder;
    bool valid = true;
};

// "inv", "fwm", "sens" (all quadrupoles, relative) or "sens:REQUEST" with a
// request of digits.
bool readKind(const std::string& word, std::string& kind)
{
    if (word == "inv") kind = "INV";
    else if (word == "fwm") kind = "FWM";
    else if (word == "sens") kind = "0";
    else if (word.rfind("sens:", 0) == 0 && word.size() > 5 &&
             word.find_first_not_of("0123456789", 5) == std::string::npos)
        kind = word.substr(5);
    else return false;
    return true;
}

JobOptions parseOptions(const Arguments& args)
{
    JobOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--no-start") options.start = false;
        else if (a == "--app-folder" && i + 1 < args.size()) options.applicationFolder = args[++i];
        else if (a.size() > 1 && a[0] == '-') options.valid = false;
        else options.paths.push_back(a);
    }
    if (options.paths.size() != 3 || !readKind(options.paths[0], options.kind)) options.valid = false;
    return options;
}

}  // namespace

int runJob(const Arguments& args, std::ostream& out, std::ostream& err)
{
    const JobOptions options = parseOptions(args);
    if (!options.valid) {
        return printCommandUsage(err, "job");
    }

    ProjectStore store;
    MessageLog log;
    // Loaded as the workspace loads: the mesh settings derived from the
    // electrodes, the file's own settings over them, so the core gets a mesh
    // around the survey.
    if (loadInversionFile(store, options.paths[1], log) != Status::Ok) {
        printLog(log, err);
        return kExitError;
    }

    const fs::path folder = projectFolderFor(options.paths[2]);
    std::string message;
    const ProjectFolderResult created = createProjectFolder(folder, message);
    if (created != ProjectFolderResult::Created) {
        printLog(log, err);
        if (created == ProjectFolderResult::Exists) err << kProjectFolderExistsTitle << ": ";
        err << message << "\n";
        return kExitError;
    }

    fs::path script;
    Status status = prepareRurJob(store, folder, options.kind, script, log);
    if (status == Status::Ok && options.start) {
        PosixProcessLauncher launcher;
        const fs::path applicationFolder =
            options.applicationFolder.empty() ? programFolder() : fs::absolute(options.applicationFolder);
        status = startRurJob(applicationFolder, script, jobType(options.kind), launcher, log);
    }
    printLog(log, err);
    if (status != Status::Ok) return kExitError;
    out << folder.string() << "\n";
    return kExitOk;
}

}  // namespace vexora::cli
