#include "core/mesh/MeshSettings.h"

#include <algorithm>
#include <cmath>

#include "core/mesh/ArrayUtilities.h"
#include "core/settings/ParseLine.h"

namespace vexora {

MeshSettings readMeshSettings(const SettingsTable& table)
{
    MeshSettings s;
    s.dx = settingNumber(table, Item::GridSizeX);
    s.dy = settingNumber(table, Item::GridSizeY);
    s.dz = settingNumber(table, Item::GridSizeZ);
    s.xMin = settingNumber(table, Item::ForegroundXMin);
    s.xMax = settingNumber(table, Item::ForegroundXMax);
    s.yMin = settingNumber(table, Item::ForegroundYMin);
    s.yMax = settingNumber(table, Item::ForegroundYMax);
    s.zMin = settingNumber(table, Item::ForegroundZMin);
    s.zMax = settingNumber(table, Item::ForegroundZMax);
    classParseLine tokenizer;
    s.padsXMin = dDataFill(tokenizer, settingText(table, Item::PadsXMin));
    s.padsXMax = dDataFill(tokenizer, settingText(table, Item::PadsXMax));
    s.padsYMin = dDataFill(tokenizer, settingText(table, Item::PadsYMin));
    s.padsYMax = dDataFill(tokenizer, settingText(table, Item::PadsYMax));
    s.padsZMin = dDataFill(tokenizer, settingText(table, Item::PadsZMin));
    s.flatGrid = settingInteger(table, Item::FlatTerrain);
    s.electrodesInTopography = settingInteger(table, Item::AddElectrodesToTopography);
    s.updateSurfaceElectrodes = settingInteger(table, Item::UpdateSurfaceElectrodeElevation);
    s.flatZBottom = settingInteger(table, Item::FlatZBottom);
    s.depthOfInvestigation = settingNumber(table, Item::DepthOfInvestigation);
    s.adaptGridToElectrodes = settingInteger(table, Item::AdaptGridToElectrodes);
    return s;
}

std::string_view meshLinesMessage(MeshLinesStatus result)
{
    switch (result) {
    case MeshLinesStatus::LimitsReversed: return "Bad definition of foreground region limits!";
    case MeshLinesStatus::SizeNotPositive: return "Mesh size should be positive!";
    case MeshLinesStatus::TooLarge: return "Mesh too large: more than 2147483647 nodes would be needed!";
    default: return "";
    }
}

namespace {

// Pad lines at edge + sign * p * size for every pad offset p.
void appendPads(std::vector<double>& lines, const std::vector<double>& pads, double edge, double signedSize)
{
    for (double line : dAdd(dMult(pads, signedSize), edge))
        if (std::isfinite(line)) lines.push_back(line);
}

// Interior lines from lo to hi every `size`, with the pads on both sides.
std::vector<double> horizontalLines(double lo, double hi, double size, const std::vector<double>& padsLow,
                                    const std::vector<double>& padsHigh)
{
    const std::vector<double> interior = dFill(lo, size, hi);
    std::vector<double> lines;
    lines.reserve(interior.size() + padsLow.size() + padsHigh.size());
    appendPads(lines, padsLow, interior.front(), -size);
    lines = dVecAppend(std::move(lines), interior);
    appendPads(lines, padsHigh, interior.back(), size);
    lines = dUnique(lines, 0.001 * size);
    std::sort(lines.begin(), lines.end());
    return lines;
}

// From the top down: the top interior cell is at least dz/4 and less than
// 1.25 dz thick, so a sliver of a cell never forms at the surface.
std::vector<double> verticalLines(double bottom, double top, double dz, const std::vector<double>& padsBelow)
{
    std::vector<double> interior = dFill(bottom, dz, top);
    if (top - interior.back() >= dz / 4) interior.push_back(top);
    interior.back() = top;
    std::vector<double> lines;
    lines.reserve(interior.size() + padsBelow.size());
    appendPads(lines, padsBelow, interior.front(), -dz);
    lines = dVecAppend(std::move(lines), interior);
    lines = dUnique(lines, 0.001 * dz);
    std::sort(lines.begin(), lines.end());
    std::reverse(lines.begin(), lines.end());
    return lines;
}

bool positiveSize(double d) { return d > 0 && std::isfinite(d); }

}  // namespace

MeshLinesStatus MakeMeshXYZ(const MeshSettings& s, MeshLines& lines, ForegroundBox& box)
{
    const ForegroundBox next{s.xMin, s.xMax, s.yMin, s.yMax, s.foregroundBottom(), s.zMax};
    const double limits[] = {next.xMin, next.xMax, next.yMin, next.yMax, next.zBottom, next.zMax};
    if (!std::all_of(std::begin(limits), std::end(limits), [](double v) { return std::isfinite(v); }))
        return MeshLinesStatus::LimitsReversed;
    if (next.xMin > next.xMax || next.yMin > next.yMax || next.zBottom > next.zMax)
        return MeshLinesStatus::LimitsReversed;
    if (!positiveSize(s.dx) || !positiveSize(s.dy) || !positiveSize(s.dz)) return MeshLinesStatus::SizeNotPositive;

    // Refuse absurd line counts before any list is filled; the exact count
    // is checked once the lines exist.
    auto estimate = [](double lo, double hi, double d, std::size_t pads) {
        return dFillCount(lo, d, hi) + 1 + static_cast<double>(pads) + 2;
    };
    const double roughNodes = estimate(s.xMin, s.xMax, s.dx, s.padsXMin.size() + s.padsXMax.size()) *
                              estimate(s.yMin, s.yMax, s.dy, s.padsYMin.size() + s.padsYMax.size()) *
                              estimate(next.zBottom, next.zMax, s.dz, s.padsZMin.size());
    if (!(roughNodes <= 2.0 * static_cast<double>(kMaxMeshNodes))) return MeshLinesStatus::TooLarge;

    MeshLines made;
    made.x = horizontalLines(s.xMin, s.xMax, s.dx, s.padsXMin, s.padsXMax);
    made.y = horizontalLines(s.yMin, s.yMax, s.dy, s.padsYMin, s.padsYMax);
    made.z = verticalLines(next.zBottom, next.zMax, s.dz, s.padsZMin);
    const std::int64_t nodes = static_cast<std::int64_t>(made.x.size() + 2) *
                               static_cast<std::int64_t>(made.y.size() + 2) *
                               static_cast<std::int64_t>(made.z.size() + 2);
    if (nodes > kMaxMeshNodes) return MeshLinesStatus::TooLarge;

    lines = std::move(made);
    box = next;
    return MeshLinesStatus::Made;
}

MeshLinesStatus MakeMeshXYZ(const SettingsTable& table, MeshLines& lines, ForegroundBox& box)
{
    return MakeMeshXYZ(readMeshSettings(table), lines, box);
}

}  // namespace vexora
