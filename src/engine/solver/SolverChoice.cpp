#include "engine/solver/SolverChoice.h"

#include <cmath>
#include <cstdio>

#include "engine/solver/CholmodSolver.h"
#include "engine/solver/MultigridPcg.h"
#include "engine/solver/SsorPcg.h"

namespace vexora {

namespace {

std::string seconds(double s)
{
    char text[32];
    std::snprintf(text, sizeof text, s < 10 ? "%.1f s" : "%.0f s", s);
    return text;
}

std::string megabytes(double bytes)
{
    return std::to_string(static_cast<long long>(bytes / 1048576)) + " MB";
}

}  // namespace

double directSecondsEstimate(const DirectFactorCost& factor, std::int64_t rightHandSides)
{
    return factor.flops / kFactorFlopsPerSecond +
           static_cast<double>(rightHandSides) * 4 * factor.entries / kSolveFlopsPerSecond;
}

double multigridSecondsEstimate(std::int64_t nodes, std::int64_t rightHandSides, int threads)
{
    return static_cast<double>(rightHandSides) * kMultigridIterations * static_cast<double>(nodes) *
           kMultigridSecondsPerNodeIteration / std::max(threads, 1);
}

namespace {

// The direct path when the analysed factor fits `budget` and is estimated
// to be at least as fast as multigrid; otherwise null with `why` saying why.
std::unique_ptr<LinearSolver> fasterDirect(const StencilMatrix& a, int threads, std::uint64_t budget,
                                           std::int64_t rightHandSides, std::string& why,
                                           std::shared_ptr<SolverAnalysis>& analysis)
{
    const double n = static_cast<double>(a.nx) * a.ny * a.nz;
    const double multigrid = multigridSecondsEstimate(static_cast<std::int64_t>(n), rightHandSides, threads);
    const double roughBytes = roughFactorBytes(n);
    // A factor entry takes 16 bytes: its value and its row index.
    const DirectFactorCost rough{roughBytes, roughBytes / 16, kFactorFlopsPerNode2 * n * n};
    const double analysisSeconds = kAnalysisSecondsPerNode * n;
    const double roughSeconds = analysisSeconds + directSecondsEstimate(rough, rightHandSides);
    if (rough.bytes > 4.0 * static_cast<double>(budget) ||
        (roughSeconds > 2 * multigrid && analysisSeconds > 0.1 * multigrid)) {
        why = "the direct path would take about " + seconds(roughSeconds) + " and " + megabytes(rough.bytes) +
              ", multigrid " + seconds(multigrid);
        return nullptr;
    }
    DirectFactorCost factor;
    if (!directFactorCost(a, analysis, factor, why)) return nullptr;
    const double direct = directSecondsEstimate(factor, rightHandSides);
    const std::string estimate = "about " + seconds(direct) + " direct, " + seconds(multigrid) + " by multigrid";
    if (direct > multigrid) {
        why = estimate;
        return nullptr;
    }
    // Refuses, saying so, a factor larger than the budget.
    auto solver = makeCholmodSolver(a, threads, budget, why, &analysis);
    if (solver)
        why = std::string(factor.reused ? "CHOLMOD (analysis of the mesh reused)" : "CHOLMOD") + ", factor of " +
              megabytes(factor.bytes) + " (" + estimate + ")";
    return solver;
}

}  // namespace

std::unique_ptr<LinearSolver> makeLinearSolver(const StencilMatrix& a, const IterationSettings& settings, int threads,
                                               std::uint64_t availableBytes, std::int64_t rightHandSides,
                                               SolverKind kind, std::string& why,
                                               std::shared_ptr<SolverAnalysis>* analysis)
{
    const std::uint64_t budget = availableBytes / 2;
    if (kind == SolverKind::Direct) return makeCholmodSolver(a, threads, budget, why, analysis);
    std::string direct;
    if (kind == SolverKind::Automatic && directSolverAvailable()) {
        std::shared_ptr<SolverAnalysis> own;
        if (auto solver = fasterDirect(a, threads, budget, rightHandSides, direct, analysis ? *analysis : own)) {
            why = direct;
            return solver;
        }
    }
    const std::string refused = direct.empty() ? std::string() : " (" + direct + ")";
    if (kind == SolverKind::SsorPcg) {
        why = "SSOR-PCG in lockstep batches of " + std::to_string(kSsorBatchWidth) + refused;
        return std::make_unique<SsorPcgSolver>(a, settings, threads);
    }
    why = "multigrid PCG in lockstep batches of " + std::to_string(kMultigridBatchWidth) + refused;
    return std::make_unique<MultigridPcgSolver>(a, settings, threads);
}

}  // namespace vexora
