#pragma once
// The terrain a mesh follows: the topography points prepared for the mesh
// (`BinandSort`), the terrain elevation at every node column from a Delaunay
// triangulation of those points, and the surface electrodes moved onto the
// mesh surface.
//
// All of it works on a copy of the survey's topography: the table stays as
// loaded, so building a mesh twice gives the same mesh and saved data files
// carry only the points that were read.

#include <string_view>
#include <vector>

#include "core/log/MessageLog.h"
#include "core/mesh/Mesh.h"
#include "core/survey/SurveyTables.h"

namespace vexora {

enum class [[nodiscard]] TopographyStatus {
    Ready = 0,
    Fatal = 1,  // the mesh cannot follow these points
};

inline constexpr std::string_view kFewPointsMessage = "Topography Fatal Error: few points ";
inline constexpr std::string_view kFlatPointsMessage = "Topography Fatal Error: 2D points";
inline constexpr std::string_view kCollinearPointsMessage = "Topography Fatal Error: collinear points";

// The points the mesh follows: the survey's topography and, when asked,
// every electrode (remote ones included) as (x, y, terrain elevation).
std::vector<TopographyPoint> meshTopography(const Survey& survey, bool addElectrodes);

// Prepares the points for the mesh of `lines`: a single profile along X or
// Y is copied onto the first and last mesh lines across it, four corner
// points 0.001 m outside the outermost lines take the elevation of the
// nearest extreme point, and the points are merged per bin of a quarter
// element size (dx/4 by dy/4, kept between 1e-8 and 1/5 of the mesh extent)
// into their mean. Points that are not finite numbers are left out with a
// warning. Returns TopographyStatus::Fatal, with a fatal line in the log, for fewer
// than three points or a mesh without extent in X or Y; `points` are then
// unusable.
TopographyStatus BinandSort(std::vector<TopographyPoint>& points, const MeshLines& lines, double dx, double dy,
                            MessageLog& log);

// Terrain elevation at every intersection of an X and a Y line, element
// (ix-1)ny + (iy-1), by planar interpolation in the Delaunay triangle that
// holds the intersection (the elevation of the nearest point outside the
// triangulated area). Returns TopographyStatus::Fatal, logged, when the points do
// not span an area; `surface` is then left as it was.
TopographyStatus InterpolateTerrainSurface(const std::vector<TopographyPoint>& points, const MeshLines& lines,
                                           std::vector<double>& surface, MessageLog& log);

// Surface electrodes (type 2 or -2) take, as z and as terrain elevation, the
// z of the horizontally nearest real node of the top layer (the first in
// node order on a tie). Borehole electrodes are not touched.
void UpdateSurfaceElectrodes(const Mesh& mesh, std::vector<Electrode>& electrodes);

}  // namespace vexora
