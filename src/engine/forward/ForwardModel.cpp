#include "forward/ForwardModel.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "forward/ForwardMemory.h"
#include "forward/ForwardSettings.h"
#include "forward/PoleFields.h"
#include "forward/QuadrupolePlan.h"
#include "import/GeometricFactor.h"
#include "solver/SolverChoice.h"

namespace vexora {

namespace {

constexpr const char* kSource = "RUNFORWARDMODEL";

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
                             std::vector<MeshPoint>& at, MessageLog& log)
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
                      "Warning: %d electrodes above the mesh surface (up to %.3f m) are modelled on it.", raised,
                      highest);
        log.warning(kSource, text);
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

struct PassContext {
    const Mesh& mesh;
    const ForwardSettings& settings;
    const QuadrupolePlan& plan;
    const std::vector<MeshPoint>& at;
    NodePoint centre;
    std::uint64_t availableBytes;
    const ComputeControl& control;
    MessageLog& log;
};

void report(const ComputeControl& control, int percent, std::string_view stage)
{
    if (control.progress) control.progress(percent, stage);
}

// One model: the potential of every source at every used electrode. Percent
// runs from `from` to `to`. Returns 0, or 1 with the reason logged.
int modelPass(const PassContext& c, std::span<const double> conductivity, ForwardSystem& system, int from, int to,
              std::string_view label, std::vector<double>& potential)
{
    report(c.control, from, std::string(label) + ": assembling the system");
    assembleForwardSystem(c.mesh, conductivity, c.settings.faces, c.centre, c.settings.threads, system);
    std::string why;
    const std::unique_ptr<LinearSolver> solver =
        makeLinearSolver(system.system, c.settings.iteration, c.settings.threads, c.availableBytes,
                         static_cast<std::int64_t>(c.plan.sources.size()), SolverKind::Automatic, why);
    if (!solver) return c.log.error(kSource, "The linear solver could not be set up: " + why);
    c.log.subWriteToTextBox(std::string(label) + ": " + why + kLineBreak);

    const std::size_t electrodes = c.plan.electrodes.size();
    std::vector<MeshPoint> sources(c.plan.sources.size());
    for (std::size_t s = 0; s < sources.size(); ++s) sources[s] = c.at[static_cast<std::size_t>(c.plan.sources[s])];
    potential.assign(sources.size() * electrodes, 0.0);
    const int total = static_cast<int>(sources.size());
    const PoleRun run = solvePoleFields(
        c.mesh, system, *solver, sources, conductivity, c.settings.threads,
        [&](std::size_t s, const PoleSource& pole, std::span<const double> us) {
            for (std::size_t e = 0; e < electrodes; ++e)
                potential[s * electrodes + e] = totalPotential(pole, us, c.at[e]);
        },
        c.control.abortRequested,
        [&](int done) {
            report(c.control, from + (to - from) * done / std::max(total, 1),
                   std::string(label) + ": " + std::to_string(done) + " of " + std::to_string(total) + " sources");
        });
    if (run.aborted)
        return c.log.error(kSource, "Forward model aborted after " + std::to_string(run.solved) + " of " +
                                        std::to_string(total) + " sources; the calculated values are unchanged.");
    char summary[200];
    std::snprintf(summary, sizeof summary, "%s: %d sources solved, at most %d iterations, residual %.2e%s",
                  label.data(), run.solved, run.worst.iterations, run.worst.relativeResidual, kLineBreak);
    c.log.subWriteToTextBox(summary);
    if (!run.worst.converged)
        return c.log.error(kSource, run.worst.iterations == 0
                                        ? solver->name() + " could not solve the system."
                                        : "The forward solver did not converge within " +
                                              std::to_string(c.settings.iteration.maxIterations) +
                                              " iterations; raise the maximum number of forward iterations.");
    return kStatusOk;
}

}  // namespace

int runForwardModel(ProjectStore& store, MessageLog& log, const ComputeControl& control)
{
    ForwardSettings settings;
    if (readForwardSettings(store.settings, settings, log) != kStatusOk) return kStatusError;
    const Mesh& mesh = store.mesh;
    if (const std::string problem = meshProblem(mesh, store.models, settings.modelIp); !problem.empty())
        return log.error(kSource, problem);
    Survey& survey = store.survey;
    if (survey.quadrupoles.size() == 0) return log.error(kSource, "No quadrupoles to model.");

    const QuadrupolePlan plan = planQuadrupoles(survey, settings.skipTxWithoutRx);
    if (plan.sources.empty())
        return log.error(kSource, "No quadrupole has a current electrode to compute (all skipped or absent).");
    std::vector<MeshPoint> at;
    if (const std::string outside = locateElectrodes(survey, mesh, plan, at, log); !outside.empty())
        return log.error(kSource, outside);

    const std::int64_t gridPoints = static_cast<std::int64_t>(mesh.nodeGrid.size());
    const std::uint64_t available = control.memoryLimitBytes ? control.memoryLimitBytes : availableMemoryBytes();
    const std::uint64_t needed =
        // Batches of up to eight sources per thread (the direct path's).
        forwardMemoryEstimate(gridPoints, 8 * settings.threads, settings.threads,
                              static_cast<std::int64_t>(plan.sources.size()),
                              static_cast<std::int64_t>(plan.electrodes.size()));
    if (available > 0 && needed > available)
        return log.error(kSource, "The mesh of " + std::to_string(gridPoints) + " nodes needs about " +
                                      megabytes(needed) + " for the forward model; " + megabytes(available) +
                                      " are available.");
    log.subWriteToTextBox("Forward model: " + std::to_string(gridPoints) + " nodes, " +
                          std::to_string(plan.sources.size()) + " current electrodes, " +
                          std::to_string(settings.threads) + " threads, about " + megabytes(needed) + kLineBreak);

    const PassContext context{mesh, settings, plan, at, sourceCentre(plan, at), available, control, log};
    ForwardSystem system;
    std::vector<double> potential;
    const int split = settings.modelIp ? 50 : 100;
    if (modelPass(context, store.models.conductivity, system, 0, split, "Resistivity", potential) != kStatusOk)
        return kStatusError;
    std::vector<double> resistance = superpose(plan, potential, kCannotCompute);

    std::vector<double> chargeability;
    if (settings.modelIp) {
        // Seigel: the same survey over sigma (1 - eta).
        std::vector<double> charged(store.models.conductivity.size());
        for (std::size_t e = 0; e < charged.size(); ++e)
            charged[e] = store.models.conductivity[e] * (1 - store.models.ip[e]);
        if (modelPass(context, charged, system, split, 100, "IP", potential) != kStatusOk) return kStatusError;
        const std::vector<double> chargedResistance = superpose(plan, potential, kCannotCompute);
        chargeability.assign(resistance.size(), kCannotCompute);
        for (std::size_t k = 0; k < resistance.size(); ++k)
            if (resistance[k] != kCannotCompute && chargedResistance[k] != kCannotCompute && chargedResistance[k] != 0)
                chargeability[k] = (chargedResistance[k] - resistance[k]) / chargedResistance[k] * store.models.ipScale;
    }

    survey.quadrupoles.calcResistance = std::move(resistance);
    survey.present.calcResistance = true;
    if (settings.modelIp) {
        survey.quadrupoles.calcIp = std::move(chargeability);
        survey.present.calcIp = true;
    }
    report(control, 100, "Forward model done");
    log.subWriteToTextBox(std::string("Forward model done.") + kLineBreak);
    return kStatusOk;
}

}  // namespace vexora
