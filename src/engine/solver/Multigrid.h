#pragma once
// A geometric multigrid hierarchy over the stencil matrix's node grid.
//
// Each coarser level keeps every other node along each axis that has more
// than two, always with the last one, so a level is again a structured grid.
// Its matrix is the Galerkin product P^T A P of the level above, P the
// trilinear interpolation from the coarse nodes: the product keeps the
// 27-point pattern, follows jumps in conductivity and the outer conditions
// without knowing the mesh, and leaves the V-cycle symmetric, as conjugate
// gradients need of a preconditioner. The coarsest level, a few hundred
// nodes, is solved exactly by a dense Cholesky factor.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/solver/StencilMatrix.h"

namespace vexora {

// Coarsening along one axis of n real nodes (grid indices 1..n).
struct AxisCoarsening {
    std::int32_t fine = 0, coarse = 0;
    // Per fine grid index (0..fine + 1, the halo unused): one or two coarse
    // parents and their interpolation weights (a second weight of 0 when
    // the node is itself kept).
    std::vector<std::array<std::int32_t, 2>> parent;
    std::vector<std::array<double, 2>> parentWeight;
    // Per coarse grid index: the fine nodes it interpolates to (up to 3).
    std::vector<std::array<std::int32_t, 3>> child;
    std::vector<std::array<double, 3>> childWeight;
    std::vector<std::int8_t> children;
};

// Keeps fine indices 1, 3, 5, ... and n; an axis of at most two nodes is
// kept whole. A node between two kept ones takes weights in proportion to
// its coupling strengths toLower[i] and toUpper[i] to its neighbours along
// the axis (one half each when either is absent or not positive).
AxisCoarsening coarsenAxis(std::int32_t n, std::span<const double> toLower = {},
                           std::span<const double> toUpper = {});

struct GridCoarsening {
    std::array<AxisCoarsening, 3> axis;  // x, y, z
};

// The coupling strengths summed over each plane of the grid.
GridCoarsening coarsenGrid(const StencilMatrix& a);

// P^T A P on the coarse grid, its planes shared among `threads` threads.
StencilMatrix galerkinProduct(const StencilMatrix& a, const GridCoarsening& c, int threads);

// L L^T of a small symmetric positive (semi)definite matrix, row-major lower
// triangle; a pivot that vanishes (a floating potential with Neumann
// conditions all round) is dropped, giving 0 in that direction.
struct DenseCholesky {
    std::int32_t size = 0;
    std::vector<double> lower;  // size * size
};

DenseCholesky denseCholesky(const StencilMatrix& a);

struct MultigridHierarchy {
    // levels[0] is the caller's matrix; the others are owned here.
    std::vector<const StencilMatrix*> levels;
    std::vector<StencilMatrix> coarse;
    std::vector<GridCoarsening> down;  // down[l]: level l to level l + 1
    std::vector<std::vector<double>> inverseDiagonal;  // per level and grid point, 0 on the halo
    DenseCholesky coarsest;
};

// Coarsest level: at most this many real nodes, or no axis left to halve.
inline constexpr std::int64_t kCoarsestNodes = 1000;

MultigridHierarchy makeMultigridHierarchy(const StencilMatrix& a, int threads);

}  // namespace vexora
