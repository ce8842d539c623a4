#pragma once
// Preconditioned conjugate gradients for a symmetric positive definite
// operator given as a function: apply(x, y) sets y = A x, precondition(r, z)
// sets z = M^-1 r. Stops when |r| <= tolerance |b| or after maxIterations.

#include <cmath>
#include <cstddef>
#include <span>
#include <vector>

namespace vexora {

struct CgOutcome {
    int iterations = 0;
    double relativeResidual = 0;
    bool converged = false;
};

template <class Apply, class Precondition>
CgOutcome conjugateGradient(Apply&& apply, Precondition&& precondition, std::span<const double> b,
                            std::span<double> x, double tolerance, int maxIterations)
{
    const std::size_t n = b.size();
    auto dot = [n](const std::vector<double>& u, const std::vector<double>& v) {
        double s = 0;
        for (std::size_t i = 0; i < n; ++i) s += u[i] * v[i];
        return s;
    };
    std::vector<double> r(b.begin(), b.end()), z(n), p(n), q(n), xs(x.begin(), x.end());
    apply(std::span<const double>(xs), std::span<double>(q));
    for (std::size_t i = 0; i < n; ++i) r[i] -= q[i];
    double bSquared = 0;
    for (double v : b) bSquared += v * v;
    const double bNorm = std::sqrt(bSquared);
    CgOutcome outcome;
    if (bNorm == 0) {
        std::fill(x.begin(), x.end(), 0.0);
        outcome.converged = true;
        return outcome;
    }
    precondition(std::span<const double>(r), std::span<double>(z));
    p = z;
    double rz = dot(r, z);
    for (;;) {
        outcome.relativeResidual = std::sqrt(dot(r, r)) / bNorm;
        if (outcome.relativeResidual <= tolerance) {
            outcome.converged = true;
            break;
        }
        if (outcome.iterations >= maxIterations) break;
        apply(std::span<const double>(p), std::span<double>(q));
        const double pq = dot(p, q);
        if (!(pq > 0)) break;  // not positive definite along p: keep the last iterate
        const double alpha = rz / pq;
        for (std::size_t i = 0; i < n; ++i) {
            xs[i] += alpha * p[i];
            r[i] -= alpha * q[i];
        }
        precondition(std::span<const double>(r), std::span<double>(z));
        const double rzNext = dot(r, z);
        const double beta = rzNext / rz;
        rz = rzNext;
        for (std::size_t i = 0; i < n; ++i) p[i] = z[i] + beta * p[i];
        ++outcome.iterations;
    }
    std::copy(xs.begin(), xs.end(), x.begin());
    return outcome;
}

}  // namespace vexora
