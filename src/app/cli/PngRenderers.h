#pragma once
// `vexora histogram --png`, `vexora pseudosection`, `vexora section` and
// `vexora results --png` draw with the workbench's plot code, which needs Qt.
// The command library stays Qt-free: the executable links a small Qt-side
// object that registers the renderers at start-up; without it the commands
// report that this build cannot draw.

#include <string>
#include <vector>

#include "core/jobs/JobLogMisfit.h"
#include "core/mesh/ModelSection.h"
#include "core/qc/CrossCableMap.h"
#include "core/qc/DataFit.h"
#include "core/qc/Histogram.h"
#include "core/qc/Pseudosection.h"

namespace vexora::cli {

struct PngRenderers {
    bool (*histogram)(const HistogramModel& model, const std::string& path, std::string& why) = nullptr;
    bool (*pseudosection)(const std::vector<PseudosectionPanel>& panels, PseudoQuantity quantity,
                          const std::string& path, std::string& why) = nullptr;
    bool (*section)(const ModelSection& section, bool linear, const std::string& path, std::string& why) = nullptr;
    bool (*crossPlot)(const DataFit& fit, const std::string& path, std::string& why) = nullptr;
    bool (*misfit)(const JobLogMisfits& misfits, const std::string& path, std::string& why) = nullptr;
    bool (*crossCable)(const CrossCablePicture& picture, const std::string& caption, const std::string& path,
                       std::string& why) = nullptr;
    // A histogram without filter bars.
    bool (*residuals)(const HistogramModel& model, const std::string& path, std::string& why) = nullptr;
};

PngRenderers& pngRenderers();

}  // namespace vexora::cli
