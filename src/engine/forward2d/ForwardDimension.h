#pragma once
// Which forward model serves a survey: the 3D model on the mesh, or the
// 2.5D model of LineForward.h when the electrodes lie on one line and the
// ground does not change across it.

#include <optional>
#include <string_view>

#include "core/log/MessageLog.h"
#include "core/survey/SurveyTables.h"
#include "engine/forward2d/ElectrodeLine.h"

namespace vexora {

enum class ForwardDimension { Three, Two, Automatic };

// The choice of a --dim argument: "2", "3" or "auto"; nothing for another word.
std::optional<ForwardDimension> parseForwardDimension(std::string_view word);

// Three: 3D (`line` left empty). Two: the line, or Error logged under
// `source` as "`refusal`: the reason." when the survey is not such a line.
// Automatic: the line when there is one, 3D otherwise, the choice and its
// reason logged. The ground does not change across the line when
// every topography point lies within 1 % of the line's length of the
// profile through the electrodes' terrain elevations and the topography
// points on the line (linear between them and beyond the outermost ones).
Status chooseForwardDimension(const Survey& survey, ForwardDimension asked, std::string_view source,
                              std::string_view refusal, MessageLog& log, std::optional<ElectrodeLine>& line);

}  // namespace vexora
