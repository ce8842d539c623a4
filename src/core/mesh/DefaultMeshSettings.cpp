#include "core/mesh/DefaultMeshSettings.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "core/mesh/MeshSettings.h"
#include "core/settings/LenientNumber.h"
#include "core/settings/NumberText.h"
#include "core/settings/ParseLine.h"

namespace vexora {

namespace {

constexpr std::string_view kSource = "SetDefaultMeshSettings";

struct Extents {
    double xMin, xMax, yMin, yMax;
    double zLow;  // lowest electrode
    double zTop;  // highest terrain elevation
};

struct SpacingLists {
    std::vector<double> x, y, z;
};

// |dx|, |dy|, |dz| of consecutive electrodes along every cable that holds at
// least two, in electrode-number order.
SpacingLists cableSpacings(const std::vector<Electrode>& electrodes)
{
    std::vector<std::size_t> order(electrodes.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const Electrode& p = electrodes[a];
        const Electrode& q = electrodes[b];
        return p.cable != q.cable ? p.cable < q.cable : p.number < q.number;
    });
    SpacingLists lists;
    for (std::size_t i = 1; i < order.size(); ++i) {
        const Electrode& p = electrodes[order[i - 1]];
        const Electrode& q = electrodes[order[i]];
        if (p.cable != q.cable) continue;
        lists.x.push_back(std::abs(q.x - p.x));
        lists.y.push_back(std::abs(q.y - p.y));
        lists.z.push_back(std::abs(q.z - p.z));
    }
    return lists;
}

// Half the median entry (entry n/2 + 1 of n sorted entries when n is even,
// (n + 1)/2 when odd), or of the first non-zero entry above it; 0 when
// there is none.
double halfMedian(std::vector<double> values)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const std::size_t median = (n % 2 == 0 ? n / 2 + 1 : (n + 1) / 2) - 1;
    for (std::size_t i = median; i < n; ++i)
        if (values[i] != 0) return values[i] / 2;
    return 0;
}

// Distance from every electrode to its nearest neighbour. The electrodes
// are swept in order along the axis of widest extent; the search around
// each stops once that axis alone puts the next one farther away than the
// nearest found.
std::vector<double> nearestNeighbourDistances(const std::vector<Electrode>& electrodes)
{
    std::vector<const Electrode*> points;
    points.reserve(electrodes.size());
    for (const Electrode& e : electrodes)
        if (std::isfinite(e.x) && std::isfinite(e.y) && std::isfinite(e.z)) points.push_back(&e);
    std::vector<double> distances;
    if (points.size() < 2) return distances;

    auto range = [&](auto coordinate) {
        auto [lo, hi] = std::minmax_element(points.begin(), points.end(), [&](const Electrode* a, const Electrode* b) {
            return coordinate(*a) < coordinate(*b);
        });
        return coordinate(**hi) - coordinate(**lo);
    };
    const double rx = range([](const Electrode& e) { return e.x; });
    const double ry = range([](const Electrode& e) { return e.y; });
    const double rz = range([](const Electrode& e) { return e.z; });
    const int axis = rx >= ry && rx >= rz ? 0 : (ry >= rz ? 1 : 2);
    auto key = [axis](const Electrode* e) { return axis == 0 ? e->x : (axis == 1 ? e->y : e->z); };
    std::stable_sort(points.begin(), points.end(), [&](const Electrode* a, const Electrode* b) { return key(a) < key(b); });

    distances.reserve(points.size());
    const std::ptrdiff_t n = static_cast<std::ptrdiff_t>(points.size());
    for (std::ptrdiff_t i = 0; i < n; ++i) {
        const Electrode& p = *points[static_cast<std::size_t>(i)];
        double best = INFINITY;
        auto visit = [&](std::ptrdiff_t j) {
            const Electrode& q = *points[static_cast<std::size_t>(j)];
            const double along = key(&q) - key(&p);
            if (along * along > best) return false;
            const double dx = q.x - p.x, dy = q.y - p.y, dz = q.z - p.z;
            best = std::min(best, dx * dx + dy * dy + dz * dz);
            return true;
        };
        for (std::ptrdiff_t j = i + 1; j < n && visit(j); ++j) {}
        for (std::ptrdiff_t j = i - 1; j >= 0 && visit(j); --j) {}
        distances.push_back(std::sqrt(best));
    }
    return distances;
}

