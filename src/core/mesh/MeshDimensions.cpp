#include "core/mesh/MeshDimensions.h"

#include <cmath>

#include "core/mesh/MeshSettings.h"

namespace vexora {

namespace {

// Pad count of a list: its length, or none when its first value is 0.
std::int64_t padCount(const std::vector<double>& pads)
{
    return pads.empty() || pads.front() == 0 ? 0 : static_cast<std::int64_t>(pads.size());
}

// Whole interior cells of an extent; false when the count is absurd.
bool interiorCells(double extent, double size, bool roundTopCell, std::int64_t& cells)
{
    const double q = extent / size;
    if (!(q >= 0 && q < 1e15)) return false;
    cells = static_cast<std::int64_t>(std::trunc(q));
    if (roundTopCell && q - std::trunc(q) > 0.25) ++cells;
    return true;
}

bool multiply(std::int64_t a, std::int64_t b, std::int64_t& product)
{
    return !__builtin_mul_overflow(a, b, &product);
}

Status estimate(const SettingsTable& table, MeshDimensions& d, MessageLog& log, std::string_view source)
{
    d = {};
    const MeshSettings s = readMeshSettings(table);
    if (!(s.dx > 0) || !(s.dy > 0) || !(s.dz > 0))
        return log.error(source, meshLinesMessage(MeshLinesStatus::SizeNotPositive));
    if (!(s.xMin <= s.xMax) || !(s.yMin <= s.yMax) || !(s.zMin <= s.zMax))
        return log.error(source, meshLinesMessage(MeshLinesStatus::LimitsReversed));

    MeshDimensions next;
    if (!interiorCells(s.xMax - s.xMin, s.dx, false, next.interiorX) ||
        !interiorCells(s.yMax - s.yMin, s.dy, false, next.interiorY) ||
        !interiorCells(s.zMax - s.zMin, s.dz, true, next.interiorZ))
        return log.error(source, "Mesh too large to count!");
    next.padsLeft = padCount(s.padsXMin);
    next.padsRight = padCount(s.padsXMax);
    next.padsBack = padCount(s.padsYMin);
    next.padsFront = padCount(s.padsYMax);
    next.padsBottom = padCount(s.padsZMin);

    const std::int64_t bx = next.padsLeft + next.interiorX + next.padsRight;
    const std::int64_t by = next.padsBack + next.interiorY + next.padsFront;
    const std::int64_t bz = next.interiorZ + next.padsBottom;
    std::int64_t blocksXY = 0, nodesXY = 0;
    if (!multiply(bx, by, blocksXY) || !multiply(blocksXY, bz, next.blocks) ||
        !multiply(bx + 1, by + 1, nodesXY) || !multiply(nodesXY, bz + 1, next.nodes))
        return log.error(source, "Mesh too large to count!");
    d = next;
    return Status::Ok;
}

}  // namespace

Status CalculateMeshDimensions(const SettingsTable& table, MeshDimensions& dimensions, MessageLog& log)
{
    return estimate(table, dimensions, log, "CalculateMeshDimensions");
}

Status CalculateFWMeshDimensions(const SettingsTable& table, MeshDimensions& dimensions, MessageLog& log)
{
    return estimate(table, dimensions, log, "CalculateFWMeshDimensions");
}

MeshDimensionLabels meshDimensionLabels(const MeshDimensions& d)
{
    auto n = [](std::int64_t v) { return std::to_string(v); };
    MeshDimensionLabels labels;
    labels.nodes = "Total Nodes: " + n(d.nodes);
    labels.blocks = "Total Blocks: " + n(d.blocks);
    labels.blocksX = "Blocks in X: " + n(d.padsLeft) + "+" + n(d.interiorX) + "+" + n(d.padsRight);
    labels.blocksY = "Blocks in Y: " + n(d.padsBack) + "+" + n(d.interiorY) + "+" + n(d.padsFront);
    labels.blocksZ = "Blocks in Z: " + n(d.interiorZ) + "+" + n(d.padsBottom);
    labels.nodesRed = d.nodes > kManyMeshNodes;
    return labels;
}

}  // namespace vexora
