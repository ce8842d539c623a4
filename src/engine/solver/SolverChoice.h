#pragma once
// Which linear solver the forward model uses for a system.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/solver/LinearSolver.h"

namespace vexora {

enum class SolverKind { Automatic, SsorPcg, Multigrid, Direct };

// At 95,000 nodes and 48 sources on 2 threads the factorisation and its
// solves take 3.3 s, multigrid PCG in lockstep batches about a third more;
// the factor grows as about n^(4/3) (560 MB there, 13 GB at 970,000 nodes),
// so beyond this many nodes it no longer fits a workstation and multigrid,
// which needs the matrices of its levels and 5 vectors per system, is the
// fast path (measured in bench/).
inline constexpr std::int64_t kDirectNodeLimit = 400000;
inline constexpr std::int64_t kDirectMinimumSources = 12;

// Automatic: the direct factorisation when it is built in, there are at
// least kDirectMinimumSources right-hand sides to share it, the system has
// at most kDirectNodeLimit real nodes and its estimated factor takes at most
// half of `availableBytes`; multigrid PCG otherwise. SsorPcg (the lockstep
// SSOR-PCG batches) is there to be asked for. `why` says what was chosen
// and why, for the log. `analysis`, when given, carries the direct path's
// analysis from one model on a mesh to the next.
std::unique_ptr<LinearSolver> makeLinearSolver(const StencilMatrix& a, const IterationSettings& settings, int threads,
                                               std::uint64_t availableBytes, std::int64_t rightHandSides,
                                               SolverKind kind, std::string& why,
                                               std::shared_ptr<SolverAnalysis>* analysis = nullptr);

}  // namespace vexora