Extents layoutExtents(const std::vector<Electrode>& electrodes)
{
    std::vector<const Electrode*> working;
    for (const Electrode& e : electrodes)
        if (e.type > 0) working.push_back(&e);
    if (working.empty())
        for (const Electrode& e : electrodes) working.push_back(&e);

    const Electrode& first = *working.front();
    Extents x{first.x, first.x, first.y, first.y, first.z, first.elevation};
    for (const Electrode* e : working) {
        x.xMin = std::min(x.xMin, e->x);
        x.xMax = std::max(x.xMax, e->x);
        x.yMin = std::min(x.yMin, e->y);
        x.yMax = std::max(x.yMax, e->y);
        x.zLow = std::min(x.zLow, e->z);
        x.zTop = std::max(x.zTop, e->elevation);
    }
    return x;
}

struct ElementSizes {
    double dx = 0, dy = 0, dz = 0;
    bool usable() const { return dx > 0 && dy > 0 && dz > 0; }
};

ElementSizes sizesFromCables(const std::vector<Electrode>& electrodes)
{
    const SpacingLists lists = cableSpacings(electrodes);
    const double hx = halfMedian(lists.x), hy = halfMedian(lists.y), hz = halfMedian(lists.z);
    const bool allSurface = std::all_of(electrodes.begin(), electrodes.end(),
                                        [](const Electrode& e) { return std::abs(e.z - e.elevation) < 1e-5; });
    ElementSizes s;
    if (!allSurface && hz > 1e-5) {
        s.dx = s.dy = s.dz = hz;
        return s;
    }
    s.dx = hx;
    s.dy = hy;
    if (s.dx < s.dy / 10) s.dx = s.dy;
    if (s.dy < s.dx / 10) s.dy = s.dx;
    s.dz = std::min(s.dx, s.dy);
    return s;
}

double roundedToMillimetres(double v)
{
    const double r = std::nearbyint(v * 1000) / 1000;  // halves to even
    return r == 0 ? 0.0 : r;
}

std::string millimetreText(double v) { return formatNumber(roundedToMillimetres(v)); }

// Appends `count` values to a pad list, each 8 element sizes beyond the
// list's last value: the outer padding grows in steps of its widest cell.
void extendPads(SettingsTable& table, Item item, int count)
{
    if (count <= 0) return;
    classParseLine tokenizer;
    std::string text(settingText(table, item));
    const std::vector<double> values = dDataFill(tokenizer, text);
    double last = values.empty() ? 0 : values.back();
    for (int i = 0; i < count; ++i) {
        last += 8;
        text += ' ';
        text += formatNumber(last);
    }
    setSettingText(table, item, std::move(text));
}

// Pad values needed beyond the first or last line to reach `v`: the
// distance in outermost cells plus 3, rounded, halves to even.
void padsToReach(double v, const std::vector<double>& lines, int& low, int& high)
{
    low = high = 0;
    const std::size_t n = lines.size();
    if (n < 2) return;
    if (v <= lines[0]) low = roundHalfEven((lines[0] - v) / (lines[1] - lines[0]) + 3);
    else if (v >= lines[n - 1]) high = roundHalfEven((v - lines[n - 1]) / (lines[n - 1] - lines[n - 2]) + 3);
}

