#pragma once
// The node mesh: node coordinates (following the terrain when asked), node
// flags, block corners and block boundary codes from the line lists.

#include "core/log/MessageLog.h"
#include "core/mesh/Mesh.h"
#include "core/settings/SettingsTable.h"

namespace vexora {

// Results of NodeMesh.
enum class [[nodiscard]] NodeMeshStatus { Made = 0, TerrainBelowBottom = 1, Failed = 99 };

inline constexpr std::string_view kTerrainBelowBottomMessage =
    "Surface z terrain elevation is somewhere lower than foreground region z bottom limit. Please redefine "
    "foreground region or check for topography. Mesh not generated.";
inline constexpr std::string_view kGenericMeshErrorMessage = "Generic mesh error: mesh not generated!";

// Builds the node mesh of `mesh.lines`, following `mesh.terrainSurface`
// when `mesh.followsTerrain` is set: with `#flat_z_bottom` 1 the foreground
// is compressed between the terrain and `#foreground_z_min` and everything
// below stays flat; otherwise every node column is shifted so its top lies
// on the terrain. Refreshes the foreground box's bottom and top from
// `#foreground_z_min` and `#foreground_z_max`.
//
// Returns NodeMeshStatus::Made; NodeMeshStatus::TerrainBelowBottom when a compressed column's
// terrain lies below the flat bottom; NodeMeshStatus::Failed, logged under
// "Node Mesh", for fewer than two lines on an axis, a line or terrain value
// that is not finite, a terrain surface of the wrong size, a foreground top
// not above its bottom while compressing, more than kMaxMeshNodes nodes, or
// too little memory. On any failure the mesh is left as it was.
//
// Every array is allocated once at its final size and filled in one pass.
NodeMeshStatus NodeMesh(Mesh& mesh, const SettingsTable& table, MessageLog& log);

}  // namespace vexora
