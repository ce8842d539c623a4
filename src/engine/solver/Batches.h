#pragma once
// Sharing the right-hand sides of a solve among threads in lockstep batches.

#include <algorithm>
#include <span>
#include <thread>
#include <type_traits>
#include <vector>

#include "engine/solver/LinearSolver.h"

namespace vexora {

// Calls solve(std::integral_constant<int, K>{}) for the narrowest lockstep
// width K of 1, 2, 4 and 8 that holds `count` systems: padding systems cost
// as much as real ones.
template <class Solve>
void withBatchWidth(std::size_t count, Solve&& solve)
{
    if (count <= 1) return solve(std::integral_constant<int, 1>{});
    if (count <= 2) return solve(std::integral_constant<int, 2>{});
    if (count <= 4) return solve(std::integral_constant<int, 4>{});
    solve(std::integral_constant<int, 8>{});
}

// Calls solveBatch(first, reports) for consecutive batches of at most
// `width` systems, first being the batch's first system and reports its
// slice of the per-system outcomes; batches are narrower than `width` when
// that keeps a thread busy, and the threads take them in turn. Returns the
// worst outcome.
template <class SolveBatch>
SolveReport solveInBatches(int count, int threads, int width, SolveBatch&& solveBatch)
{
    threads = std::max(threads, 1);
    std::vector<SolveReport> reports(static_cast<std::size_t>(count));
    width = std::max(1, std::min(width, (count + threads - 1) / threads));
    const int batches = (count + width - 1) / width;
    auto run = [&](int i) {
        const std::size_t first = static_cast<std::size_t>(i * width);
        const std::size_t size = static_cast<std::size_t>(std::min(width, count - i * width));
        solveBatch(first, std::span<SolveReport>(reports.data() + first, size));
    };
    {
        std::vector<std::jthread> workers;
        const int parallel = std::min(threads, batches);
        for (int t = 1; t < parallel; ++t)
            workers.emplace_back([&, t] {
                for (int i = t; i < batches; i += parallel) run(i);
            });
        for (int i = 0; i < batches; i += std::max(parallel, 1)) run(i);
    }
    SolveReport worst;
    for (const SolveReport& r : reports) {
        worst.converged = worst.converged && r.converged;
        worst.iterations = std::max(worst.iterations, r.iterations);
        worst.relativeResidual = std::max(worst.relativeResidual, r.relativeResidual);
    }
    return worst;
}

}  // namespace vexora