void reachRemoteElectrodes(const std::vector<Electrode>& electrodes, SettingsTable& table, MessageLog& log)
{
    for (std::size_t row = 0; row < electrodes.size(); ++row) {
        const Electrode& e = electrodes[row];
        if (e.type >= 0) continue;
        MeshLines lines;
        ForegroundBox box;
        const auto made = MakeMeshXYZ(table, lines, box);
        if (made != MeshLinesStatus::Made) {
            log.warning(kSource, std::string(meshLinesMessage(made)) + " Pads not extended to the remote electrodes.");
            return;
        }
        int left = 0, right = 0, back = 0, front = 0;
        padsToReach(e.x, lines.x, left, right);
        padsToReach(e.y, lines.y, back, front);
        if (std::max({left, right, back, front}) > kMaxPadExtension) {
            log.warning(kSource, "Remote electrode " + std::to_string(row + 1) +
                                     " lies too far outside the mesh: pads not extended to it.");
            continue;
        }
        extendPads(table, Item::PadsXMin, left);
        extendPads(table, Item::PadsXMax, right);
        extendPads(table, Item::PadsYMin, back);
        extendPads(table, Item::PadsYMax, front);
    }
}

}  // namespace

Status SetDefaultMeshSettings(const Survey& survey, SettingsTable& table, MeshLines& lines, MessageLog& log)
{
    const std::vector<Electrode>& electrodes = survey.electrodes;
    if (electrodes.empty()) return log.error(kSource, "No electrodes: default mesh settings not derived.");

    Extents x = layoutExtents(electrodes);
    ElementSizes size = sizesFromCables(electrodes);
    if (!size.usable()) {
        const double h = halfMedian(nearestNeighbourDistances(electrodes));
        if (h > 0) {
            size = {h, h, h};
            log.warning(kSource, "No electrode spacing along the cables: element size " + millimetreText(h) +
                                     " m, half the median distance between neighbouring electrodes.");
        }
        else {
            const MeshSettings kept = readMeshSettings(table);
            size = {kept.dx, kept.dy, kept.dz};
            log.warning(kSource, "No electrode spacing: element sizes kept at " + formatNumber(kept.dx) + " " +
                                     formatNumber(kept.dy) + " " + formatNumber(kept.dz) + " m.");
        }
    }

    if (x.xMax == x.xMin) {
        x.xMin -= size.dx;
        x.xMax += size.dx;
    }
    if (x.yMax == x.yMin) {
        x.yMin -= size.dy;
        x.yMax += size.dy;
    }

    // 1 borehole, 2 surface, 3 mixed (remote electrodes count as different).
    int layout = std::abs(electrodes.front().type);
    if (std::any_of(electrodes.begin(), electrodes.end(), [&](const Electrode& e) { return e.type != layout; }))
        layout = 3;
    const double depth = std::hypot(x.xMax - x.xMin, x.yMax - x.yMin) / 6;
    double zMin = x.zLow;
    if (layout == 2) zMin = x.zLow - depth;
    else if (layout == 3) zMin = std::min(x.zLow, x.zTop - depth);
    const double zMax = x.zTop;

    setSettingText(table, Item::GridSizeX, millimetreText(size.dx));
    setSettingText(table, Item::GridSizeY, millimetreText(size.dy));
    setSettingText(table, Item::GridSizeZ, millimetreText(size.dz));
    setSettingText(table, Item::ForegroundXMin, millimetreText(x.xMin));
    setSettingText(table, Item::ForegroundXMax, millimetreText(x.xMax));
    setSettingText(table, Item::ForegroundYMin, millimetreText(x.yMin));
    setSettingText(table, Item::ForegroundYMax, millimetreText(x.yMax));
    setSettingText(table, Item::ForegroundZMin, millimetreText(zMin));
    setSettingText(table, Item::ForegroundZMax, millimetreText(zMax));
    setSettingText(table, Item::DepthOfInvestigation, millimetreText(depth));
    if (!survey.topography.empty()) setSettingText(table, Item::FlatTerrain, "2");
    setSettingText(table, Item::FlatZBottom, "1");
    setSettingText(table, Item::PlotBounds,
                   millimetreText(x.xMin) + " " + millimetreText(x.xMax) + " " + millimetreText(x.yMin) + " " +
                       millimetreText(x.yMax) + " " + millimetreText(zMin) + " " + millimetreText(zMax));

    reachRemoteElectrodes(electrodes, table, log);
    lines.clear();
    return Status::Ok;
}

}  // namespace vexora
