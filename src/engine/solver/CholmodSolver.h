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

}  // namespace vexora
