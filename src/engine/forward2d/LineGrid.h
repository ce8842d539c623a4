#pragma once
// The grid of a line model in the vertical plane under the line: node
// lines at positions s along the line and at depths below its surface, the
// surface piecewise linear between the s lines (node (is, id) at elevation
// surface[is] - depth[id]), so every cell is a parallelogram with vertical
// sides. Nodes are numbered with depth fastest, node(is, id) =
// is * depthCount + id, so the 9-point pattern of bilinear quadrilaterals
// lies within depthCount + 1 of the diagonal (BandCholesky.h). Cells run
// along the line fastest, top row first: cell(is, id) = id * (sCount - 1) + is.

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace vexora {

struct LineGrid {
    std::vector<double> s;      // ascending
    std::vector<double> depth;    // ascending from 0 (the surface)
    std::vector<double> surface;  // elevation at every s line

    int sCount() const { return static_cast<int>(s.size()); }
    int depthCount() const { return static_cast<int>(depth.size()); }
    std::int64_t nodes() const { return static_cast<std::int64_t>(s.size()) * static_cast<std::int64_t>(depth.size()); }
    std::int64_t cells() const
    {
        return static_cast<std::int64_t>(s.size() - 1) * static_cast<std::int64_t>(depth.size() - 1);
    }
    std::int64_t node(int is, int id) const { return static_cast<std::int64_t>(is) * depthCount() + id; }
    std::int64_t cell(int is, int id) const { return static_cast<std::int64_t>(id) * (sCount() - 1) + is; }
    double z(int is, int id) const
    {
        return surface[static_cast<std::size_t>(is)] - depth[static_cast<std::size_t>(id)];
    }
    // The surface's elevation at s (the end values beyond the grid).
    double surfaceAt(double s) const;
};

// A point of the plane located in the grid: its cell and the bilinear
// weights of the cell's corners in (s0, d0), (s1, d0), (s0, d1), (s1, d1) order.
struct LinePoint {
    double s = 0, z = 0;
    double depth = 0;  // below the surface at s
    int is = 0, id = 0;  // the cell
    std::array<std::int64_t, 4> node{};
    std::array<double, 4> weight{};
};

// Node lines along the line: half the median spacing of the electrodes'
// positions `electrodeS` between the outermost ones, then cells growing by
// 1.4 until they reach three line lengths beyond either end and half as far
// again as every position of `alsoReach` (remote electrodes). `depth` gives
// the depth lines (from 0, ascending), e.g. those of the 3D mesh, and
// `surfaceAt` the terrain's elevation at s.
LineGrid makeLineGrid(std::span<const double> electrodeS, std::vector<double> depth,
                      const std::function<double(double s)>& surfaceAt, std::span<const double> alsoReach = {});

// Depth lines for a line of length `length` and element size `h`: h / 2 at
// the surface, growing by 1.1 to a third of the length, then by 1.4 to three
// line lengths.
std::vector<double> defaultLineDepths(double length, double h);

// Locates the point at s and elevation z, clamped into the grid (a point
// above the surface, or below it by less than a thousandth of the first
// depth cell, lies on it).
LinePoint locateOnGrid(const LineGrid& grid, double s, double z);

// sum weight * value over the point's corners.
double interpolate(const LinePoint& p, std::span<const double> nodal);

}  // namespace vexora
