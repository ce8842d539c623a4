#pragma once
// Where a point lies in the terrain-following mesh: its element and the
// element's trilinear weights there, so that a value carried by the nodes is
// sum weight[s] * value[node[s]] (for sources and for measurements alike).

#include <array>
#include <cstdint>

#include "core/mesh/Mesh.h"

namespace vexora {

struct MeshPoint {
    NodePoint position;                  // the point, on the surface when it was above it
    std::array<std::int64_t, 8> node{};  // grid index (node number - 1) of each corner slot
    std::array<double, 8> weight{};
    std::int64_t block = 0;  // 0-based block index
    double surfaceZ = 0;     // the mesh's top surface above the point
};

enum class Location { Inside, OutsideHorizontally, BelowBottom };

// X and Y come straight from the mesh lines (every node column stands on an
// X and a Y line), so the column is found by bisection; z is then found in
// the column, where the mesh is linear in zeta at the point's (xi, eta). A
// point above the top surface is put on it, `raisedBy` telling how far.
Location locateInMesh(const Mesh& mesh, const NodePoint& point, MeshPoint& found, double& raisedBy);

}  // namespace vexora
