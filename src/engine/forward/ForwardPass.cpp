#include "engine/forward/ForwardPass.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "core/import/GeometricFactor.h"
#include "core/platform/AvailableMemory.h"
#include "engine/forward/ForwardMemory.h"
#include "engine/solver/SolverChoice.h"

namespace vexora {

namespace {

std::string megabytes(std::uint64_t bytes)
{
    return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MB";
}

// The mesh and models must describe one another; returns the problem or "".
std::string meshProblem(const Mesh& mesh, const Models& models, bool modelIp)
{
    const std::int64_t blocks = blockCount(mesh);
    if (!mesh.present || blocks == 0) return "No mesh: generate or load a mesh before the forward model.";
    const std::int64_t nodes = static_cast<std::int64_t>(mesh.nx + 2) * (mesh.ny + 2) * (mesh.nz + 2);
    if (static_cast<std::int64_t>(mesh.nodeGrid.size()) != nodes ||
        static_cast<std::int64_t>(mesh.elementNodes.size()) != blocks)
        return "The mesh is incomplete: " + std::to_string(mesh.nodeGrid.size()) + " nodes and " +
               std::to_string(mesh.elementNodes.size()) + " blocks for " + std::to_string(nodes) + " and " +
               std::to_string(blocks) + ".";
    if (static_cast<std::int64_t>(models.conductivity.size()) != blocks)
        return "Model size mismatch: " + std::to_string(models.conductivity.size()) + " conductivity values for " +
               std::to_string(blocks) + " blocks.";
    for (std::size_t e = 0; e < models.conductivity.size(); ++e)
        if (!(models.conductivity[e] > 0 && std::isfinite(models.conductivity[e])))
            return "Block " + std::to_string(e + 1) + " has conductivity " + std::to_string(models.conductivity[e]) +
                   "; a positive value is needed.";
    if (!modelIp) return "";
    if (static_cast<std::int64_t>(models.ip.size()) != blocks)
        return "Model size mismatch: " + std::to_string(models.ip.size()) + " IP values for " + std::to_string(blocks) +
               " blocks.";
    for (std::size_t e = 0; e < models.ip.size(); ++e)
        if (!(models.ip[e] >= 0 && models.ip[e] < 1))
            return "Block " + std::to_string(e + 1) + " has chargeability " + std::to_string(models.ip[e]) +
                   "; a value from 0 to below 1 is needed.";
    return "";
}

// Locates every electrode the plan uses; returns the first one outside or "".
std::string locateElectrodes(const Survey& survey, const Mesh& mesh, const QuadrupolePlan& plan,
                             std::vector<MeshPoint>& at, std::string_view source, MessageLog& log)
{
    at.resize(plan.electrodes.size());
    int raised = 0;
    double highest = 0;
    for (std::size_t i = 0; i < plan.electrodes.size(); ++i) {
        const Electrode& e = survey.electrodes[static_cast<std::size_t>(plan.electrodes[i])];
        double raisedBy = 0;
        const Location where = locateInMesh(mesh, {e.x, e.y, e.z}, at[i], raisedBy);
        if (where != Location::Inside) {
            const std::string cable = e.cable >= 1 && e.cable <= static_cast<int>(survey.cableNames.size())
                                          ? survey.cableNames[static_cast<std::size_t>(e.cable - 1)]
                                          : std::to_string(e.cable);
            char position[96];
            std::snprintf(position, sizeof position, "(%.3f, %.3f, %.3f)", e.x, e.y, e.z);
            return "Electrode " + cable + " " + std::to_string(e.number) + " at " + position + " lies " +
                   (where == Location::BelowBottom ? "below the bottom of the mesh." : "outside the mesh.");
        }
        if (raisedBy > 0.01) ++raised, highest = std::max(highest, raisedBy);
    }
    if (raised > 0) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "%d electrodes above the mesh surface (up to %.3f m) are modelled on it.", raised,
                      highest);
        log.warning(source, text);
    }
    return "";
}

// The centre of the mixed conditions: current electrodes weighted by use.
NodePoint sourceCentre(const QuadrupolePlan& plan, const std::vector<MeshPoint>& at)
{
    NodePoint c;
    double weight = 0;
    for (std::size_t s = 0; s < plan.sources.size(); ++s) {
        const double w = plan.sourceUse[s];
        const NodePoint& p = at[static_cast<std::size_t>(plan.sources[s])].position;
        c.x += w * p.x, c.y += w * p.y, c.z += w * p.z;
        weight += w;
    }
    if (weight > 0) c = {c.x / weight, c.y / weight, c.z / weight};
    return c;
}

}  // namespace

Status prepareForward(const Mesh& mesh, const Models& models, const Survey& survey, const SettingsTable& settings,
                      const ComputeControl& control, bool everyElectrodeASource, std::string_view source,
                      MessageLog& log, ForwardSetup& setup)
{
    if (readForwardSettings(settings, setup.settings, log) != Status::Ok) return Status::Error;
    if (const std::string problem = meshProblem(mesh, models, setup.settings.modelIp); !problem.empty())
        return log.error(source, problem);
    if (planForwardQuadrupoles(survey, setup.settings.skipTxWithoutRx, everyElectrodeASource, source, log,
                               setup.plan) != Status::Ok)
        return Status::Error;
    QuadrupolePlan& plan = setup.plan;
    if (const std::string outside = locateElectrodes(survey, mesh, plan, setup.at, source, log); !outside.empty())
        return log.error(source, outside);

    const std::int64_t gridPoints = static_cast<std::int64_t>(mesh.nodeGrid.size());
    setup.availableBytes = control.memoryLimitBytes ? control.memoryLimitBytes : availableMemoryBytes();
    const std::uint64_t needed =
        // Batches of up to eight sources per thread (the direct path's).
        forwardMemoryEstimate(gridPoints, 8 * setup.settings.threads, setup.settings.threads,
                              static_cast<std::int64_t>(plan.sources.size()),
                              static_cast<std::int64_t>(plan.electrodes.size()));
    if (setup.availableBytes > 0 && needed > setup.availableBytes)
        return log.error(source, "The mesh of " + std::to_string(gridPoints) + " nodes needs about " +
                                     megabytes(needed) + " for the forward model; " + megabytes(setup.availableBytes) +
                                     " are available.");
    log.subWriteToTextBox("Forward model: " + std::to_string(gridPoints) + " nodes, " +
                          std::to_string(plan.sources.size()) + " current electrodes, " +
                          std::to_string(setup.settings.threads) + " threads, about " + megabytes(needed) +
                          kLineBreak);
    setup.centre = sourceCentre(plan, setup.at);
    return Status::Ok;
}

