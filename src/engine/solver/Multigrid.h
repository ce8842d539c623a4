#pragma once
// A geometric multigrid hierarchy over the stencil matrix's node grid.
//
// Each coarser level keeps every other node along each axis that has more
// than two, always with the last one, except where the axis is weakly
// coupled (semi-coarsening): on a stretched mesh a padding element may be a
// thousand times wider than it is thick, and point Gauss-Seidel cannot
// smooth error that is rough along its weak direction, so the planes across
// that direction stay on the coarse grid until the other axes have caught
// up. Every level is again a structured grid.
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

// Keeps fine indices 1, 3, 5, ... and n, except that an index whose
// droppable[i] is 0 is kept too and the alternation restarts after it; an
// axis of at most two nodes is kept whole. A dropped node lies between two
// kept ones and takes weights in proportion to its coupling strengths
// toLower[i] and toUpper[i] to its neighbours along the axis (one half each
// when either is absent or not positive). Absent tables: every index
// droppable, even weights.
AxisCoarsening coarsenAxis(std::int32_t n, std::span<const double> toLower = {},
                           std::span<const double> toUpper = {}, std::span<const std::uint8_t> droppable = {});

struct GridCoarsening {
    std::array<AxisCoarsening, 3> axis;  // x, y, z
};

// An axis is strong at a node when the node's conductance along it is at
// least this fraction of its largest along any axis: spacing at most 4 times
// the smallest spacing of the node's elements on a uniform model. Measured
// on meshes padded by geometric growth to 2 km (aspect ratios to 8,000) and
// on the benchmark's meshes of 95,000 and 970,000 nodes (aspect 8 in the
// padding), 1/4 and 1/10 gave about the same counts, 1/32 nearly twice as many.
inline constexpr double kStrongRatio = 1.0 / 16;

// Coarsens each axis at the planes where it is strong (at least
// strongRatio) at every node, the weights from the coupling strengths
// summed over each plane; a strongRatio of 0 halves every axis.
GridCoarsening coarsenGrid(const StencilMatrix& a, double strongRatio = 0.0);

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
// A level whose every plane is weak somewhere along its axis is halved
// along every axis instead.
inline constexpr std::int64_t kCoarsestNodes = 1000;

MultigridHierarchy makeMultigridHierarchy(const StencilMatrix& a, int threads, double strongRatio = kStrongRatio);

}  // namespace vexora
