#pragma once
// Conjugate gradients preconditioned by symmetric successive over-relaxation
// on the stencil matrix, one right-hand side per thread of the batch.
//
// With A = L + D + L^T and Dw = D / w, SSOR is M = (Dw + L) Dw^-1 (Dw + L^T)
// up to a constant. Eisenstat's form runs conjugate gradients on
//   A' = (Dw + L)^-1 A (Dw + L^T)^-1,  b' = (Dw + L)^-1 b,  x = (Dw + L^T)^-1 x'
// preconditioned by Dw, which gives the same iterates as SSOR-PCG while
// A' p = t + (Dw + L)^-1 (p + (D - 2 Dw) t), t = (Dw + L^T)^-1 p, costs one
// forward and one backward sweep: no separate matrix product.

#include "solver/LinearSolver.h"

namespace vexora {

// One system: x from zero until |r'| <= tolerance |b'| or the iteration
// limit (r' = (Dw + L)^-1 r, the residual the iteration sees).
SolveReport ssorPcg(const StencilMatrix& a, const IterationSettings& settings, std::span<const double> b,
                    std::span<double> x);

class SsorPcgSolver final : public LinearSolver {
public:
    SsorPcgSolver(const StencilMatrix& a, IterationSettings settings, int threads);
    SolveReport solve(std::span<const double> b, std::span<double> x, int count) const override;
    int preferredBatch() const override { return threads_; }
    std::string name() const override { return "SSOR-PCG"; }

private:
    const StencilMatrix& a_;
    IterationSettings settings_;
    int threads_;
};

}  // namespace vexora
