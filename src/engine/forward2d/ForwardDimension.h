#pragma once
// Which forward model serves a survey: the 3D model on the mesh, or the
// 2.5D model of LineForward.h when the electrodes lie on one line and the
// ground does not change across it.

#include <optional>

#include "core/log/MessageLog.h"
#include "core/survey/SurveyTables.h"
#include "engine/forward2d/ElectrodeLine.h"

namespace vexora {

enum class ForwardDimension { Three, Two, Automatic };

// Three: 3D (`line` left empty). Two: the line, or Error with the reason
// logged when the survey is not such a line. Automatic: the line when there
// is one, 3D otherwise. The ground does not change across the line when
// every topography point lies within 1 % of the line's length of the
// profile through the electrodes' terrain elevations and the topography
// points on the line (linear between them and beyond the outermost ones).
Status chooseForwardDimension(const Survey& survey, ForwardDimension asked, MessageLog& log,
                              std::optional<ElectrodeLine>& line);

}  // namespace vexora
