// vexora forward IN.data [--config C.cnfg] [--threads N] [-o OUT.data]
// [--dim 2|3|auto]: the forward job of the numerical core in this process.
// Loads the data file as the core's LOADCONFIGURATION does, applies the
// command line's settings (RunSettings.h), generates the mesh, runs the
// forward model and writes the data file with the calculated columns beside
// the measured ones (SAVECONFIGURATION V1). --dim 2 asks for the 2.5D model
// of a line of electrodes whose ground does not change across it, 3 for the
// 3D model; auto (the default) takes 2.5D when the survey is such a line.
// OUT defaults to IN with "_fwd" before its extension. The log goes to
// standard error.
//
// Exit status: 0 written, 1 failed (the log says why), 2 misuse.

#include <optional>
#include <ostream>

#include "app/cli/Cli.h"
#include "app/cli/CommandSupport.h"
#include "app/cli/Commands.h"
#include "app/cli/RunSettings.h"
#include "engine/script/JobSteps.h"

namespace vexora::cli {

namespace fs = std::filesystem;

int runForward(const Arguments& args, std::ostream& out, std::ostream& err)
{
    std::optional<std::string> input, output, dim;
    RunSettings settings;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const RunOption option = readRunOption(args, i, settings, err, "forward", false);
        if (option == RunOption::Unreadable) return kExitError;
        if (option == RunOption::Misuse) return printCommandUsage(err, "forward");
        if (option == RunOption::Taken) continue;
        if (a == "-o" || a == "--dim") {
            std::optional<std::string>& value = a == "-o" ? output : dim;
            if (value || i + 1 >= args.size()) return printCommandUsage(err, "forward");
            value = args[++i];
        }
        else if ((a.size() > 1 && a[0] == '-') || input) return printCommandUsage(err, "forward");
        else input = a;
    }
    const std::optional<ForwardDimension> dimension = parseForwardDimension(dim.value_or("auto"));
    if (!input || !dimension) return printCommandUsage(err, "forward");
    const fs::path in(*input);
    const fs::path target =
        output ? fs::path(*output) : in.parent_path() / (in.stem().string() + "_fwd" + in.extension().string());
    if (outputReplacesInput(err, "forward", target, {in, settings.configPath.value_or("")})) return kExitError;

    ProjectStore store;
    MessageLog log;
    const bool done = loadJobDataFile(store, in, log) == Status::Ok &&
                      applyRunSettings(settings, store.settings, log) &&
                      generateJobMesh(store, log) == Status::Ok &&
                      runJobForwardModel(store, log, {}, *dimension) == Status::Ok &&
                      saveJobDataFile(store, target, true, log) == Status::Ok;
    printLog(log, err);
    if (!done) return kExitError;
    out << target.string() << "\n";
    return kExitOk;
}

}  // namespace vexora::cli
