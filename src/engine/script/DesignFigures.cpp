#include "engine/script/DesignFigures.h"

#include <algorithm>

#include "core/import/GeometricFactor.h"
#include "core/import/tables/ImportFill.h"
#include "core/mesh/ViewerModelFile.h"
#include "core/settings/NumberText.h"
#include "engine/forward/ForwardSettings.h"
#include "engine/inversion/BlockGrid.h"
#include "engine/inversion/SensitivityJob.h"
#include "engine/script/JobSteps.h"

namespace vexora {

namespace {

constexpr const char* kSource = "sequence-compare";

// The positions of the electrodes on the ground under the mesh; a remote
// pole changes nothing there, so one sequence may have it and the other not.
std::vector<Point3> layoutPositions(const Survey& survey)
{
    std::vector<Point3> points;
    for (const Electrode& e : survey.electrodes)
        if (survey.cableNames[static_cast<std::size_t>(e.cable - 1)] != kRemoteCableName) points.push_back({e.x, e.y, e.z});
    return points;
}

bool sameElectrodes(const Survey& a, const Survey& b)
{
    const std::vector<Point3> p = layoutPositions(a), q = layoutPositions(b);
    return p.size() == q.size() && std::equal(p.begin(), p.end(), q.begin(), [](const Point3& u, const Point3& v) {
               return u.x == v.x && u.y == v.y && u.z == v.z;
           });
}

}  // namespace

Status figureTwoSequences(const std::filesystem::path& first, const std::filesystem::path& second,
                          const DesignFigureOptions& options, MessageLog& log, const ComputeControl& control,
                          DesignFigureRun& run)
{
    ProjectStore stores[2];
    if (loadJobDataFile(stores[0], first, log) != Status::Ok || loadJobDataFile(stores[1], second, log) != Status::Ok)
        return Status::Error;
    if (!sameElectrodes(stores[0].survey, stores[1].survey))
        return log.error(kSource, "The two sequences stand on different electrodes: compare sequences designed on one "
                                  "layout.");
    if (!(options.lambda > 0) || !(options.errorPercent > 0))
        return log.error(kSource, "The roughness factor and the data error must be positive.");
    // One mesh for both: that of the sequence with the remote electrode when
    // only one has it, whose pads reach out to it.
    DesignFigureRun result;
    result.surveys[0] = stores[0].survey;
    result.surveys[1] = stores[1].survey;
    result.ground = std::move(stores[stores[1].survey.electrodes.size() > stores[0].survey.electrodes.size() ? 1 : 0]);
    ProjectStore& ground = result.ground;
    if (generateJobMesh(ground, log) != Status::Ok) return Status::Error;
    const SensitivityRequest cumulative{0, true};
    ResolutionOptions resolution;
    resolution.lambda = options.lambda;
    resolution.colours = options.colours;
    ForwardSettings forward;
    if (readForwardSettings(ground.settings, forward, log) != Status::Ok) return Status::Error;
    resolution.threads = forward.threads;
    for (int k = 0; k < 2; ++k) {
        ComputeControl part = control;
        static_cast<Feedback&>(part) = control.part(50 * k, 50 * k + 40, "Sensitivity of sequence " + std::to_string(k + 1));
        CalculatedData calculated;
        Jacobian j;
        if (generateSensitivity(ground.mesh, ground.models, result.surveys[k], ground.settings, cumulative, log, part,
                                result.sensitivity[k], calculated, &j) != Status::Ok)
            return Status::Error;
        if (control.cancelled()) return log.error(kSource, "Design figures cancelled.");
        control.report(50 * k + 40, "Resolution of sequence " + std::to_string(k + 1));
        const std::vector<double> weights(j.rows, 100 / options.errorPercent);
        result.resolution[k] = resolutionDiagonal(j, weights, blockGrid(ground.mesh), resolution);
        log.subWriteToTextBox("Sequence " + std::to_string(k + 1) + ": resolution of " + std::to_string(j.cols) +
                              " blocks from " + std::to_string(result.resolution[k].probes) +
                              (result.resolution[k].exact ? " probes (exact), " : " coloured probes, ") +
                              "roughness factor " + formatNumber(options.lambda) + ", data error " +
                              formatNumber(options.errorPercent) + " %, at most " +
                              std::to_string(result.resolution[k].worstIterations) + " solver iterations." +
                              kLineBreak);
    }
    control.report(100, "Design figures done");
    run = std::move(result);
    return Status::Ok;
}

Status saveDesignFigures(const DesignFigureRun& run, int k, const std::filesystem::path& path, MessageLog& log)
{
    Models models = run.ground.models;
    models.sensitivity = run.sensitivity[k];
    const BlockQuantity resolution[] = {{kResolutionQuantity, &run.resolution[k].diagonal}};
    if (modBinOutput(path, "RHO", run.ground.settings, run.surveys[k], run.ground.mesh, models, log, nullptr,
                     resolution) != ViewerFileStatus::Written)
        return log.error(kSource, path.string() + " not written.");
    return Status::Ok;
}

Status compareSequenceFiles(const std::filesystem::path& first, const std::filesystem::path& second,
                            const std::filesystem::path& viewerPrefix, double lambda, ComparedSequences& compared,
                            MessageLog& log, const Feedback& feedback)
{
    DesignFigureOptions options;
    options.lambda = lambda;
    DesignFigureRun run;
    ComputeControl control;
    static_cast<Feedback&>(control) = feedback;
    if (figureTwoSequences(first, second, options, log, control, run) != Status::Ok) return Status::Error;
    ComparedSequences result;
    for (int k = 0; k < 2; ++k) {
        result.viewerFiles[k] = viewerPrefix;
        result.viewerFiles[k] += k == 0 ? "_1.vwer" : "_2.vwer";
        if (saveDesignFigures(run, k, result.viewerFiles[k], log) != Status::Ok) return Status::Error;
        result.sensitivity[k] = std::move(run.sensitivity[k]);
        result.resolution[k] = std::move(run.resolution[k].diagonal);
    }
    result.mesh = std::move(run.ground.mesh);
    compared = std::move(result);
    return Status::Ok;
}

}  // namespace vexora
