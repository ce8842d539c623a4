#pragma once
// Conjugate gradients preconditioned by symmetric successive over-relaxation
// on the stencil matrix.
//
// With A = L + D + L^T and Dw = D / w, SSOR is M = (Dw + L) Dw^-1 (Dw + L^T)
// up to a constant. Eisenstat's form runs conjugate gradients on
//   A' = (Dw + L)^-1 A (Dw + L^T)^-1,  b' = (Dw + L)^-1 b,  x = (Dw + L^T)^-1 x'
// preconditioned by Dw, which gives the same iterates as SSOR-PCG while
// A' p = t + (Dw + L)^-1 (p + (D - 2 Dw) t), t = (Dw + L^T)^-1 p, costs one
// forward and one backward sweep: no separate matrix product.
//
// Each iteration is two passes over the vectors, the CG updates riding on
// the sweeps (SsorPcg.cpp). Several systems run as independent recurrences
// in lockstep, their vectors
// interleaved node by node (v[k * width + j]). A sweep then reads a node's 14
// coefficients once for the whole batch and its inner loop over the batch is
// what the vector units take, so the memory traffic per system falls by
// about the width. Each system stops on its own residual.

#include "engine/solver/LinearSolver.h"

namespace vexora {

// Systems per lockstep batch: 8 keeps the working set of a sweep (three z
// planes of two interleaved vectors) in the second-level cache at 1,000,000
// nodes while the coefficient traffic per system is an eighth.
inline constexpr int kSsorBatchWidth = 8;

// Solves A x_j = b_j for reports.size() (1..kSsorBatchWidth) systems stored
// one after the other, each x from zero until |b - A x| <= tolerance |b| or
// the iteration limit; a zero b gives x = 0 at once. reports[j] is system j's
// own outcome, its relativeResidual |b - A x| / |b| in double.
void ssorPcgBatch(const StencilMatrix& a, const IterationSettings& settings, std::span<const double> b,
                  std::span<double> x, std::span<SolveReport> reports);

// One system: a batch of one.
SolveReport ssorPcg(const StencilMatrix& a, const IterationSettings& settings, std::span<const double> b,
                    std::span<double> x);

// The textbook form of the same method, kept as the reference the fast path
// is measured and tested against: z = M^-1 r by a forward sweep, a diagonal
// scaling and a backward sweep, q = A p by a separate product, stopping on
// |r| <= tolerance |b|.
SolveReport plainSsorPcg(const StencilMatrix& a, const IterationSettings& settings, std::span<const double> b,
                         std::span<double> x);

class SsorPcgSolver final : public LinearSolver {
public:
    // The right-hand sides of a call go to the threads in batches of
    // `batchWidth` (1..kSsorBatchWidth; 1 solves them one at a time).
    SsorPcgSolver(const StencilMatrix& a, IterationSettings settings, int threads, int batchWidth = kSsorBatchWidth);
    SolveReport solve(std::span<const double> b, std::span<double> x, int count) const override;
    int preferredBatch() const override { return threads_ * width_; }
    std::string name() const override { return "SSOR-PCG"; }

private:
    const StencilMatrix& a_;
    IterationSettings settings_;
    int threads_;
    int width_;
};

}  // namespace vexora
