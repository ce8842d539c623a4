// vexora sequence-compare A.data B.data: how deep and where two sequences on
// one layout see, and what an inversion of each would resolve
// (engine/script/DesignFigures.h).

#include <charconv>
#include <ostream>

#include "app/cli/Cli.h"
#include "app/cli/CommandSupport.h"
#include "app/cli/Commands.h"
#include "core/sequence/SensitivityProfile.h"
#include "engine/script/DesignFigures.h"

namespace vexora::cli {

namespace {

bool number(const std::string& text, double& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

int runSequenceCompare(const Arguments& args, std::ostream& out, std::ostream& err)
{
    std::vector<std::string> files;
    std::string prefix;
    DesignFigureOptions options;
    TargetDepth target{0, 0};
    bool targetGiven = false, numbers = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size()) prefix = args[++i];
        else if (args[i] == "--lambda" && i + 1 < args.size()) numbers = number(args[++i], options.lambda) && numbers;
        else if (args[i] == "--error" && i + 1 < args.size()) numbers = number(args[++i], options.errorPercent) && numbers;
        else if (args[i] == "--target" && i + 2 < args.size()) {
            numbers = number(args[i + 1], target.top) && number(args[i + 2], target.bottom) && numbers;
            i += 2;
            targetGiven = true;
        }
        else if (args[i].size() > 1 && args[i][0] == '-') return printCommandUsage(err, "sequence-compare");
        else files.push_back(args[i]);
    }
    if (files.size() != 2 || !numbers || (targetGiven && !(target.bottom >= target.top)))
        return printCommandUsage(err, "sequence-compare");

    MessageLog log;
    DesignFigureRun run;
    Status status = figureTwoSequences(files[0], files[1], options, log, {}, run);
    for (int k = 0; k < 2 && status == Status::Ok && !prefix.empty(); ++k)
        status = saveDesignFigures(run, k, prefix + (k == 0 ? "_1.vwer" : "_2.vwer"), log);
    printLog(log, err);
    if (status != Status::Ok) return kExitError;
    const Mesh& mesh = run.ground.mesh;
    for (const std::string& line : comparisonLines(mesh, run.sensitivity[0], run.sensitivity[1])) out << line << "\n";
    // Without a target, the layer where the sensitivity of the first is
    // still 1 % of its top layer's, to its bottom: the depth that decides.
    if (!targetGiven) {
        const std::vector<LayerSensitivity> layers = layerSensitivity(mesh, run.sensitivity[0]);
        target.bottom = sensitiveDepth(layers, 0.01);
        for (const LayerSensitivity& layer : layers)
            if (layer.bottom == target.bottom) target.top = layer.top;
    }
    const SequenceFigures first{nullptr, run.sensitivity[0], run.resolution[0].diagonal},
        second{nullptr, run.sensitivity[1], run.resolution[1].diagonal};
    for (const FigureRow& row : comparisonRows(mesh, first, second, target))
        out << row.label << "\t" << row.first << "\t" << row.second << "\n";
    out << targetVerdict(mesh, first, second, target) << "\n";
    return kExitOk;
}

}  // namespace vexora::cli
