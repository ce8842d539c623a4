#pragma once
// `vexora histogram --png` draws with the workbench's plot code, which needs
// Qt. The command library stays Qt-free: the executable links a small
// Qt-side object that registers the renderer at start-up; without it --png
// reports that this build cannot draw.

#include <string>

#include "core/qc/Histogram.h"

namespace vexora::cli {

using HistogramPngRenderer = bool (*)(const HistogramModel& model, const std::string& path, std::string& why);

void setHistogramPngRenderer(HistogramPngRenderer renderer);
HistogramPngRenderer histogramPngRenderer();

}  // namespace vexora::cli
