#pragma once
// The mesh settings of the settings table and the line generation
// (`MakeMeshXYZ`): element sizes, foreground box and pad lists become the
// three line lists of the mesh and its foreground box.

#include <string_view>
#include <vector>

#include "core/mesh/Mesh.h"
#include "core/settings/SettingsTable.h"

namespace vexora {

inline constexpr int kYes = 1;  // yes/no settings: 1 yes, 2 no

struct MeshSettings {
    double dx = 0, dy = 0, dz = 0;  // interior element sizes
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    double zMin = 0, zMax = 0;       // `#foreground_z_min`, `#foreground_z_max`
    // Pad offsets beyond each foreground edge, in interior element sizes.
    std::vector<double> padsXMin, padsXMax, padsYMin, padsYMax, padsZMin;
    int flatGrid = 1;                // 2: follow the topography
    int electrodesInTopography = 2;
    int updateSurfaceElectrodes = 2;
    int flatZBottom = 1;
    double depthOfInvestigation = 0;
    int adaptGridToElectrodes = 2;

    // The foreground bottom the lines are built from.
    double foregroundBottom() const { return flatZBottom == kYes ? zMin : zMax - depthOfInvestigation; }
};

MeshSettings readMeshSettings(const SettingsTable& table);

// Results of MakeMeshXYZ.
enum class [[nodiscard]] MeshLinesStatus {
    Made = 0,
    LimitsReversed = 1,  // also limits that are not finite numbers
    SizeNotPositive = 2,
    TooLarge = 3,        // the node mesh would exceed kMaxMeshNodes
};

// The message a caller reports for a result other than Made.
std::string_view meshLinesMessage(MeshLinesStatus result);

// Replaces `lines` and `box` from the settings on success; on any other
// result both are left as they were. Pads whose line is not a finite number
// are left out.
MeshLinesStatus MakeMeshXYZ(const SettingsTable& table, MeshLines& lines, ForegroundBox& box);

// The same on settings already read.
MeshLinesStatus MakeMeshXYZ(const MeshSettings& settings, MeshLines& lines, ForegroundBox& box);

}  // namespace vexora
