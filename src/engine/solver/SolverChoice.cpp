#include "engine/solver/SolverChoice.h"

#include "engine/solver/CholmodSolver.h"
#include "engine/solver/MultigridPcg.h"
#include "engine/solver/SsorPcg.h"

namespace vexora {

std::unique_ptr<LinearSolver> makeLinearSolver(const StencilMatrix& a, const IterationSettings& settings, int threads,
                                               std::uint64_t availableBytes, std::int64_t rightHandSides,
                                               SolverKind kind, std::string& why,
                                               std::shared_ptr<SolverAnalysis>* analysis)
{
    const std::int64_t nodes = static_cast<std::int64_t>(a.nx) * a.ny * a.nz;
    std::string direct;
    const bool worthIt = nodes <= kDirectNodeLimit && rightHandSides >= kDirectMinimumSources;
    if (kind == SolverKind::Direct || (kind == SolverKind::Automatic && worthIt && directSolverAvailable())) {
        if (auto solver = makeCholmodSolver(a, threads, availableBytes / 2, direct, analysis)) {
            why = direct;
            return solver;
        }
        if (kind == SolverKind::Direct) {
            why = direct;
            return nullptr;
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
