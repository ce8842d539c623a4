#include "core/mesh/NodeMesh.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>

#include "core/mesh/MeshSettings.h"
#include "core/settings/NumberText.h"

namespace vexora {

namespace {

constexpr std::string_view kSource = "Node Mesh";

NodeMeshStatus failed(MessageLog& log, const std::string& text)
{
    log.logError(kSource, text);
    return NodeMeshStatus::Failed;
}

bool allFinite(const std::vector<double>& values)
{
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// The Z line nearest to zb; the upper one wins a tie (0-based).
std::size_t nearestZLine(const std::vector<double>& z, double zb)
{
    std::size_t best = 0;
    for (std::size_t i = 1; i < z.size(); ++i)
        if (std::abs(z[i] - zb) < std::abs(z[best] - zb)) best = i;
    return best;
}

// How a node column follows the terrain S: shifted whole
// (z = S - Z(1) + Z), or compressed between S and the flat bottom zb down to
// the Z line nearest zb (z = S - (zt - Z)(S - zb)/(zt - zb)), flat below it.
struct ColumnRule {
    bool follows = false;
    bool compress = false;
    double zt = 0, zb = 0;
    std::size_t lastCompressed = 0;  // 0-based index of that Z line
};

struct NodeArrays {
    std::vector<NodePoint> nodes;
    std::vector<std::int16_t> flags;
    std::vector<ElementCorners> corners;
    std::vector<std::int16_t> boundary;
};

void fillNodes(const Mesh& mesh, const ColumnRule& rule, NodeArrays& out)
{
    const MeshLines& L = mesh.lines;
    const std::int64_t nx = static_cast<std::int64_t>(L.x.size());
    const std::int64_t ny = static_cast<std::int64_t>(L.y.size());
    const std::int64_t nz = static_cast<std::int64_t>(L.z.size());
    const double top = L.z.front();
    for (std::int64_t iz = 0; iz <= nz + 1; ++iz) {
        const bool realLayer = iz >= 1 && iz <= nz;
        for (std::int64_t iy = 0; iy <= ny + 1; ++iy) {
            const bool realRow = realLayer && iy >= 1 && iy <= ny;
            for (std::int64_t ix = 0; ix <= nx + 1; ++ix) {
                if (!realRow || ix < 1 || ix > nx) {
                    out.nodes.push_back({});
                    out.flags.push_back(0);
                    continue;
                }
                const double Z = L.z[static_cast<std::size_t>(iz - 1)];
                double z = Z;
                if (rule.follows) {
                    const double S = mesh.terrainSurface[static_cast<std::size_t>((ix - 1) * ny + (iy - 1))];
                    if (!rule.compress) z = S - top + Z;
                    else if (static_cast<std::size_t>(iz - 1) <= rule.lastCompressed)
                        z = S - (rule.zt - Z) * ((S - rule.zb) / (rule.zt - rule.zb));
                }
                out.nodes.push_back({L.x[static_cast<std::size_t>(ix - 1)], L.y[static_cast<std::size_t>(iy - 1)], z});
                const bool set = mesh.redBlack == 0 || (ix % 2 + iy % 2 + iz % 2) % 2 == 1;
                out.flags.push_back(set ? kNodeFlagSet : 0);
            }
        }
    }
}

void fillElements(std::int64_t nx, std::int64_t ny, std::int64_t nz, NodeArrays& out)
{
    const std::int64_t sy = nx + 2, sz = (nx + 2) * (ny + 2);
    for (std::int64_t iz = 1; iz < nz; ++iz)
        for (std::int64_t iy = 1; iy < ny; ++iy)
            for (std::int64_t ix = 1; ix < nx; ++ix) {
                const auto b = static_cast<std::int32_t>(iz * sz + iy * sy + ix + 1);
                const auto y = static_cast<std::int32_t>(sy), z = static_cast<std::int32_t>(sz);
                out.corners.push_back({b, b + 1, b + y, b + y + 1, b + z, b + z + 1, b + z + y, b + z + y + 1});
                std::int16_t code = kBoundaryNone;
                if (iz == nz - 1) code = kBoundaryBottom;
                else if (iy == ny - 1) code = kBoundaryPlusY;
                else if (iy == 1) code = kBoundaryMinusY;
                else if (ix == nx - 1) code = kBoundaryPlusX;
                else if (ix == 1) code = kBoundaryMinusX;
                out.boundary.push_back(code);
            }
}

}  // namespace

NodeMeshStatus NodeMesh(Mesh& mesh, const SettingsTable& table, MessageLog& log)
{
    const MeshLines& L = mesh.lines;
    if (L.x.size() < 2 || L.y.size() < 2 || L.z.size() < 2)
        return failed(log, "At least two mesh lines are needed along X, Y and Z; found " +
                               std::to_string(L.x.size()) + ", " + std::to_string(L.y.size()) + ", " +
                               std::to_string(L.z.size()) + ".");
    if (!allFinite(L.x) || !allFinite(L.y) || !allFinite(L.z))
        return failed(log, "A mesh line is not a finite number.");

    const std::int64_t nx = static_cast<std::int64_t>(L.x.size());
    const std::int64_t ny = static_cast<std::int64_t>(L.y.size());
    const std::int64_t nz = static_cast<std::int64_t>(L.z.size());
    // Counted in 64 bits: line counts near 1300 per axis already pass 2^31.
    std::int64_t layer = 0, nodeCount = 0;
    if (__builtin_mul_overflow(nx + 2, ny + 2, &layer) || __builtin_mul_overflow(layer, nz + 2, &nodeCount))
        nodeCount = INT64_MAX;
    if (nodeCount > kMaxMeshNodes)
        return failed(log, "Mesh too large: " + std::to_string(nx) + " x " + std::to_string(ny) + " x " +
                               std::to_string(nz) + " lines need more than " + std::to_string(kMaxMeshNodes) +
                               " nodes.");
    const std::int64_t elementCount = (nx - 1) * (ny - 1) * (nz - 1);

    const double zb = settingNumber(table, Item::ForegroundZMin);
    const double zt = settingNumber(table, Item::ForegroundZMax);
    ColumnRule rule;
    rule.follows = mesh.followsTerrain;
    if (rule.follows) {
        const std::vector<double>& S = mesh.terrainSurface;
        if (static_cast<std::int64_t>(S.size()) != nx * ny)
            return failed(log, "The terrain surface holds " + std::to_string(S.size()) + " elevations, " +
                                   std::to_string(nx * ny) + " expected.");
        if (!allFinite(S)) return failed(log, "A terrain elevation is not a finite number.");
        rule.compress = settingInteger(table, Item::FlatZBottom) == kYes;
        if (rule.compress) {
            // The shift keeps a column's order whatever the terrain; the
            // compression needs the terrain above the flat bottom.
            if (!(zt > zb) || !std::isfinite(zt) || !std::isfinite(zb))
                return failed(log, "The foreground top (" + formatNumber(zt) + ") must lie above its bottom (" +
                                       formatNumber(zb) + ") for the mesh to follow the terrain.");
            if (std::any_of(S.begin(), S.end(), [zb](double s) { return s < zb; }))
                return NodeMeshStatus::TerrainBelowBottom;
            rule.zt = zt;
            rule.zb = zb;
            rule.lastCompressed = nearestZLine(L.z, zb);
        }
    }

    NodeArrays arrays;
    try {
        arrays.nodes.reserve(static_cast<std::size_t>(nodeCount));
        arrays.flags.reserve(static_cast<std::size_t>(nodeCount));
        arrays.corners.reserve(static_cast<std::size_t>(elementCount));
        arrays.boundary.reserve(static_cast<std::size_t>(elementCount));
    }
    catch (const std::bad_alloc&) {
        return failed(log, "Not enough memory for a mesh of " + std::to_string(nodeCount) + " nodes.");
    }
    fillNodes(mesh, rule, arrays);
    fillElements(nx, ny, nz, arrays);

    mesh.nx = static_cast<std::int32_t>(nx);
    mesh.ny = static_cast<std::int32_t>(ny);
    mesh.nz = static_cast<std::int32_t>(nz);
    mesh.nodeStride = {1, static_cast<std::int32_t>(nx + 2), static_cast<std::int32_t>((nx + 2) * (ny + 2))};
    mesh.elementStride = {1, static_cast<std::int32_t>(nx - 1), static_cast<std::int32_t>((nx - 1) * (ny - 1))};
    mesh.nodeGrid = std::move(arrays.nodes);
    mesh.nodeFlags = std::move(arrays.flags);
    mesh.elementNodes = std::move(arrays.corners);
    mesh.elementBoundary = std::move(arrays.boundary);
    mesh.foreground.zBottom = zb;
    mesh.foreground.zMax = zt;
    return NodeMeshStatus::Made;
}

void clearNodeMesh(Mesh& mesh)
{
    mesh.nx = mesh.ny = mesh.nz = 0;
    mesh.nodeStride = {};
    mesh.elementStride = {};
    mesh.nodeGrid = {};
    mesh.nodeFlags = {};
    mesh.elementNodes = {};
    mesh.elementBoundary = {};
    mesh.present = false;
}

}  // namespace vexora
