#include "engine/forward2d/LineForward.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "core/import/GeometricFactor.h"
#include "engine/forward/MeshLocation.h"

namespace vexora {

namespace {

constexpr const char* kSource = "RUNFORWARDMODEL";

std::string modelProblem(const LineModel& model, bool modelIp)
{
    const auto cells = static_cast<std::size_t>(model.grid.cells());
    if (model.grid.sCount() < 2 || model.grid.depthCount() < 2) return "The line model has no grid.";
    if (model.conductivity.size() != cells)
        return "Model size mismatch: " + std::to_string(model.conductivity.size()) + " conductivity values for " +
               std::to_string(cells) + " cells.";
    for (std::size_t e = 0; e < cells; ++e)
        if (!(model.conductivity[e] > 0 && std::isfinite(model.conductivity[e])))
            return "Cell " + std::to_string(e + 1) + " of the line model has conductivity " + std::to_string(model.conductivity[e]) +
                   "; a positive value is needed.";
    if (modelIp && model.ip.size() != cells)
        return "Model size mismatch: " + std::to_string(model.ip.size()) + " IP values for " + std::to_string(cells) +
               " cells.";
    return "";
}

}  // namespace

Wavenumbers surveyWavenumbers(std::span<const double> s)
{
    std::vector<double> sorted(s.begin(), s.end());
    std::sort(sorted.begin(), sorted.end());
    double spread = sorted.empty() ? 0.0 : sorted.back() - sorted.front();
    double shortest = spread;
    for (std::size_t i = 1; i < sorted.size(); ++i)
        if (sorted[i] - sorted[i - 1] > 1e-6 * std::max(1.0, spread))
            shortest = std::min(shortest, sorted[i] - sorted[i - 1]);
    if (!(shortest > 0)) shortest = spread = 1.0;
    const double longest = 2 * std::max(spread, 2 * shortest);
    return lineWavenumbers(shortest, longest, kLineWavenumbers);
}

Status prepareLineForward(const ElectrodeLine& line, const LineModel& model, const Survey& survey,
                          const SettingsTable& settings, bool everyElectrodeASource, std::string_view source,
                          MessageLog& log, LineSetup& setup)
{
    if (readForwardSettings(settings, setup.settings, log) != Status::Ok) return Status::Error;
    if (const std::string problem = modelProblem(model, setup.settings.modelIp); !problem.empty())
        return log.error(source, problem);
    if (planForwardQuadrupoles(survey, setup.settings.skipTxWithoutRx, everyElectrodeASource, source, log,
                               setup.plan) != Status::Ok)
        return Status::Error;
    const QuadrupolePlan& plan = setup.plan;
    std::vector<double> s;
    for (std::int32_t row : plan.electrodes) {
        const Electrode& e = survey.electrodes[static_cast<std::size_t>(row)];
        const double along = line.s[static_cast<std::size_t>(row)];
        setup.at.push_back(locateOnGrid(model.grid, along, e.z));
        s.push_back(along);
    }
    setup.wavenumbers = surveyWavenumbers(s);
    return Status::Ok;
}

Status lineResistances(const LineGrid& grid, const LineSetup& setup, std::span<const double> conductivity,
                       const ComputeControl& control, int from, int to, std::string_view source, MessageLog& log,
                       std::vector<double>& resistance, const LineFieldSink& onField)
{
    const QuadrupolePlan& plan = setup.plan;
    const std::size_t electrodes = plan.electrodes.size();
    std::vector<LineSource> sources;
    for (std::int32_t e : plan.sources) sources.push_back(lineSourceAt(grid, setup.at[static_cast<std::size_t>(e)], conductivity));
    // The half-space part in closed form, the secondary through the wavenumber sum.
    std::vector<double> potential(sources.size() * electrodes);
    for (std::size_t j = 0; j < sources.size(); ++j)
        for (std::size_t e = 0; e < electrodes; ++e)
            potential[j * electrodes + e] = linePrimaryPotential(sources[j], setup.at[e].s, setup.at[e].z);
    const Wavenumbers& w = setup.wavenumbers;
    const int total = static_cast<int>(sources.size());
    const LinePoleRun run = solveLinePoles(
        grid, conductivity, sources, w, setup.settings.threads,
        [&](std::size_t j, std::size_t k, std::span<const double> up, std::span<const double> us) {
            for (std::size_t e = 0; e < electrodes; ++e)
                potential[j * electrodes + e] += w.weight[k] * interpolate(setup.at[e], us);
            if (onField) onField(j, k, up, us);
        },
        control.cancelRequested,
        [&](int done) {
            control.report(from + (to - from) * done / std::max(total, 1),
                           "2.5D: " + std::to_string(done) + " of " + std::to_string(total) + " sources");
        });
    if (run.aborted)
        return log.error(source, "Forward model aborted after " + std::to_string(run.solved) + " of " +
                                     std::to_string(total) + " sources; the calculated values are unchanged.");
    if (run.failed) return log.error(source, "The 2.5D system of a source is not positive definite.");
    resistance = superpose(plan, potential, kCannotCompute);
    return Status::Ok;
}

Status runLineForwardModel(const ElectrodeLine& line, const LineModel& model, const Survey& survey,
                           const SettingsTable& settings, MessageLog& log, const ComputeControl& control,
                           CalculatedData& calculated)
{
    LineSetup setup;
    if (prepareLineForward(line, model, survey, settings, false, kSource, log, setup) != Status::Ok)
        return Status::Error;
    char text[200];
    std::snprintf(text, sizeof text,
                  "Electrodes on one line: 2.5D forward model (%zu wavenumbers).%s"
                  "2.5D forward model: %lld nodes, %zu current electrodes, %d threads%s",
                  setup.wavenumbers.k.size(), kLineBreak, static_cast<long long>(model.grid.nodes()),
                  setup.plan.sources.size(), setup.settings.threads, kLineBreak);
    log.subWriteToTextBox(text);
    return resistanceAndChargeability(
        model.conductivity, model.ip, setup.settings.modelIp, model.ipScale, control, log,
        [&](std::span<const double> conductivity, bool, int from, int to, std::vector<double>& resistance) {
            return lineResistances(model.grid, setup, conductivity, control, from, to, kSource, log, resistance);
        },
        calculated);
}

Status sampleLineModel(const Mesh& mesh, const Models& models, const ElectrodeLine& line, const Survey& survey,
                       MessageLog& log, LineModel& model)
{
    if (!mesh.present || blockCount(mesh) == 0 || mesh.lines.z.size() < 2)
        return log.error(kSource, "No mesh: generate or load a mesh before the forward model.");
    if (static_cast<std::int64_t>(models.conductivity.size()) != blockCount(mesh))
        return log.error(kSource, "Model size mismatch: " + std::to_string(models.conductivity.size()) +
                                      " conductivity values for " + std::to_string(blockCount(mesh)) + " blocks.");
    model = {};
    std::vector<double> s, remote;
    for (std::size_t row = 0; row < survey.electrodes.size(); ++row)
        (survey.electrodes[row].type >= 0 ? s : remote).push_back(line.s[row]);
    auto inside = [](const std::vector<double>& lines, double v) {
        const double margin = 1e-9 * std::max(1.0, lines.back() - lines.front());
        return std::clamp(v, lines.front() + margin, lines.back() - margin);
    };
    // The block of the mesh at (s, z) of the line's plane; the nearest one outside it.
    auto locate = [&](double along, double z) {
        NodePoint p{inside(mesh.lines.x, line.originX + along * line.directionX),
                    inside(mesh.lines.y, line.originY + along * line.directionY), z};
        MeshPoint at;
        double raised = 0;
        // Below the mesh's bottom (a grid deeper than the mesh there): come up
        // until the point is inside.
        for (double depth = 0; locateInMesh(mesh, p, at, raised) == Location::BelowBottom;) {
            if (depth == 0) depth = at.surfaceZ - z;
            depth *= 0.9;
            p.z = at.surfaceZ - depth;
        }
        return at;
    };
    std::vector<double> depth;
    for (double z : mesh.lines.z) depth.push_back(mesh.lines.z.front() - z);
    // The mesh's own top surface under the line.
    model.grid = makeLineGrid(
        s, std::move(depth), [&](double along) { return locate(along, INFINITY).surfaceZ; }, remote);
    model.ipScale = models.ipScale;
    const LineGrid& g = model.grid;
    const bool ip = models.ip.size() == models.conductivity.size();
    for (int id = 0; id + 1 < g.depthCount(); ++id)
        for (int is = 0; is + 1 < g.sCount(); ++is) {
            const double sc = (g.s[static_cast<std::size_t>(is)] + g.s[static_cast<std::size_t>(is) + 1]) / 2;
            const double dc = (g.depth[static_cast<std::size_t>(id)] + g.depth[static_cast<std::size_t>(id) + 1]) / 2;
            const MeshPoint at = locate(sc, g.surfaceAt(sc) - dc);
            model.conductivity.push_back(models.conductivity[static_cast<std::size_t>(at.block)]);
            if (ip) model.ip.push_back(models.ip[static_cast<std::size_t>(at.block)]);
        }
    return Status::Ok;
}

std::vector<std::size_t> lineCellsOfBlocks(const Mesh& mesh, const ElectrodeLine& line, const LineGrid& grid)
{
    const auto blocks = static_cast<std::size_t>(blockCount(mesh));
    const auto layer = static_cast<std::size_t>(mesh.nx - 1) * static_cast<std::size_t>(mesh.ny - 1);
    auto corner = [&](std::size_t block, int k) -> const NodePoint& {
        return mesh.nodeGrid[static_cast<std::size_t>(mesh.elementNodes[block][static_cast<std::size_t>(k)] - 1)];
    };
    std::vector<std::size_t> cells(blocks);
    for (std::size_t b = 0; b < blocks; ++b) {
        NodePoint centre;
        for (int k = 0; k < 8; ++k) {
            const NodePoint& p = corner(b, k);
            centre.x += p.x / 8, centre.y += p.y / 8, centre.z += p.z / 8;
        }
        double top = 0;  // the upper face of the column's first block
        for (int k = 0; k < 4; ++k) top += corner(b % layer, k).z / 4;
        const double along = alongLine(line, centre.x, centre.y);
        const LinePoint at = locateOnGrid(grid, along, grid.surfaceAt(along) - (top - centre.z));
        cells[b] = static_cast<std::size_t>(grid.cell(at.is, at.id));
    }
    return cells;
}

}  // namespace vexora
