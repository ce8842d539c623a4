#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/mesh/Topography.h"

namespace vexora {

namespace {

// The first point reaching each extreme (later equal points do not replace
// it), with its elevation.
struct Extremes {
    double minX, maxX, minY, maxY;
    double zMinX, zMaxX, zMinY, zMaxY;
};

Extremes extremes(const std::vector<TopographyPoint>& points)
{
    const TopographyPoint& f = points.front();
    Extremes e{f.x, f.x, f.y, f.y, f.z, f.z, f.z, f.z};
    for (const TopographyPoint& p : points) {
        if (p.x < e.minX) e.minX = p.x, e.zMinX = p.z;
        if (p.x > e.maxX) e.maxX = p.x, e.zMaxX = p.z;
        if (p.y < e.minY) e.minY = p.y, e.zMinY = p.z;
        if (p.y > e.maxY) e.maxY = p.y, e.zMaxY = p.z;
    }
    return e;
}

// A profile along one line spans no area: it is repeated on the first and
// last mesh lines across it, so that the terrain is constant across.
void spreadProfile(std::vector<TopographyPoint>& points, const Extremes& e, const MeshLines& lines)
{
    const bool alongY = e.maxX - e.minX < 1e-10;
    const bool alongX = !alongY && e.maxY - e.minY < 1e-10;
    if (!alongY && !alongX) return;
    const std::size_t n = points.size();
    points.resize(3 * n);
    const double first = alongY ? lines.x.front() : lines.y.front();
    const double last = alongY ? lines.x.back() : lines.y.back();
    for (std::size_t i = 0; i < n; ++i) {
        points[n + i] = points[i];
        points[2 * n + i] = points[i];
        (alongY ? points[n + i].x : points[n + i].y) = first;
        (alongY ? points[2 * n + i].x : points[2 * n + i].y) = last;
    }
}

// Four points just outside the mesh so that every node column lies inside
// the triangulated area; each takes the elevation of the extreme point in
// the nearer direction.
void addCorners(std::vector<TopographyPoint>& points, const Extremes& e, const MeshLines& lines)
{
    const double left = lines.x.front() - 0.001, right = lines.x.back() + 0.001;
    const double back = lines.y.front() - 0.001, front = lines.y.back() + 0.001;
    auto corner = [&](double x, double y, double yExtreme, double zY, double xExtreme, double zX) {
        points.push_back({x, y, std::abs(y - yExtreme) <= std::abs(x - xExtreme) ? zY : zX});
    };
    corner(left, back, e.minY, e.zMinY, e.minX, e.zMinX);
    corner(left, front, e.maxY, e.zMaxY, e.minX, e.zMinX);
    corner(right, back, e.minY, e.zMinY, e.maxX, e.zMaxX);
    corner(right, front, e.maxY, e.zMaxY, e.maxX, e.zMaxX);
}

// Nearest integer, halves to even, saturating far outside the mesh.
std::int64_t binIndex(double v)
{
    const double r = std::nearbyint(v);
    if (!(r > -4e18)) return static_cast<std::int64_t>(-4e18);
    if (r > 4e18) return static_cast<std::int64_t>(4e18);
    return static_cast<std::int64_t>(r);
}

struct BinRecord {
    std::int64_t x, y;
    std::size_t point;
};

std::vector<TopographyPoint> binMeans(const std::vector<TopographyPoint>& points, const MeshLines& lines, double bx,
                                      double by)
{
    std::vector<BinRecord> bins;
    bins.reserve(points.size());
    for (std::size_t i = 0; i < points.size(); ++i)
        bins.push_back({binIndex((points[i].x - lines.x.front()) / bx), binIndex((points[i].y - lines.y.front()) / by), i});
    std::sort(bins.begin(), bins.end(), [](const BinRecord& a, const BinRecord& b) {
        return a.x != b.x ? a.x < b.x : (a.y != b.y ? a.y < b.y : a.point < b.point);
    });
    std::vector<TopographyPoint> means;
    means.reserve(points.size());
    for (std::size_t run = 0; run < bins.size();) {
        std::size_t end = run;
        TopographyPoint sum;
        while (end < bins.size() && bins[end].x == bins[run].x && bins[end].y == bins[run].y) {
            const TopographyPoint& p = points[bins[end].point];
            sum.x += p.x;
            sum.y += p.y;
            sum.z += p.z;
            ++end;
        }
        const double count = static_cast<double>(end - run);
        means.push_back({sum.x / count, sum.y / count, sum.z / count});
        run = end;
    }
    return means;
}

double clampBin(double size, double extent)
{
    const double lo = extent * 1e-8, hi = extent / 5;
    if (!(size >= lo)) return lo;
    return size > hi ? hi : size;
}

}  // namespace

std::vector<TopographyPoint> meshTopography(const Survey& survey, bool addElectrodes)
{
    std::vector<TopographyPoint> points;
    points.reserve(survey.topography.size() + (addElectrodes ? survey.electrodes.size() : 0));
    points.assign(survey.topography.begin(), survey.topography.end());
    if (addElectrodes)
        for (const Electrode& e : survey.electrodes) points.push_back({e.x, e.y, e.elevation});
    return points;
}

TopographyStatus BinandSort(std::vector<TopographyPoint>& points, const MeshLines& lines, double dx, double dy,
                            MessageLog& log)
{
    const std::size_t before = points.size();
    std::erase_if(points, [](const TopographyPoint& p) {
        return !std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z);
    });
    if (points.size() != before)
        log.warning("BinandSort", std::to_string(before - points.size()) +
                                      " topography points are not finite numbers and were left out.");
    if (points.size() < 3) {
        log.subWriteToTextBox(std::string(kLineBreak) + std::string(kFewPointsMessage));
        return TopographyStatus::Fatal;
    }
    if (lines.x.empty() || lines.y.empty()) {
        log.subWriteToTextBox(std::string(kLineBreak) + std::string(kFlatPointsMessage));
        return TopographyStatus::Fatal;
    }

    const Extremes e = extremes(points);
    points.reserve(3 * points.size() + 4);
    spreadProfile(points, e, lines);
    addCorners(points, e, lines);

    const double lx = lines.x.back() - lines.x.front(), ly = lines.y.back() - lines.y.front();
    if (lx < 1e-10 || ly < 1e-10) {
        log.subWriteToTextBox(std::string(kLineBreak) + std::string(kFlatPointsMessage));
        return TopographyStatus::Fatal;
    }
    std::vector<TopographyPoint> means = binMeans(points, lines, clampBin(dx / 4, lx), clampBin(dy / 4, ly));
    if (means.size() >= 3) points = std::move(means);
    return TopographyStatus::Ready;
}

}  // namespace vexora
