#pragma once
// Conjugate gradients preconditioned by one multigrid V-cycle (Multigrid.h):
// a forward Gauss-Seidel sweep on the way down, the exact solve on the
// coarsest level, a backward sweep on the way up, which makes the cycle a
// symmetric operator. SSOR alone needs a number of iterations that grows
// with the grid (about 150 at 1,000,000 nodes); the cycle removes the smooth
// part of the error on the coarse grids, so the count stays near constant
// (about ten, on stretched padding too) however large the mesh.
//
// As in the SSOR path, a batch of systems runs in lockstep with its vectors
// interleaved node by node (v[k * width + j]), so every sweep reads a node's
// coefficients once for the whole batch. Each system stops on its own
// residual |b - A x| <= tolerance |b|, checked in double on the computed x
// before the solve returns.

#include "engine/solver/LinearSolver.h"
#include "engine/solver/Multigrid.h"

namespace vexora {

inline constexpr int kMultigridBatchWidth = 8;

// Solves A x_j = b_j, A the hierarchy's finest level, for reports.size()
// (1..kMultigridBatchWidth) systems stored one after the other, each x from
// zero; the tolerance and iteration limit come from `settings`.
void multigridPcgBatch(const MultigridHierarchy& h, const IterationSettings& settings, std::span<const double> b,
                       std::span<double> x, std::span<SolveReport> reports);

class MultigridPcgSolver final : public LinearSolver {
public:
    // Builds the hierarchy (its Galerkin products on `threads` threads).
    MultigridPcgSolver(const StencilMatrix& a, IterationSettings settings, int threads);
    SolveReport solve(std::span<const double> b, std::span<double> x, int count) const override;
    int preferredBatch() const override { return threads_ * kMultigridBatchWidth; }
    std::string name() const override { return "multigrid PCG"; }

private:
    MultigridHierarchy hierarchy_;
    IterationSettings settings_;
    int threads_;
};

}  // namespace vexora
