#pragma once
// Mesh settings derived from the electrode layout: element sizes from the
// electrode spacing, the foreground box around the electrodes, a depth from
// the layout's extent, and outer pads that reach the remote electrodes.

#include "core/log/MessageLog.h"
#include "core/mesh/Mesh.h"
#include "core/survey/SurveyTables.h"
#include "core/settings/SettingsTable.h"

namespace vexora {

// Writes the mesh items it derives into the table and leaves all others
// untouched; `lines` is left empty. Returns Ok, or Error (error logged, table
// untouched) when there is no electrode.
//
// When no cable holds two electrodes, or the spacing along the cables is
// zero, the element size is half the median distance from each electrode to
// its nearest neighbour, on all three axes (logged). With a single
// electrode, or electrodes all at one place, the sizes in the table are kept
// (logged).
Status SetDefaultMeshSettings(const Survey& survey, SettingsTable& table, MeshLines& lines, MessageLog& log);

// Pad values appended for one remote electrode are capped at this many.
inline constexpr int kMaxPadExtension = 10000;

}  // namespace vexora
