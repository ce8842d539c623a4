#pragma once
// The direct path: a sparse Cholesky factorisation of the system (SuiteSparse
// CHOLMOD, supernodal, fill-reducing ordering), made once and reused for
// every right-hand side. Built only when SuiteSparse is found.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/solver/LinearSolver.h"

namespace vexora {

// True when the direct path is built in.
bool directSolverAvailable();

// Analyses the matrix, or takes `analysis` when it was made for the same
// pattern (and leaves there the one it made); when the factor's estimated
// size fits in `budgetBytes`, factorises it. Otherwise, or on failure,
// nothing, with `why` saying so.
std::unique_ptr<LinearSolver> makeCholmodSolver(const StencilMatrix& a, int threads, std::uint64_t budgetBytes,
                                                std::string& why,
                                                std::shared_ptr<SolverAnalysis>* analysis = nullptr);

// The factor a direct solve of `a` would make, from its symbolic analysis
// (the one in `analysis` when it was made for the same pattern, otherwise a
// new one, left there). False, with `why`, when there is none.
struct DirectFactorCost {
    double bytes = 0;    // values and row indices
    double entries = 0;  // nonzeros of L
    double flops = 0;    // of the numerical factorisation
    bool reused = false; // the analysis was there already
};
bool directFactorCost(const StencilMatrix& a, std::shared_ptr<SolverAnalysis>& analysis, DirectFactorCost& cost,
                      std::string& why);

}  // namespace vexora
