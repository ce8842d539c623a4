#pragma once
// One model update of the smoothness-constrained Gauss-Newton inversion.
// With data weights w (1 / error, times the robust factor), residuals
// r = d - f(m), roughness R and roughness factor lambda, the update dm solves
//
//   (J^T W^2 J + lambda R^T R + lambda a I) dm
//       = J^T W^2 r - lambda R^T R m [when the model's roughness is
//         constrained] - lambda a (m - m_ref)
//
// where a is the reference-model weight (0: no reference constraint). With
// the model's roughness constrained ("dm and m") the updated model m + dm is
// smooth; otherwise ("dm-only") only the update is. The system is solved by
// conjugate gradients preconditioned by its diagonal, never forming J^T J;
// the systems of several roughness factors advance in lockstep, so that
// each pass over J serves all of them.
//
// Shared among ranks, each holds the rows of J of its own data (with their
// weights and residuals); the model-space products J^T y are summed over
// the ranks, so every rank follows the same recurrence.

#include <functional>
#include <span>
#include <vector>

#include "engine/inversion/Jacobian.h"
#include "engine/inversion/Roughness.h"
#include "engine/parallel/Ranks.h"

namespace vexora {

struct Regularisation {
    RoughnessWeights weights;
    bool constrainModelRoughness = true;  // "dm and m"; false: "dm-only"
    double referenceWeight = 0;           // a; 0 without a reference model
};

struct CgOutcome {
    int iterations = 0;
    double relativeResidual = 0;  // |b - A x| / |b|
    bool converged = false;
};

struct UpdateLimits {
    int maxIterations = 15;
    double tolerance = 1e-3;  // relative to the right-hand side
};

class GaussNewtonStep {
public:
    GaussNewtonStep(const Jacobian& jacobian, std::span<const double> dataWeights, const BlockGrid& grid,
                    const Regularisation& regularisation, int threads = 1,
                    const Ranks& ranks = singleProcess());

    // dm for each roughness factor, about the model m with residuals r;
    // `onIteration` (may be empty) hears of every CG iteration done.
    std::vector<CgOutcome> solve(std::span<const double> lambdas, std::span<const double> residuals,
                                 std::span<const double> model, std::span<const double> reference,
                                 const UpdateLimits& limits, std::vector<std::vector<double>>& updates,
                                 const std::function<void(int iteration)>& onIteration = {}) const;

private:
    const Jacobian& jacobian_;
    std::span<const double> weights_;
    BlockGrid grid_;
    Regularisation regularisation_;
    int threads_;
    const Ranks& ranks_;
    std::vector<double> dataDiagonal_;       // diag(J^T W^2 J)
    std::vector<double> roughnessDiagonal_;  // diag(R^T R)
};

}  // namespace vexora
