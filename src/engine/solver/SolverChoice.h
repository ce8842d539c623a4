#pragma once
// Which linear solver the forward model uses for a system.

#include <cstdint>
#include <memory>
#include <string>

#include "solver/LinearSolver.h"

namespace vexora {

enum class SolverKind { Automatic, SsorPcg, Direct };

// At 95,000 nodes analysis and factorisation take as long as about 9
// SSOR-PCG solves, each solve with the factor a few milliseconds; the factor
// grows as about n^(4/3) (560 MB there, 13 GB at 970,000 nodes), so beyond
// this many nodes it no longer fits a workstation (measured in bench/).
inline constexpr std::int64_t kDirectNodeLimit = 400000;
inline constexpr std::int64_t kDirectMinimumSources = 12;

// Automatic: the direct factorisation when it is built in, there are at
// least kDirectMinimumSources right-hand sides to share it, the system has
// at most kDirectNodeLimit real nodes and its estimated factor takes at most
// half of `availableBytes`; SSOR-PCG otherwise. `why` says what was chosen
// and why, for the log.
std::unique_ptr<LinearSolver> makeLinearSolver(const StencilMatrix& a, const IterationSettings& settings, int threads,
                                               std::uint64_t availableBytes, std::int64_t rightHandSides,
                                               SolverKind kind, std::string& why);

}  // namespace vexora