namespace {

// solveModel on this rank's share of the sources.
Status solveOwnSources(const Mesh& mesh, const ForwardSetup& setup, std::span<const double> conductivity,
                       const ComputeControl& control, int from, int to, std::string_view label,
                       std::string_view source, MessageLog& log, ForwardSystem& system, const PoleFieldSink& onField)
{
    const ForwardSettings& settings = setup.settings;
    control.report(from, std::string(label) + ": assembling the system");
    assembleForwardSystem(mesh, conductivity, settings.faces, setup.centre, settings.threads, system);
    std::string why;
    const std::unique_ptr<LinearSolver> solver =
        makeLinearSolver(system.system, settings.iteration, settings.threads, setup.availableBytes,
                         static_cast<std::int64_t>(setup.plan.sources.size()), SolverKind::Automatic, why,
                         &system.analysis);
    if (!solver) return log.error(source, "The linear solver could not be set up: " + why);
    log.subWriteToTextBox(std::string(label) + ": " + why + kLineBreak);

    const RankShare share = rankShare(setup.plan.sources.size(), *control.ranks);
    std::vector<MeshPoint> sources(share.size());
    for (std::size_t s = 0; s < sources.size(); ++s)
        sources[s] = setup.at[static_cast<std::size_t>(setup.plan.sources[share.first + s])];
    const int total = static_cast<int>(sources.size());
    const PoleRun run = solvePoleFields(
        mesh, system, *solver, sources, conductivity, settings.threads,
        [&](std::size_t s, const PoleSource& pole, std::span<const double> us) { onField(share.first + s, pole, us); },
        control.cancelRequested,
        [&](int done) {
            control.report(from + (to - from) * done / std::max(total, 1),
                   std::string(label) + ": " + std::to_string(done) + " of " + std::to_string(total) + " sources");
        });
    if (run.aborted)
        return log.error(source, "Forward model aborted after " + std::to_string(run.solved) + " of " +
                                     std::to_string(total) + " sources; the calculated values are unchanged.");
    char summary[320], outer[120] = "", shared[80] = "";
    if (control.ranks->count() > 1)
        std::snprintf(shared, sizeof shared, " (this rank's share of %zu on %d ranks)", setup.plan.sources.size(),
                      control.ranks->count());
    if (run.outerIterations > 0)
        std::snprintf(outer, sizeof outer, ", each source's own outer condition in at most %d further solves",
                      run.outerIterations);
    if (run.worst.iterations > 0)
        std::snprintf(summary, sizeof summary, "%s: %d sources solved%s, at most %d iterations, residual %.2e%s%s",
                      std::string(label).c_str(), run.solved, shared, run.worst.iterations, run.worst.relativeResidual,
                      outer, kLineBreak);
    else
        std::snprintf(summary, sizeof summary, "%s: %d sources solved directly%s%s%s", std::string(label).c_str(),
                      run.solved, shared, outer, kLineBreak);
    log.subWriteToTextBox(summary);
    if (!run.worst.converged)
        return log.error(source, run.worst.iterations == 0
                                     ? solver->name() + " could not solve the system."
                                     : "The forward solver did not converge within " +
                                           std::to_string(settings.iteration.maxIterations) +
                                           " iterations; raise the maximum number of forward iterations.");
    return Status::Ok;
}

}  // namespace

Status solveModel(const Mesh& mesh, const ForwardSetup& setup, std::span<const double> conductivity,
                  const ComputeControl& control, int from, int to, std::string_view label, std::string_view source,
                  MessageLog& log, ForwardSystem& system, const PoleFieldSink& onField)
{
    const Status own =
        solveOwnSources(mesh, setup, conductivity, control, from, to, label, source, log, system, onField);
    return agreedStatus(*control.ranks, own);
}

Status modelResistances(const Mesh& mesh, const ForwardSetup& setup, std::span<const double> conductivity,
                        const ComputeControl& control, int from, int to, std::string_view label,
                        std::string_view source, MessageLog& log, ForwardSystem& system,
                        std::vector<double>& resistance, const PoleFieldSink& alsoOnField)
{
    const std::size_t electrodes = setup.plan.electrodes.size();
    std::vector<double> potential(setup.plan.sources.size() * electrodes, 0.0);
    const Status status = solveModel(mesh, setup, conductivity, control, from, to, label, source, log, system,
                                     [&](std::size_t s, const PoleSource& pole, std::span<const double> us) {
                                         for (std::size_t e = 0; e < electrodes; ++e)
                                             potential[s * electrodes + e] = totalPotential(pole, us, setup.at[e]);
                                         if (alsoOnField) alsoOnField(s, pole, us);
                                     });
    if (status != Status::Ok) return status;
    control.ranks->sum(potential);  // each rank filled the rows of its own sources
    resistance = superpose(setup.plan, potential, kCannotCompute);
    return Status::Ok;
}

}  // namespace vexora
