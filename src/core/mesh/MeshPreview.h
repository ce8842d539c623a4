#pragma once
// What the mesh workspace's two previews draw before any mesh is built: a
// plan (x, y) and a section (x, z) of the mesh lines with the foreground box,
// the electrodes, the topography points and the anomaly boxes, in metres.

#include <array>
#include <utility>
#include <vector>

#include "core/mesh/Mesh.h"
#include "core/settings/SettingsTable.h"
#include "core/survey/SurveyTables.h"

namespace vexora {

// A rectangle: horizontal range then vertical range.
struct PreviewBox {
    double h0 = 0, h1 = 0, v0 = 0, v1 = 0;
};

struct MeshPreview {
    std::vector<double> horizontalLines;  // positions along the horizontal axis
    std::vector<double> verticalLines;    // positions along the vertical axis
    PreviewBox foreground;
    std::vector<std::pair<double, double>> electrodes, topography;
    std::vector<PreviewBox> anomalies;    // resistivity anomalies
    // The part drawn: the foreground widened by its own size on every side,
    // cut to the lines, so far pads do not shrink the foreground to a dot.
    PreviewBox extent;
};

enum class PreviewKind { Plan, Section };

MeshPreview meshPreview(PreviewKind kind, const MeshLines& lines, const ForegroundBox& box, const Survey& survey,
                        const SettingsTable& settings);

// A pixel position of a point of the preview in a `width` x `height` picture
// with `margin` pixels around, one scale on both axes, the vertical axis up.
struct PreviewFrame {
    double scale = 1, h0 = 0, v1 = 0, left = 0, top = 0;
    std::pair<double, double> map(double h, double v) const { return {left + (h - h0) * scale, top + (v1 - v) * scale}; }
};
PreviewFrame previewFrame(const PreviewBox& extent, double width, double height, double margin);

}  // namespace vexora
