#include "engine/forward2d/LineWavenumbers.h"

#include <algorithm>
#include <cmath>

#include "engine/forward2d/BesselK.h"

namespace vexora {

namespace {

constexpr int kFitDistances = 200;

double logSpaced(double from, double to, int i, int count)
{
    return from * std::pow(to / from, count > 1 ? static_cast<double>(i) / (count - 1) : 0.0);
}

}  // namespace

Wavenumbers lineWavenumbers(double shortest, double longest, int count)
{
    count = std::max(count, 2);
    Wavenumbers w;
    // K0(k r) r as a function of ln k peaks near k = 1 / r and is negligible
    // above k = 10 / r; below 1 / r it falls off only logarithmically. This
    // range, tried against the image series of layered earths (dipole-dipole
    // spreads to 40 spacings, layers at 2 to 25 spacings), kept the
    // quadrature's share of the error of V/I below 0.1 % with 12 wavenumbers.
    const double kLow = 0.4 / longest, kHigh = 4.0 / shortest;
    for (int i = 0; i < count; ++i) w.k.push_back(logSpaced(kLow, kHigh, i, count));

    // Least squares on the relative error: rows r_j, columns K0(k_i r_j) r_j.
    const int n = count;
    std::vector<long double> normal(static_cast<std::size_t>(n * n), 0.0L), rhs(static_cast<std::size_t>(n), 0.0L);
    std::vector<double> row(static_cast<std::size_t>(n));
    for (int j = 0; j < kFitDistances; ++j) {
        const double r = logSpaced(shortest, longest, j, kFitDistances);
        for (int i = 0; i < n; ++i) row[static_cast<std::size_t>(i)] = besselK0(w.k[static_cast<std::size_t>(i)] * r) * r;
        for (int a = 0; a < n; ++a) {
            rhs[static_cast<std::size_t>(a)] += row[static_cast<std::size_t>(a)];
            for (int b = 0; b < n; ++b)
                normal[static_cast<std::size_t>(a * n + b)] +=
                    static_cast<long double>(row[static_cast<std::size_t>(a)]) * row[static_cast<std::size_t>(b)];
        }
    }
    // Cholesky of the normal equations, in extended precision.
    for (int a = 0; a < n; ++a) {
        for (int b = 0; b <= a; ++b) {
            long double sum = normal[static_cast<std::size_t>(a * n + b)];
            for (int c = 0; c < b; ++c)
                sum -= normal[static_cast<std::size_t>(a * n + c)] * normal[static_cast<std::size_t>(b * n + c)];
            normal[static_cast<std::size_t>(a * n + b)] =
                a == b ? std::sqrt(std::max(sum, 1e-300L)) : sum / normal[static_cast<std::size_t>(b * n + b)];
        }
    }
    for (int a = 0; a < n; ++a) {
        long double sum = rhs[static_cast<std::size_t>(a)];
        for (int c = 0; c < a; ++c) sum -= normal[static_cast<std::size_t>(a * n + c)] * rhs[static_cast<std::size_t>(c)];
        rhs[static_cast<std::size_t>(a)] = sum / normal[static_cast<std::size_t>(a * n + a)];
    }
    for (int a = n - 1; a >= 0; --a) {
        long double sum = rhs[static_cast<std::size_t>(a)];
        for (int c = a + 1; c < n; ++c) sum -= normal[static_cast<std::size_t>(c * n + a)] * rhs[static_cast<std::size_t>(c)];
        rhs[static_cast<std::size_t>(a)] = sum / normal[static_cast<std::size_t>(a * n + a)];
    }
    for (int i = 0; i < n; ++i) w.weight.push_back(static_cast<double>(rhs[static_cast<std::size_t>(i)]));
    return w;
}

double wavenumberError(const Wavenumbers& w, double shortest, double longest)
{
    double worst = 0;
    for (int j = 0; j < 4 * kFitDistances; ++j) {
        const double r = logSpaced(shortest, longest, j, 4 * kFitDistances);
        double sum = 0;
        for (std::size_t i = 0; i < w.k.size(); ++i) sum += w.weight[i] * besselK0(w.k[i] * r) * r;
        worst = std::max(worst, std::abs(sum - 1));
    }
    return worst;
}

}  // namespace vexora
