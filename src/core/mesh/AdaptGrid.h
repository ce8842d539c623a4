#pragma once
// Moving mesh nodes onto the electrodes, so that the numerical core injects
// current and measures potential exactly where the electrodes are.

#include <string>
#include <string_view>

#include "core/log/Status.h"
#include "core/mesh/Mesh.h"
#include "core/survey/SurveyTables.h"

namespace vexora {

// A node moves only when the move, measured in element sizes
// |dx/dx0| + |dy/dy0| + |dz/dz0|, is at most this.
inline constexpr double kAdaptLimit = 0.95;

inline constexpr std::string_view kAdaptWarningHead =
    "Electrodes are too close to adapt grid to electrodes or their arrangement could cause numerical instability!";
inline constexpr std::string_view kAdaptWarningList = "Following electrodes will be adapted to grid:";

struct ElementSize {
    double dx = 0, dy = 0, dz = 0;
};

// For every electrode, the nearest real node (3-D distance to the
// electrode's z; the lowest node number on a tie) moves onto the electrode,
// unless the move exceeds kAdaptLimit or the node is also the nearest of an
// electrode at another position (then none of the electrodes sharing it
// moves it). Electrodes at exactly the same position share their node.
// Returns Ok with `warning` empty when every electrode was served, otherwise
// Error with the warning text listing the others ("Cable: NAME, Electrode: N").
// An element size that is not positive serves no electrode.
Status AdaptGridToElectrodes(Mesh& mesh, const Survey& survey, const ElementSize& size, std::string& warning);

}  // namespace vexora
