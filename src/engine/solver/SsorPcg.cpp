#include "solver/SsorPcg.h"

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

namespace vexora {

namespace {

// The sweeps run along x, so each node waits on its x neighbour just done
// (slot 1): that term is added last and the division is a product with
// `scaled` = w / D, keeping the dependent chain short.

// y = (Dw + L)^-1 (v + k t) with k = D - 2 Dw (t may be null: k t left out).
void forwardSweep(const StencilMatrix& a, double omega, const double* scaled, const double* v, const double* t,
                  double* y)
{
    const double diagonalShare = 1 - 2 / omega;
    forEachRealNode(a, 1, a.nz + 1, [&](std::int64_t k) {
        double sum = v[k] + (t ? diagonalShare * a.row(k)[0] * t[k] : 0.0);
        for (int s = 2; s <= kUpperNeighbours; ++s) {
            const std::int64_t o = a.upperOffset[static_cast<std::size_t>(s - 1)];
            sum -= a.row(k - o)[s] * y[k - o];
        }
        y[k] = scaled[k] * (sum - a.row(k - 1)[1] * y[k - 1]);
    });
}

// t = (Dw + L^T)^-1 v.
void backwardSweep(const StencilMatrix& a, const double* scaled, const double* v, double* t)
{
    for (std::int32_t iz = a.nz; iz >= 1; --iz)
        for (std::int32_t iy = a.ny; iy >= 1; --iy) {
            const std::int64_t base = a.index(0, iy, iz);
            for (std::int32_t ix = a.nx; ix >= 1; --ix) {
                const std::int64_t k = base + ix;
                const double* row = a.row(k);
                double sum = v[k];
                for (int s = 2; s <= kUpperNeighbours; ++s)
                    sum -= row[s] * t[k + a.upperOffset[static_cast<std::size_t>(s - 1)]];
                t[k] = scaled[k] * (sum - row[1] * t[k + 1]);
            }
        }
}

}  // namespace

SolveReport ssorPcg(const StencilMatrix& a, const IterationSettings& settings, std::span<const double> b,
                    std::span<double> x)
{
    const std::size_t n = b.size();
    const double omega = settings.ssorOmega;
    std::fill(x.begin(), x.end(), 0.0);
    SolveReport report;
    std::vector<double> r(n), z(n), p(n), t(n), y(n), scaled(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double d = a.coefficients[i * kStencilSlots];
        scaled[i] = d != 0.0 ? omega / d : 0.0;  // halo rows are empty
    }
    forwardSweep(a, omega, scaled.data(), b.data(), nullptr, r.data());  // r' = b' with x' = 0
    const double bNorm = std::sqrt(dot(r, r));
    if (bNorm == 0.0) return report;

    // z = Dw r', the preconditioner of the transformed system.
    double rz = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        z[i] = scaled[i] != 0.0 ? r[i] / scaled[i] : 0.0;
        rz += r[i] * z[i];
    }
    p = z;
    report.converged = false;
    report.relativeResidual = 1.0;
    while (report.iterations < settings.maxIterations) {
        ++report.iterations;
        // q = A' p = t + y, t = (Dw + L^T)^-1 p, y = (Dw + L)^-1 (p + (D - 2 Dw) t).
        backwardSweep(a, scaled.data(), p.data(), t.data());
        forwardSweep(a, omega, scaled.data(), p.data(), t.data(), y.data());
        double pq = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            t[i] += y[i];
            pq += p[i] * t[i];
        }
        const double alpha = rz / pq;
        double rr = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            x[i] += alpha * p[i];
            r[i] -= alpha * t[i];
            rr += r[i] * r[i];
        }
        report.relativeResidual = std::sqrt(rr) / bNorm;
        if (report.relativeResidual <= settings.tolerance) {
            report.converged = true;
            break;
        }
        double rzNext = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            z[i] = scaled[i] != 0.0 ? r[i] / scaled[i] : 0.0;
            rzNext += r[i] * z[i];
        }
        const double beta = rzNext / rz;
        rz = rzNext;
        for (std::size_t i = 0; i < n; ++i) p[i] = z[i] + beta * p[i];
    }
    // x = (Dw + L^T)^-1 x'.
    std::copy(x.begin(), x.end(), y.begin());
    backwardSweep(a, scaled.data(), y.data(), x.data());
    return report;
}

SsorPcgSolver::SsorPcgSolver(const StencilMatrix& a, IterationSettings settings, int threads)
    : a_(a), settings_(settings), threads_(std::max(threads, 1))
{
}

SolveReport SsorPcgSolver::solve(std::span<const double> b, std::span<double> x, int count) const
{
    const std::size_t n = static_cast<std::size_t>(a_.gridPoints());
    std::vector<SolveReport> reports(static_cast<std::size_t>(count));
    auto one = [&](int j) {
        const std::size_t at = static_cast<std::size_t>(j) * n;
        reports[static_cast<std::size_t>(j)] = ssorPcg(a_, settings_, b.subspan(at, n), x.subspan(at, n));
    };
    {
        std::vector<std::jthread> workers;
        const int parallel = std::min(threads_, count);
        for (int t = 1; t < parallel; ++t)
            workers.emplace_back([&, t] {
                for (int j = t; j < count; j += parallel) one(j);
            });
        for (int j = 0; j < count; j += parallel) one(j);
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
