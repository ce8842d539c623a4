#include "engine/forward2d/ForwardDimension.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace vexora {

namespace {

constexpr const char* kSource = "RUNFORWARDMODEL";
constexpr double kFlatTolerance = 0.001;

// The reason the survey is not a line over flat ground, or "".
std::string notALine(const Survey& survey, ElectrodeLine& line)
{
    std::string why;
    switch (fitElectrodeLine(survey.electrodes, kLineTolerance, line, why)) {
    case LineFit::TooFew: return "the electrodes have fewer than two positions";
    case LineFit::OffLine: return "the electrodes do not lie on one line: " + why;
    case LineFit::OnLine: break;
    }
    double low = INFINITY, high = -INFINITY;
    for (const Electrode& e : survey.electrodes) low = std::min(low, e.elevation), high = std::max(high, e.elevation);
    for (const TopographyPoint& t : survey.topography) low = std::min(low, t.z), high = std::max(high, t.z);
    if (high - low > kFlatTolerance * line.length) {
        char text[160];
        std::snprintf(text, sizeof text, "the ground is not flat (elevations from %.3f to %.3f m)", low, high);
        return text;
    }
    return "";
}

}  // namespace

Status chooseForwardDimension(const Survey& survey, ForwardDimension asked, MessageLog& log,
                              std::optional<ElectrodeLine>& line)
{
    line.reset();
    if (asked == ForwardDimension::Three) return Status::Ok;
    ElectrodeLine fitted;
    const std::string why = notALine(survey, fitted);
    if (why.empty()) {
        line = std::move(fitted);
        return Status::Ok;
    }
    if (asked == ForwardDimension::Two) return log.error(kSource, "No 2.5D forward model: " + why + ".");
    return Status::Ok;
}

}  // namespace vexora
