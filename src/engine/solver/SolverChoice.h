#pragma once
// Which linear solver the forward model uses for a system.

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/solver/CholmodSolver.h"
#include "engine/solver/LinearSolver.h"

namespace vexora {

enum class SolverKind { Automatic, SsorPcg, Multigrid, Direct };

// The rates behind the choice, measured in bench/ (SolverCost) on a
// two-core workstation with every direct call on the BLAS's two threads.
// The direct solves, since shared out to our threads on one BLAS thread
// each, run about 2.5 times faster than their rate says: at the crossover
// the choice leans towards multigrid. Multigrid's rate is per thread.
inline constexpr double kFactorFlopsPerSecond = 3e10;               // supernodal factorisation
inline constexpr double kSolveFlopsPerSecond = 1.2e10;              // its solves, 4 flops per factor entry
inline constexpr double kMultigridSecondsPerNodeIteration = 8.6e-8;  // one system, one thread
inline constexpr int kMultigridIterations = 10;                     // typical count to 1e-7
// Before any analysis, the factor of a mesh's system grows as about
// n^(4/3) bytes times the first and its flops as n^2 times the second
// (560 MB and 37 Gflop at 95,000 nodes, 1.8 GB and 208 Gflop at 229,000).
inline constexpr double kFactorBytesPerNode43 = 128;
inline constexpr double kFactorFlopsPerNode2 = 4e-3;
// The analysis (fill-reducing ordering, symbolic factor): 1 s at 95,000
// nodes, 2.7 s at 229,000; made once per mesh.
inline constexpr double kAnalysisSecondsPerNode = 1.2e-5;

// The factor's bytes for a mesh of `nodes` by the n^(4/3) rule, before any
// analysis.
inline double roughFactorBytes(double nodes) { return kFactorBytesPerNode43 * std::pow(nodes, 4.0 / 3.0); }

// Estimated seconds of the direct path (factorisation and one solve per
// right-hand side) and of multigrid PCG on `threads` threads.
double directSecondsEstimate(const DirectFactorCost& factor, std::int64_t rightHandSides);
double multigridSecondsEstimate(std::int64_t nodes, std::int64_t rightHandSides, int threads);

// Automatic: the direct factorisation when it is built in, its factor (from
// the symbolic analysis) takes at most half of `availableBytes` and its
// estimated time is at most multigrid's; multigrid PCG otherwise. A mesh
// whose factor by the n^(4/3) and n^2 rules would need four times the
// memory, or twice multigrid's time while the analysis alone takes a tenth
// of it, is not analysed. SsorPcg (the lockstep
// SSOR-PCG batches) is there to be asked for. `why` says what was chosen
// and why, for the log. `analysis`, when given, carries the direct path's
// analysis from one model on a mesh to the next.
std::unique_ptr<LinearSolver> makeLinearSolver(const StencilMatrix& a, const IterationSettings& settings, int threads,
                                               std::uint64_t availableBytes, std::int64_t rightHandSides,
                                               SolverKind kind, std::string& why,
                                               std::shared_ptr<SolverAnalysis>* analysis = nullptr);

}  // namespace vexora
