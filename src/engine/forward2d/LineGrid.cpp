#include "engine/forward2d/LineGrid.h"

#include <algorithm>
#include <cmath>

namespace vexora {

namespace {

constexpr double kPadGrowth = 1.4;

double halfMedianGap(std::vector<double> s)
{
    std::sort(s.begin(), s.end());
    std::vector<double> gap;
    for (std::size_t i = 1; i < s.size(); ++i)
        if (s[i] - s[i - 1] > 1e-6 * std::max(1.0, std::abs(s[i]))) gap.push_back(s[i] - s[i - 1]);
    if (gap.empty()) return 0.5;
    std::nth_element(gap.begin(), gap.begin() + static_cast<std::ptrdiff_t>(gap.size() / 2), gap.end());
    return gap[gap.size() / 2] / 2;
}

// Lines beyond `from`, in direction `sign`, cells growing from `h` until `reach`.
void pad(std::vector<double>& out, double from, int sign, double h, double reach)
{
    double at = from, cell = h;
    while (std::abs(at - from) < reach) {
        cell *= kPadGrowth;
        at += sign * cell;
        out.push_back(at);
    }
}

}  // namespace

LineGrid makeLineGrid(std::span<const double> electrodeS, std::vector<double> depth,
                      const std::function<double(double s)>& surfaceAt, std::span<const double> alsoReach)
{
    LineGrid grid;
    grid.depth = std::move(depth);
    const double low = *std::min_element(electrodeS.begin(), electrodeS.end());
    const double high = *std::max_element(electrodeS.begin(), electrodeS.end());
    const double h = halfMedianGap({electrodeS.begin(), electrodeS.end()});
    const double length = std::max(high - low, 4 * h);
    double reachLow = 3 * length, reachHigh = 3 * length;
    for (double s : alsoReach)
        reachLow = std::max(reachLow, 1.5 * (low - s)), reachHigh = std::max(reachHigh, 1.5 * (s - high));
    std::vector<double> left;
    pad(left, low, -1, h, reachLow);
    grid.s.assign(left.rbegin(), left.rend());
    const int inner = std::max(1, static_cast<int>(std::lround((high - low) / h)));
    for (int i = 0; i <= inner; ++i) grid.s.push_back(low + (high - low) * i / inner);
    if (high == low) grid.s.back() = low + h;  // a single position: one cell
    pad(grid.s, grid.s.back(), 1, h, reachHigh);
    for (double s : grid.s) grid.surface.push_back(surfaceAt(s));
    return grid;
}

double LineGrid::surfaceAt(double at) const
{
    if (at <= s.front()) return surface.front();
    if (at >= s.back()) return surface.back();
    const std::size_t i = static_cast<std::size_t>(std::upper_bound(s.begin(), s.end(), at) - s.begin()) - 1;
    const double u = (at - s[i]) / (s[i + 1] - s[i]);
    return surface[i] + u * (surface[i + 1] - surface[i]);
}

std::vector<double> defaultLineDepths(double length, double h)
{
    std::vector<double> depth{0.0};
    double cell = h / 2;
    while (depth.back() < length / 3) depth.push_back(depth.back() + (cell *= 1.1));
    while (depth.back() < 3 * length) depth.push_back(depth.back() + (cell *= kPadGrowth));
    return depth;
}

LinePoint locateOnGrid(const LineGrid& grid, double s, double z)
{
    LinePoint p;
    p.s = std::clamp(s, grid.s.front(), grid.s.back());
    const double surface = grid.surfaceAt(p.s);
    p.depth = std::clamp(surface - z, 0.0, grid.depth.back());
    // Within rounding of the surface (the terrain sampled from a mesh) is on it.
    if (p.depth < 1e-3 * grid.depth[1]) p.depth = 0;
    p.z = surface - p.depth;
    auto cellOf = [](const std::vector<double>& lines, double v) {
        const auto it = std::upper_bound(lines.begin(), lines.end(), v);
        return static_cast<int>(std::clamp<std::ptrdiff_t>(it - lines.begin() - 1, 0,
                                                           static_cast<std::ptrdiff_t>(lines.size()) - 2));
    };
    p.is = cellOf(grid.s, p.s);
    p.id = cellOf(grid.depth, p.depth);
    const double u = (p.s - grid.s[static_cast<std::size_t>(p.is)]) /
                     (grid.s[static_cast<std::size_t>(p.is) + 1] - grid.s[static_cast<std::size_t>(p.is)]);
    const double v = (p.depth - grid.depth[static_cast<std::size_t>(p.id)]) /
                     (grid.depth[static_cast<std::size_t>(p.id) + 1] - grid.depth[static_cast<std::size_t>(p.id)]);
    p.node = {grid.node(p.is, p.id), grid.node(p.is + 1, p.id), grid.node(p.is, p.id + 1),
              grid.node(p.is + 1, p.id + 1)};
    p.weight = {(1 - u) * (1 - v), u * (1 - v), (1 - u) * v, u * v};
    return p;
}

double interpolate(const LinePoint& p, std::span<const double> nodal)
{
    double v = 0;
    for (int c = 0; c < 4; ++c) v += p.weight[static_cast<std::size_t>(c)] * nodal[static_cast<std::size_t>(p.node[static_cast<std::size_t>(c)])];
    return v;
}

}  // namespace vexora
