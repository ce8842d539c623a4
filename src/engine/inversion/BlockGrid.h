#pragma once
// The blocks of the structured mesh as a grid: block (ix, iy, iz), each
// 0-based here, is parameter ix + nx (iy + ny iz), the mesh's block order.

#include <cstddef>

#include "core/mesh/Mesh.h"

namespace vexora {

struct BlockGrid {
    std::size_t nx = 0, ny = 0, nz = 0;
    std::size_t size() const { return nx * ny * nz; }
    std::size_t index(std::size_t ix, std::size_t iy, std::size_t iz) const { return ix + nx * (iy + ny * iz); }
};

inline BlockGrid blockGrid(const Mesh& mesh)
{
    if (blockCount(mesh) == 0) return {};
    return {static_cast<std::size_t>(mesh.nx - 1), static_cast<std::size_t>(mesh.ny - 1),
            static_cast<std::size_t>(mesh.nz - 1)};
}

}  // namespace vexora
