#include "core/mesh/MeshPreview.h"

#include <algorithm>

#include "core/log/MessageLog.h"
#include "core/mesh/StartingModel.h"

namespace vexora {

namespace {

// `range` widened by its own size on each side (1 m when it has none), then
// cut to what the lines span.
std::pair<double, double> shownRange(double lo, double hi, const std::vector<double>& lines)
{
    const double size = std::max(hi - lo, 1.0);
    lo -= size;
    hi += size;
    if (!lines.empty()) {
        const auto [minLine, maxLine] = std::minmax_element(lines.begin(), lines.end());
        lo = std::max(lo, *minLine);
        hi = std::min(hi, *maxLine);
    }
    return lo < hi ? std::pair{lo, hi} : std::pair{lo - 0.5, lo + 0.5};
}

}  // namespace

MeshPreview meshPreview(PreviewKind kind, const MeshLines& lines, const ForegroundBox& box, const Survey& survey,
                        const SettingsTable& settings)
{
    MeshPreview p;
    const bool plan = kind == PreviewKind::Plan;
    p.horizontalLines = lines.x;
    p.verticalLines = plan ? lines.y : lines.z;
    p.foreground = plan ? PreviewBox{box.xMin, box.xMax, box.yMin, box.yMax}
                        : PreviewBox{box.xMin, box.xMax, box.zBottom, box.zMax};
    for (const Electrode& e : survey.electrodes) p.electrodes.emplace_back(e.x, plan ? e.y : e.z);
    for (const TopographyPoint& t : survey.topography) p.topography.emplace_back(t.x, plan ? t.y : t.z);
    MessageLog quiet;  // rows in error are simply not drawn
    for (const Anomaly& a : readAnomalies(settings, true, quiet))
        if (a.valid) p.anomalies.push_back(plan ? PreviewBox{a.xMin, a.xMax, a.yMin, a.yMax}
                                                : PreviewBox{a.xMin, a.xMax, a.zMin, a.zMax});
    const auto [h0, h1] = shownRange(p.foreground.h0, p.foreground.h1, p.horizontalLines);
    const auto [v0, v1] = shownRange(p.foreground.v0, p.foreground.v1, p.verticalLines);
    p.extent = {h0, h1, v0, v1};
    return p;
}

PreviewFrame previewFrame(const PreviewBox& extent, double width, double height, double margin)
{
    const double w = std::max(width - 2 * margin, 1.0), h = std::max(height - 2 * margin, 1.0);
    const double spanH = std::max(extent.h1 - extent.h0, 1e-9), spanV = std::max(extent.v1 - extent.v0, 1e-9);
    PreviewFrame f;
    f.scale = std::min(w / spanH, h / spanV);
    f.h0 = extent.h0;
    f.v1 = extent.v1;
    // Centred in the picture.
    f.left = margin + (w - spanH * f.scale) / 2;
    f.top = margin + (h - spanV * f.scale) / 2;
    return f;
}

}  // namespace vexora
