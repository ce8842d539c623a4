#include "engine/forward/SourceOuterCondition.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/memory/LargeMemory.h"

namespace vexora {

SolveReport solveAboutSources(const ForwardSystem& s, const LinearSolver& solver, std::span<const NodePoint> about,
                              std::span<const double> b, std::span<double> x, int count, double tolerance,
                              int maxIterations)
{
    const std::size_t n = static_cast<std::size_t>(s.system.gridPoints()), systems = static_cast<std::size_t>(count);
    const auto part = [n](auto& v, std::size_t j) { return std::span(v.data() + j * n, n); };
    // kp = K_c p, kept by recurrence: K_c z = r is what the solver gives.
    LargeVector<double> r(systems * n), z(systems * n), zIn(systems * n), p(systems * n), kp(systems * n), q(n);
    std::vector<double> rz(systems), bNorm(systems);
    std::vector<char> active(systems, 1);
    SolveReport worst;
    int remaining = 0;
    // A system within the tolerance stays as it is.
    const auto settle = [&](std::size_t j) {
        const std::span<double> rj = part(r, j);
        const double relative = bNorm[j] > 0 ? std::sqrt(dot(rj, rj)) / bNorm[j] : 0.0;
        if (relative <= tolerance) {
            active[j] = 0;
            std::fill(rj.begin(), rj.end(), 0.0);
        }
        remaining += active[j];
        worst.relativeResidual = std::max(worst.relativeResidual, relative);
    };
    for (std::size_t j = 0; j < systems; ++j) {
        const std::span<const double> bj = b.subspan(j * n, n);
        const double norm = std::sqrt(dot(bj, bj));
        if (norm == 0) {
            settle(j);
            continue;
        }
        // The residual is measured against the unit current of the source
        // when the secondary field's own sources are weaker: it is the total
        // potential that must be right.
        bNorm[j] = std::max(norm, 1.0);
        // r = b - K_j x = (b - K_c x) - (B_j - B_c) x, the first part zero
        // up to the solver's tolerance.
        const std::span<double> rj = part(r, j);
        std::fill(rj.begin(), rj.end(), 0.0);
        addMixedDifference(s, about[j], x.subspan(j * n, n), rj);
        for (double& v : rj) v = -v;
        settle(j);
    }
    // Conjugate gradients on each K_j, preconditioned by K_c^-1.
    for (int it = 1; remaining > 0; ++it) {
        if (it > maxIterations) {
            worst.converged = false;
            break;
        }
        // Only the systems still above the tolerance go to the solver.
        std::size_t packed = 0;
        for (std::size_t j = 0; j < systems; ++j)
            if (active[j]) std::copy_n(r.begin() + static_cast<std::ptrdiff_t>(j * n), n,
                                       zIn.begin() + static_cast<std::ptrdiff_t>(packed++ * n));
        const SolveReport inner =
            solver.solve({zIn.data(), packed * n}, {z.data(), packed * n}, static_cast<int>(packed));
        for (std::size_t j = systems; j-- > 0;)
            if (active[j] && --packed != j)
                std::copy_n(z.begin() + static_cast<std::ptrdiff_t>(packed * n), n,
                            z.begin() + static_cast<std::ptrdiff_t>(j * n));
        worst.converged = worst.converged && inner.converged;
        worst.iterations = it;
        worst.relativeResidual = 0;
        remaining = 0;
        for (std::size_t j = 0; j < systems; ++j) {
            if (!active[j]) continue;
            const std::span<double> rj = part(r, j), zj = part(z, j), pj = part(p, j), kpj = part(kp, j);
            const std::span<double> xj = x.subspan(j * n, n);
            const double rzNew = dot(rj, zj);
            const double beta = it == 1 ? 0.0 : rzNew / rz[j];
            rz[j] = rzNew;
            for (std::size_t k = 0; k < n; ++k) pj[k] = zj[k] + beta * pj[k], kpj[k] = rj[k] + beta * kpj[k];
            std::copy(kpj.begin(), kpj.end(), q.begin());
            addMixedDifference(s, about[j], pj, q);
            const double alpha = rzNew / dot(pj, q);
            for (std::size_t k = 0; k < n; ++k) xj[k] += alpha * pj[k], rj[k] -= alpha * q[k];
            settle(j);
        }
    }
    return worst;
}

}  // namespace vexora
