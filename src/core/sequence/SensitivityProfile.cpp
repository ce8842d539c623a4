#include "core/sequence/SensitivityProfile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "core/settings/NumberText.h"

namespace vexora {

namespace {

std::string fixed(double value, int decimals)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

std::string significant(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.4g", value);
    return buffer;
}

// Calls visit(block index, layer) for every block whose centre lies inside
// the foreground box horizontally.
template <class Visit>
bool forForegroundBlocks(const Mesh& mesh, std::size_t values, Visit&& visit)
{
    if (blockCount(mesh) <= 0 || values != static_cast<std::size_t>(blockCount(mesh))) return false;
    const ForegroundBox& f = mesh.foreground;
    std::size_t b = 0;
    for (std::int32_t iz = 1; iz < mesh.nz; ++iz)
        for (std::int32_t iy = 1; iy < mesh.ny; ++iy)
            for (std::int32_t ix = 1; ix < mesh.nx; ++ix, ++b) {
                const double x = (mesh.lines.x[static_cast<std::size_t>(ix - 1)] + mesh.lines.x[static_cast<std::size_t>(ix)]) / 2;
                const double y = (mesh.lines.y[static_cast<std::size_t>(iy - 1)] + mesh.lines.y[static_cast<std::size_t>(iy)]) / 2;
                if (x >= f.xMin && x <= f.xMax && y >= f.yMin && y <= f.yMax) visit(b, static_cast<std::size_t>(iz - 1));
            }
    return true;
}

}  // namespace

std::vector<LayerSensitivity> layerSensitivity(const Mesh& mesh, const std::vector<double>& sensitivity)
{
    if (mesh.lines.z.size() < 2) return {};
    std::vector<LayerSensitivity> layers(static_cast<std::size_t>(mesh.nz - 1));
    std::vector<std::size_t> counts(layers.size());
    const bool ok = forForegroundBlocks(mesh, sensitivity.size(), [&](std::size_t b, std::size_t layer) {
        layers[layer].mean += sensitivity[b];
        ++counts[layer];
    });
    if (!ok) return {};
    const double top = mesh.lines.z[0];
    for (std::size_t k = 0; k < layers.size(); ++k) {
        layers[k].top = top - mesh.lines.z[k];
        layers[k].bottom = top - mesh.lines.z[k + 1];
        if (counts[k] > 0) layers[k].mean /= static_cast<double>(counts[k]);
    }
    return layers;
}

double sensitiveDepth(const std::vector<LayerSensitivity>& layers, double fraction)
{
    if (layers.empty()) return 0;
    const double limit = fraction * layers.front().mean;
    double depth = 0;
    for (const LayerSensitivity& layer : layers) {
        if (layer.mean < limit) break;
        depth = layer.bottom;
    }
    return depth;
}

double shareWhereSecondSeesMore(const Mesh& mesh, const std::vector<double>& first, const std::vector<double>& second)
{
    if (first.size() != second.size()) return 0;
    std::size_t more = 0, all = 0;
    forForegroundBlocks(mesh, first.size(), [&](std::size_t b, std::size_t) {
        more += second[b] > first[b];
        ++all;
    });
    return all > 0 ? static_cast<double>(more) / static_cast<double>(all) : 0;
}

std::vector<std::string> comparisonLines(const Mesh& mesh, const std::vector<double>& first,
                                         const std::vector<double>& second)
{
    const std::vector<LayerSensitivity> a = layerSensitivity(mesh, first), b = layerSensitivity(mesh, second);
    if (a.empty() || a.size() != b.size()) return {};
    std::vector<std::string> lines = {"depth_top_m\tdepth_bottom_m\tsensitivity_1\tsensitivity_2\tratio_2_to_1"};
    char buffer[160];
    for (std::size_t k = 0; k < a.size(); ++k) {
        std::snprintf(buffer, sizeof buffer, "%.3f\t%.3f\t%.4g\t%.4g\t%.3f", a[k].top, a[k].bottom, a[k].mean, b[k].mean,
                      a[k].mean > 0 ? b[k].mean / a[k].mean : 0.0);
        lines.emplace_back(buffer);
    }
    lines.push_back("sensitive depth (1% of the top layer) 1: " + formatNumber(sensitiveDepth(a, 0.01)) + " m, 2: " +
                    formatNumber(sensitiveDepth(b, 0.01)) + " m");
    std::snprintf(buffer, sizeof buffer, "%.1f", 100 * shareWhereSecondSeesMore(mesh, first, second));
    lines.push_back(std::string("blocks under the electrodes where 2 sees more than 1: ") + buffer + "%");
    return lines;
}

TargetFigures targetFigures(const Mesh& mesh, const std::vector<double>& sensitivity,
                            const std::vector<double>& resolution, TargetDepth target)
{
    TargetFigures f;
    const bool withResolution = resolution.size() == sensitivity.size();
    if (mesh.lines.z.empty()) return f;
    const double top = mesh.lines.z[0];
    forForegroundBlocks(mesh, sensitivity.size(), [&](std::size_t b, std::size_t layer) {
        const double depth = top - (mesh.lines.z[layer] + mesh.lines.z[layer + 1]) / 2;
        if (depth < target.top || depth > target.bottom) return;
        f.sensitivity += sensitivity[b];
        if (withResolution) f.resolution += resolution[b];
        ++f.blocks;
    });
    if (f.blocks > 0) {
        f.sensitivity /= static_cast<double>(f.blocks);
        f.resolution /= static_cast<double>(f.blocks);
    }
    return f;
}

std::vector<FigureRow> comparisonRows(const Mesh& mesh, const SequenceFigures& first, const SequenceFigures& second,
                                      TargetDepth target)
{
    const std::vector<LayerSensitivity> a = layerSensitivity(mesh, first.sensitivity),
                                        b = layerSensitivity(mesh, second.sensitivity);
    if (a.empty() || b.size() != a.size()) return {};
    std::vector<FigureRow> rows;
    if (first.summary && second.summary) {
        const SequenceSummary &s = *first.summary, &t = *second.summary;
        rows.push_back({"Quadrupoles", std::to_string(s.quadrupoles), std::to_string(t.quadrupoles)});
        rows.push_back({"Current injections", std::to_string(s.injections), std::to_string(t.injections)});
        rows.push_back({"Depth of investigation (m)", fixed(s.depthOfInvestigation, 2), fixed(t.depthOfInvestigation, 2)});
    }
    rows.push_back({"Sensitive depth, 1% of the top layer (m)", fixed(sensitiveDepth(a, 0.01), 2),
                    fixed(sensitiveDepth(b, 0.01), 2)});
    const TargetFigures p = targetFigures(mesh, first.sensitivity, first.resolution, target),
                        q = targetFigures(mesh, second.sensitivity, second.resolution, target);
    const std::string where = " at " + fixed(target.top, 2) + " to " + fixed(target.bottom, 2) + " m";
    rows.push_back({"Blocks" + where, std::to_string(p.blocks), std::to_string(q.blocks)});
    rows.push_back({"Mean sensitivity" + where, significant(p.sensitivity), significant(q.sensitivity)});
    const bool resolved = first.resolution.size() == first.sensitivity.size() &&
                          second.resolution.size() == second.sensitivity.size();
    if (resolved) {
        rows.push_back({"Mean resolution" + where, fixed(p.resolution, 3), fixed(q.resolution, 3)});
        const TargetDepth all{0, std::numeric_limits<double>::infinity()};
        rows.push_back({"Mean resolution under the electrodes",
                        fixed(targetFigures(mesh, first.sensitivity, first.resolution, all).resolution, 3),
                        fixed(targetFigures(mesh, second.sensitivity, second.resolution, all).resolution, 3)});
    }
    return rows;
}

std::string targetVerdict(const Mesh& mesh, const SequenceFigures& first, const SequenceFigures& second,
                          TargetDepth target)
{
    const TargetFigures p = targetFigures(mesh, first.sensitivity, first.resolution, target),
                        q = targetFigures(mesh, second.sensitivity, second.resolution, target);
    if (p.blocks == 0 || q.blocks == 0) return "No block under the electrodes lies at the target depth.";
    const bool resolved = first.resolution.size() == first.sensitivity.size() &&
                          second.resolution.size() == second.sensitivity.size();
    const double u = resolved ? p.resolution : p.sensitivity, v = resolved ? q.resolution : q.sensitivity;
    const std::string what = resolved ? "resolution " : "sensitivity ";
    // Within 5 % the figures cannot tell the sequences apart.
    if (std::abs(u - v) <= 0.05 * std::max(std::abs(u), std::abs(v)))
        return "Both sequences see the target alike (mean " + what + significant(u) + " and " + significant(v) + ").";
    const bool secondBetter = v > u;
    std::string line = std::string("Sequence ") + (secondBetter ? "2" : "1") + " sees the target better: mean " + what +
                       significant(secondBetter ? v : u) + " against " + significant(secondBetter ? u : v);
    if (first.summary && second.summary) {
        const std::size_t better = (secondBetter ? second : first).summary->injections,
                          other = (secondBetter ? first : second).summary->injections;
        line += ", with " + std::to_string(better) + " current injections against " + std::to_string(other);
    }
    return line + ".";
}

}  // namespace vexora
