#pragma once
// The linear solver behind the forward model: given the assembled symmetric
// positive definite matrix once, it solves A x = b for sets of right-hand
// sides. The physics only sees this interface, so another solver (direct,
// multigrid, distributed) plugs in without touching it.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "engine/solver/StencilMatrix.h"

namespace vexora {

struct SolveReport {
    bool converged = true;
    int iterations = 0;           // 0 for a direct solve
    double relativeResidual = 0;  // |b - A x| / |b| as the solver measured it
};

struct IterationSettings {
    double ssorOmega = 1.6;
    double tolerance = 1e-7;  // on the relative residual
    int maxIterations = 400;
};

// What a solver learns from a matrix's pattern alone (the direct path's
// fill-reducing ordering and symbolic factor): the pattern depends on the
// mesh and the outer conditions, not on the model, so every model of an
// inversion can share it. A solver that finds it made for another pattern
// makes its own anew.
struct SolverAnalysis {
    virtual ~SolverAnalysis() = default;
};

class LinearSolver {
public:
    virtual ~LinearSolver() = default;
    // Solves A x_j = b_j for `count` right-hand sides stored one after the
    // other, each the matrix's gridPoints() long (halo entries zero). Safe to
    // call from several threads at once.
    virtual SolveReport solve(std::span<const double> b, std::span<double> x, int count) const = 0;
    // How many right-hand sides one call handles best.
    virtual int preferredBatch() const = 0;
    virtual std::string name() const = 0;
};

}  // namespace vexora
