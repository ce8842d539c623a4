#pragma once
// Nearest real node of the mesh to given points, found through the grid's
// structure: every X line index ix bounds the x of its nodes, every Y line
// index iy their y, so only the node columns that can hold the nearest node
// are searched.

#include <cstdint>
#include <vector>

#include "core/mesh/Mesh.h"

namespace vexora {

// For each point, the number k of the nearest real node of layers
// firstLayer..lastLayer (iz, 1-based), by squared distance
// (px - x)^2 + (py - y)^2 [+ (pz - z)^2 unless `horizontal`]. The result is
// exactly that of a scan over those nodes in node order that keeps a node
// only when it is strictly closer, starting from 1e30: ties go to the lowest
// node number, and 0 means no node is closer than that (or the point is not
// a number). Works on any node coordinates, moved nodes included.
std::vector<std::int32_t> nearestRealNodes(const Mesh& mesh, const std::vector<NodePoint>& points,
                                           std::int32_t firstLayer, std::int32_t lastLayer, bool horizontal);

}  // namespace vexora
