#include "engine/forward/MeshLocation.h"

#include <algorithm>

#include "engine/forward/HexElement.h"

namespace vexora {

namespace {

// Cell i (0-based, between lines i and i + 1) holding v, and its local
// coordinate -1..1; false when v is outside the lines.
bool findCell(const std::vector<double>& lines, double v, std::size_t& cell, double& local)
{
    const double tolerance = 1e-9 * std::max(1.0, lines.back() - lines.front());
    if (lines.size() < 2 || v < lines.front() - tolerance || v > lines.back() + tolerance) return false;
    cell = static_cast<std::size_t>(std::upper_bound(lines.begin(), lines.end(), v) - lines.begin());
    cell = std::clamp<std::size_t>(cell, 1, lines.size() - 1) - 1;
    local = std::clamp(2 * (v - lines[cell]) / (lines[cell + 1] - lines[cell]) - 1, -1.0, 1.0);
    return true;
}

}  // namespace

Location locateInMesh(const Mesh& mesh, const NodePoint& point, MeshPoint& found, double& raisedBy)
{
    std::size_t cx = 0, cy = 0;
    double xi = 0, eta = 0;
    if (!findCell(mesh.lines.x, point.x, cx, xi) || !findCell(mesh.lines.y, point.y, cy, eta))
        return Location::OutsideHorizontally;
    const double wx[2] = {(1 - xi) / 2, (1 + xi) / 2}, wy[2] = {(1 - eta) / 2, (1 + eta) / 2};
    // Height of mesh layer iz (1-based Z line) at the point.
    auto layerZ = [&](std::int64_t iz) {
        double z = 0;
        for (int s = 0; s < 4; ++s)
            z += wx[s & 1] * wy[s >> 1] *
                 mesh.nodeGrid[static_cast<std::size_t>(nodeNumber(mesh, static_cast<std::int64_t>(cx) + 1 + (s & 1),
                                                                   static_cast<std::int64_t>(cy) + 1 + (s >> 1), iz) -
                                                        1)]
                     .z;
        return z;
    };
    found.surfaceZ = layerZ(1);
    const double bottom = layerZ(mesh.nz);
    raisedBy = std::max(0.0, point.z - found.surfaceZ);
    const double z = std::min(point.z, found.surfaceZ);
    if (z < bottom - 1e-9 * std::max(1.0, found.surfaceZ - bottom)) return Location::BelowBottom;
    // Layers are ordered downward: bisection for the last line at or above z.
    std::int64_t lo = 1, hi = mesh.nz;
    while (hi - lo > 1) {
        const std::int64_t mid = (lo + hi) / 2;
        (layerZ(mid) >= z ? lo : hi) = mid;
    }
    const double top = layerZ(lo), low = layerZ(lo + 1);
    const double zeta = std::clamp(2 * (top - z) / (top - low) - 1, -1.0, 1.0);

    found.position = {point.x, point.y, z};
    const std::array<double, 8> n = trilinearShape(xi, eta, zeta);
    const std::int64_t base =
        nodeNumber(mesh, static_cast<std::int64_t>(cx) + 1, static_cast<std::int64_t>(cy) + 1, lo) - 1;
    const std::int64_t strideY = mesh.nx + 2, strideZ = strideY * (mesh.ny + 2);
    for (int s = 0; s < 8; ++s) {
        found.node[static_cast<std::size_t>(s)] = base + (s & 1) + ((s >> 1) & 1) * strideY + (s >> 2) * strideZ;
        found.weight[static_cast<std::size_t>(s)] = n[static_cast<std::size_t>(s)];
    }
    found.block =
        ((lo - 1) * (mesh.ny - 1) + static_cast<std::int64_t>(cy)) * (mesh.nx - 1) + static_cast<std::int64_t>(cx);
    return Location::Inside;
}

}  // namespace vexora
