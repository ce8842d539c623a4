#pragma once
// The structured hexahedral mesh: three sorted line lists, the foreground
// box, and the node mesh built from them (node coordinates with a halo of
// one node on every side, node flags, the eight corners and the boundary
// code of every block), plus the terrain elevations it follows.
//
// Numbering follows the files exchanged with the numerical core: node
// (ix, iy, iz), ix in 0..nx+1 and so on, is node number
// k = iz(nx+2)(ny+2) + iy(nx+2) + ix + 1 and sits at nodeGrid[k - 1]; block
// (ix, iy, iz), ix in 1..nx-1, is block number
// e = (iz-1)(nx-1)(ny-1) + (iy-1)(nx-1) + ix at elementNodes[e - 1]. Line i
// (1-based) of an axis sits at lines.x[i - 1]. Z runs from the top down.

#include <array>
#include <cstdint>
#include <vector>

namespace vexora {

struct MeshLines {
    std::vector<double> x;  // ascending
    std::vector<double> y;  // ascending
    std::vector<double> z;  // descending: z[0] is the foreground top
    bool empty() const { return x.empty() && y.empty() && z.empty(); }
    void clear()
    {
        x.clear();
        y.clear();
        z.clear();
    }
    bool operator==(const MeshLines&) const = default;
};

// Metres; the bottom is the flat foreground bottom or the top minus the
// depth of investigation.
struct ForegroundBox {
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0, zBottom = 0, zMax = 0;
    bool operator==(const ForegroundBox&) const = default;
};

struct NodePoint {
    double x = 0, y = 0, z = 0;
    bool operator==(const NodePoint&) const = default;
};

// Node numbers (1-based) of a block's corners: slots 0-3 the upper face,
// 4-7 the lower face, each in x-then-y order.
using ElementCorners = std::array<std::int32_t, 8>;

// Node numbers and node counts are 32-bit in the files and in the core.
inline constexpr std::int64_t kMaxMeshNodes = 2147483647;

inline constexpr std::int16_t kNodeFlagSet = -1;

// Outer face a block touches; the first matching test wins in this order.
enum BoundaryCode : std::int16_t {
    kBoundaryNone = 0,
    kBoundaryMinusX = 1,
    kBoundaryPlusX = 2,
    kBoundaryMinusY = 3,
    kBoundaryPlusY = 4,
    kBoundaryBottom = 5,
};

struct Mesh {
    MeshLines lines;
    ForegroundBox foreground;

    // The node mesh: nx, ny, nz are the line counts it was built from.
    std::int32_t nx = 0, ny = 0, nz = 0;
    std::array<std::int32_t, 3> nodeStride{};     // 1, nx+2, (nx+2)(ny+2)
    std::array<std::int32_t, 3> elementStride{};  // 1, nx-1, (nx-1)(ny-1)
    std::vector<NodePoint> nodeGrid;              // halo nodes at (0, 0, 0)
    std::vector<std::int16_t> nodeFlags;          // -1 or 0; halo 0
    std::vector<ElementCorners> elementNodes;
    std::vector<std::int16_t> elementBoundary;

    // Terrain elevation at every (X line, Y line) intersection, element
    // (ix-1)ny + (iy-1); used when followsTerrain.
    std::vector<double> terrainSurface;
    bool followsTerrain = false;
    std::int16_t redBlack = 0;  // alternate node flags when set (meshes read from file)

    bool present = false;      // a complete node mesh exists
    bool userDefined = false;  // lines were inserted by hand
};

// Node number k of node (ix, iy, iz), halo included.
inline std::int64_t nodeNumber(const Mesh& mesh, std::int64_t ix, std::int64_t iy, std::int64_t iz)
{
    return iz * (mesh.nx + 2) * static_cast<std::int64_t>(mesh.ny + 2) + iy * (mesh.nx + 2) + ix + 1;
}

inline std::int64_t blockCount(const Mesh& mesh)
{
    if (mesh.nx < 2 || mesh.ny < 2 || mesh.nz < 2) return 0;
    return static_cast<std::int64_t>(mesh.nx - 1) * (mesh.ny - 1) * (mesh.nz - 1);
}

// Empties the node mesh (not the lines): no mesh is present afterwards.
void clearNodeMesh(Mesh& mesh);

}  // namespace vexora
