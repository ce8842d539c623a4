#include "engine/forward2d/LineOuterCondition.h"

#include <algorithm>
#include <cmath>

namespace vexora {

namespace {

double dot(std::span<const double> a, std::span<const double> b)
{
    double sum = 0;
    for (std::size_t k = 0; k < a.size(); ++k) sum += a[k] * b[k];
    return sum;
}

// y += (B_j - B_c) x
void addDifference(std::span<const OuterTerm> difference, std::span<const double> x, std::span<double> y)
{
    for (const OuterTerm& t : difference) {
        const auto i = static_cast<std::size_t>(t.i), j = static_cast<std::size_t>(t.j);
        y[i] += t.value * x[j];
        if (i != j) y[j] += t.value * x[i];
    }
}

}  // namespace

int solveAboutSource(const BandMatrix& factor, std::span<const OuterTerm> difference, std::span<double> x,
                     double tolerance, int maxIterations)
{
    const double limit = tolerance * std::max(std::sqrt(dot(x, x)), 1.0);
    solveBand(factor, x);
    // r = b - K_j x = -(B_j - B_c) x, since K_c x = b.
    const std::size_t n = x.size();
    std::vector<double> r(n, 0.0), z(n), p(n, 0.0), kp(n, 0.0), q(n);
    addDifference(difference, x, r);
    for (double& v : r) v = -v;
    double rz = 0;
    for (int it = 0;; ++it) {
        if (std::sqrt(dot(r, r)) <= limit) return it;
        if (it == maxIterations) return -1;
        z = r;
        solveBand(factor, z);
        const double rzNew = dot(r, z);
        const double beta = it == 0 ? 0.0 : rzNew / rz;
        rz = rzNew;
        // kp = K_c p by the same recurrence as p.
        for (std::size_t k = 0; k < n; ++k) p[k] = z[k] + beta * p[k], kp[k] = r[k] + beta * kp[k];
        q = kp;
        addDifference(difference, p, q);
        const double alpha = rzNew / dot(p, q);
        for (std::size_t k = 0; k < n; ++k) x[k] += alpha * p[k], r[k] -= alpha * q[k];
    }
}

}  // namespace vexora
