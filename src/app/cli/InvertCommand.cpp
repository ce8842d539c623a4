// vexora invert: the console run (one data file) and the batch run (several)
// of an inversion. Each file gets its own project folder beside it; a file
// that fails does not stop the others.

#include <charconv>
#include <ostream>

#include "app/cli/Cli.h"
#include "app/cli/CommandSupport.h"
#include "app/cli/Commands.h"
#include "app/cli/RunSettings.h"
#include "core/jobs/ConsoleInversion.h"
#include "core/jobs/RurVexora.h"
#include "core/platform/PosixProcessLauncher.h"
#include "engine/forward2d/ForwardDimension.h"
#include "engine/script/ScriptRunner.h"

namespace vexora::cli {

namespace {

namespace fs = std::filesystem;

struct InvertOptions {
    std::vector<fs::path> files;
    ConsoleRunOptions run;
    RunSettings settings;
    bool named = false;
    bool inProcess = false;  // --run: the core's script runs here, no manager
    bool valid = true;
    bool readable = true;  // the configuration file
    ForwardDimension dimension = ForwardDimension::Automatic;
};

InvertOptions parseOptions(const Arguments& args, std::ostream& err)
{
    InvertOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const RunOption option = readRunOption(args, i, options.settings, err, "invert", true);
        if (option == RunOption::Unreadable) options.readable = false;
        if (option == RunOption::Misuse) options.valid = false;
        if (option != RunOption::NotMine) continue;
        if (a == "--no-start") options.run.start = false;
        else if (a == "--run") options.inProcess = true;
        else if (a == "--doi") options.settings.depthOfInvestigation = true;
        else if (a == "--dim" && i + 1 < args.size()) {
            const std::optional<ForwardDimension> dimension = parseForwardDimension(args[++i]);
            if (dimension) options.dimension = *dimension;
            else options.valid = false;
            options.run.dimension = args[i] == "auto" ? "AUTO" : args[i];
        }
        else if (a == "--name" && i + 1 < args.size()) options.run.name = args[++i], options.named = true;
        else if (a == "--app-folder" && i + 1 < args.size()) options.run.applicationFolder = args[++i];
        else if (a == "--processes" && i + 1 < args.size()) {
            const std::string& value = args[++i];
            int n = 0;
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), n);
            if (error == std::errc() && end == value.data() + value.size() && n >= 1 && n <= kMostCoreProcesses) {
                options.run.processes.count = n;
            } else {
                err << "vexora invert: --processes takes a whole number of processes from 1 to "
                    << kMostCoreProcesses << ", not '" << args[i] << "'.\n";
                options.valid = false;
            }
        }
        else if (a == "--hostfile" && i + 1 < args.size()) options.run.processes.hostFile = fs::absolute(args[++i]);
        else if (a.size() > 1 && a[0] == '-') options.valid = false;
        else options.files.emplace_back(a);
    }
    // One name cannot serve several folders.
    if (options.files.empty() || (options.named && options.files.size() != 1)) options.valid = false;
    if (options.inProcess && !options.run.start) options.valid = false;
    if (options.inProcess) options.run.start = false;  // prepared here, then run here
    // Several ranks need mpirun, started by the manager; a host file needs several ranks.
    if (options.inProcess && options.run.processes.count > 1) options.valid = false;
    if (!options.run.processes.hostFile.empty() && options.run.processes.count < 2) options.valid = false;
    if (options.run.dimension.empty()) options.run.dimension = "AUTO";
    return options;
}

}  // namespace

int runInvert(const Arguments& args, std::ostream& out, std::ostream& err)
{
    InvertOptions options = parseOptions(args, err);
    if (!options.valid) return printCommandUsage(err, "invert");
    if (!options.readable) return kExitError;
    options.run.adjustSettings = [&settings = options.settings](SettingsTable& table, MessageLog& log) {
        return applyRunSettings(settings, table, log);
    };
    // A line asked for and not there is refused before any folder is made.
    if (options.dimension == ForwardDimension::Two)
        options.run.acceptSurvey = [](const Survey& survey, MessageLog& log) {
            std::optional<ElectrodeLine> line;
            return chooseForwardDimension(survey, ForwardDimension::Two, "RUNINVERSION", "No 2D inversion", log,
                                          line) == Status::Ok;
        };
    if (options.named) {
        if (const std::string problem = projectNameProblem(options.run.name); !problem.empty()) {
            err << problem << "\n";
            return kExitError;
        }
    }
    options.run.applicationFolder = options.run.applicationFolder.empty()
                                        ? programFolder()
                                        : fs::absolute(options.run.applicationFolder);

    PosixProcessLauncher launcher;
    ProjectStore store;
    bool anyFailed = false;
    for (const fs::path& file : options.files) {
        // Each file's log is printed before the next file starts.
        MessageLog log;
        const ConsoleRunOutcome outcome = runConsoleInversion(store, file, options.run, launcher, log);
        printLog(log, err);
        const bool ran = outcome.status == Status::Ok &&
                         (!options.inProcess ||
                          runCoreScript(outcome.folder / kInvScriptFile, &err) == ScriptStatus::Completed);
        if (ran) {
            out << "ok\t" << file.string() << "\t" << outcome.folder.string() << "\n";
        } else {
            anyFailed = true;
            out << "failed\t" << file.string() << "\n";
        }
    }
    return anyFailed ? kExitError : kExitOk;
}

}  // namespace vexora::cli
