#include "core/sequence/SensitivityProfile.h"

#include <cstdio>

#include "core/settings/NumberText.h"

namespace vexora {

namespace {

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

}  // namespace vexora
