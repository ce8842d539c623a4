#include "engine/solver/SsorPcg.h"

#include "engine/VectorClones.h"
#include "engine/solver/Batches.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <thread>
#include <vector>

namespace vexora {


namespace {

// Per grid point w / D and Dw = D / w, both 0 on the empty halo rows.
struct SsorDiagonal {
    std::vector<double> scaled, dw;
};

SsorDiagonal ssorDiagonal(const StencilMatrix& a, double omega)
{
    const std::size_t n = static_cast<std::size_t>(a.gridPoints());
    SsorDiagonal d{std::vector<double>(n), std::vector<double>(n)};
    for (std::size_t i = 0; i < n; ++i) {
        const double diagonal = a.coefficients[i * kStencilSlots];
        d.scaled[i] = diagonal != 0.0 ? omega / diagonal : 0.0;
        d.dw[i] = diagonal / omega;
    }
    return d;
}

// The sweeps hold K interleaved systems (v[k * K + j]) and take the right-
// hand side from source(k, j), called once per entry before the node's result
// is written, so it may update vectors on the way. They run along x, so each
// node waits on its x neighbour just done (slot 1): that term is subtracted
// last and the division is a product with w / D, keeping the dependent chain
// short.

// The forward sweep's result is needed only one plane and a row behind it: it
// lives in a ring of two z planes (K entries a grid point, zero at first, so
// the halo's stay zero) that stays in cache, and done(k, y_k) gets each node's
// K entries as they are made.
template <int K>
std::vector<double> sweepRing(const StencilMatrix& a)
{
    return std::vector<double>(static_cast<std::size_t>(2 * a.strideZ * K));
}

// y = (Dw + L)^-1 v.
template <int K, class Source, class Done>
void forwardSweep(const StencilMatrix& a, const double* scaled, Source&& source, double* ring, Done&& done)
{
    // Lower neighbour s lies dz (0 or 1) planes back and `inPlane` points back within its plane.
    std::array<int, kUpperNeighbours> dz{};
    std::array<std::int64_t, kUpperNeighbours> inPlane{};
    for (int s = 1; s <= kUpperNeighbours; ++s) {
        const int block = s + 13;  // upperSlot's numbering of the 3 x 3 x 3 block
        dz[static_cast<std::size_t>(s - 1)] = block / 9 - 1;
        inPlane[static_cast<std::size_t>(s - 1)] = (block % 3 - 1) + (block / 3 % 3 - 1) * a.strideY;
    }
    std::array<double*, kUpperNeighbours> near{};
    for (std::int32_t iz = 1; iz <= a.nz; ++iz) {
        double* plane[2] = {ring + (iz & 1) * a.strideZ * K, ring + ((iz - 1) & 1) * a.strideZ * K};
        for (std::size_t s = 0; s < near.size(); ++s) near[s] = plane[dz[s]] - inPlane[s] * K;
        for (std::int32_t iy = 1; iy <= a.ny; ++iy)
            for (std::int32_t ix = 1; ix <= a.nx; ++ix) {
                const std::int64_t local = iy * a.strideY + ix, k = iz * a.strideZ + local;
                std::array<double, K> sum;
                for (int j = 0; j < K; ++j) sum[j] = source(k, j);
                for (int s = 2; s <= kUpperNeighbours; ++s) {
                    const std::size_t slot = static_cast<std::size_t>(s - 1);
                    const double c = a.row(k - a.upperOffset[slot])[s];
                    const double* y = near[slot] + local * K;
                    for (int j = 0; j < K; ++j) sum[j] -= c * y[j];
                }
                const double c = a.row(k - 1)[1], w = scaled[k];
                double* out = plane[0] + local * K;
                for (int j = 0; j < K; ++j) out[j] = w * (sum[j] - c * out[j - K]);
                done(k, static_cast<const double*>(out));
            }
    }
}

// t = (Dw + L^T)^-1 v.
template <int K, class Source>
void backwardSweep(const StencilMatrix& a, const double* scaled, Source&& source, double* t)
{
    forEachRealNodeBackward(a, [&](std::int64_t k) {
        const double* row = a.row(k);
        std::array<double, K> sum;
        for (int j = 0; j < K; ++j) sum[j] = source(k, j);
        for (int s = 2; s <= kUpperNeighbours; ++s) {
            const double* near = t + (k + a.upperOffset[static_cast<std::size_t>(s - 1)]) * K;
            for (int j = 0; j < K; ++j) sum[j] -= row[s] * near[j];
        }
        double* out = t + k * K;
        for (int j = 0; j < K; ++j) out[j] = scaled[k] * (sum[j] - row[1] * out[j + K]);
    });
}

// Conjugate gradients on A' for K systems, each iteration two passes over the
// vectors. The backward sweep first completes the previous step,
// x' += alpha p and r' -= alpha A'p, measuring |r'| and r'^T Dw r' exactly,
// then makes the next direction p = Dw r' + beta p. That needs beta before
// the new r' is complete, so the forward sweep, which forms A'p, also sums
// p^T A'p, r'^T Dw A'p and (A'p)^T Dw A'p, from which
//   r'_new^T Dw r'_new = r'^T Dw r' - 2 alpha r'^T Dw A'p + alpha^2 (A'p)^T Dw A'p.
// Only beta takes this expansion; alpha takes the exact sum of the next
// pass, so rounding does not build up over the iterations.
//
// A system whose |r'| meets its target is frozen (alpha 0, p kept). When all
// are, x = (Dw + L^T)^-1 x' is formed and |b - A x| checked in double: the
// transformed residual can understate it, so a system above the tolerance
// resumes from its frozen state with a target lowered by the shortfall.
template <int K>
VEXORA_VECTOR_CLONES void lockstepPcg(const StencilMatrix& a, const IterationSettings& settings,
                                      std::span<const double> b, std::span<double> x, std::span<SolveReport> reports)
{
    const std::size_t n = static_cast<std::size_t>(a.gridPoints());
    const int count = static_cast<int>(reports.size());
    const SsorDiagonal d = ssorDiagonal(a, settings.ssorOmega);
    const double* dw = d.dw.data();
    const auto at = [](std::int64_t k, int j) { return static_cast<std::size_t>(k) * K + static_cast<std::size_t>(j); };
    // x', r', the direction p, t = (Dw + L^T)^-1 p (which becomes A'p), x, and A x of one system.
    std::vector<double> xt(n * K), r(n * K), p(n * K), t(n * K), xs(n * K), ax(n), ring = sweepRing<K>(a);
    std::array<double, K> bNorm{};
    forwardSweep<K>(
        a, d.scaled.data(),
        [&](std::int64_t k, int j) { return j < count ? b[static_cast<std::size_t>(j) * n + k] : 0.0; }, ring.data(),
        [&](std::int64_t k, const double* y) {
            for (int j = 0; j < K; ++j) {
                r[at(k, j)] = y[j];  // r' = b' with x' = 0
                bNorm[j] += y[j] * y[j];
            }
        });
    std::array<bool, K> active{};
    std::array<double, K> target{};
    for (int j = 0; j < count; ++j) {
        bNorm[j] = std::sqrt(bNorm[j]);
        active[j] = bNorm[j] > 0.0 && settings.maxIterations > 0;
        target[j] = settings.tolerance;
        reports[j] = active[j] ? SolveReport{false, 0, 1.0} : SolveReport{};
    }
    const auto anyActive = [&] { return std::any_of(active.begin(), active.end(), [](bool on) { return on; }); };

    const double diagonalShare = 1 - 2 / settings.ssorOmega;
    // p = gamma Dw r' + beta p: gamma 0 and beta 1 keep a frozen system's p.
    std::array<double, K> alpha{}, beta{}, gamma{}, rz{};
    for (int j = 0; j < K; ++j) gamma[j] = active[j] ? 1.0 : 0.0;
    const auto backwardPass = [&] {
        std::array<double, K> rr{};
        rz = {};
        backwardSweep<K>(
            a, d.scaled.data(),
            [&](std::int64_t k, int j) {
                const std::size_t i = at(k, j);
                xt[i] += alpha[j] * p[i];
                r[i] -= alpha[j] * t[i];
                rr[j] += r[i] * r[i];
                rz[j] += dw[k] * r[i] * r[i];
                p[i] = gamma[j] * dw[k] * r[i] + beta[j] * p[i];
                return p[i];
            },
            t.data());
        return rr;
    };
    backwardPass();  // p = Dw r'
    for (;;) {
        if (!anyActive()) {
            backwardSweep<K>(a, d.scaled.data(), [&](std::int64_t k, int j) { return xt[at(k, j)]; }, xs.data());
            for (int j = 0; j < count; ++j) {
                const std::span<double> xj = x.subspan(static_cast<std::size_t>(j) * n, n);
                for (std::size_t k = 0; k < n; ++k) xj[k] = xs[at(k, j)];
                SolveReport& report = reports[j];
                if (bNorm[j] == 0.0 || report.converged) continue;
                multiply(a, xj, ax);
                const std::span<const double> bj = b.subspan(static_cast<std::size_t>(j) * n, n);
                double residual = 0.0;
                for (std::size_t k = 0; k < n; ++k) residual += (bj[k] - ax[k]) * (bj[k] - ax[k]);
                report.relativeResidual = std::sqrt(residual / dot(bj, bj));
                report.converged = report.relativeResidual <= settings.tolerance;
                if (report.converged || report.iterations == settings.maxIterations) continue;
                target[j] *= 0.9 * settings.tolerance / report.relativeResidual;
                active[j] = true;
                gamma[j] = 1.0;
            }
            if (!anyActive()) break;
        }
        // A'p = t + y with y = (Dw + L)^-1 (p + (D - 2 Dw) t), summed into t.
        std::array<double, K> pq{}, rq{}, qq{};
        forwardSweep<K>(
            a, d.scaled.data(),
            [&](std::int64_t k, int j) { return p[at(k, j)] + diagonalShare * a.row(k)[0] * t[at(k, j)]; },
            ring.data(),
            [&](std::int64_t k, const double* y) {
                for (int j = 0; j < K; ++j) {
                    const std::size_t i = at(k, j);
                    const double q = t[i] += y[j];
                    pq[j] += p[i] * q;
                    rq[j] += dw[k] * r[i] * q;
                    qq[j] += dw[k] * q * q;
                }
            });
        for (int j = 0; j < K; ++j) {
            alpha[j] = active[j] ? rz[j] / pq[j] : 0.0;
            beta[j] = active[j] ? (rz[j] - 2 * alpha[j] * rq[j] + alpha[j] * alpha[j] * qq[j]) / rz[j] : 1.0;
        }
        const std::array<double, K> rr = backwardPass();
        for (int j = 0; j < count; ++j) {
            if (!active[j]) continue;
            SolveReport& report = reports[j];
            ++report.iterations;
            report.relativeResidual = std::sqrt(rr[j]) / bNorm[j];
            active[j] = report.relativeResidual > target[j] && report.iterations < settings.maxIterations;
            gamma[j] = active[j] ? 1.0 : 0.0;
        }
    }
}

}  // namespace

void ssorPcgBatch(const StencilMatrix& a, const IterationSettings& settings, std::span<const double> b,
                  std::span<double> x, std::span<SolveReport> reports)
{
    static_assert(kSsorBatchWidth == 8);
    withBatchWidth(reports.size(), [&](auto width) { lockstepPcg<decltype(width)::value>(a, settings, b, x, reports); });
}

SolveReport ssorPcg(const StencilMatrix& a, const IterationSettings& settings, std::span<const double> b,
                    std::span<double> x)
{
    SolveReport report;
    ssorPcgBatch(a, settings, b, x, {&report, 1});
    return report;
}

VEXORA_VECTOR_CLONES SolveReport plainSsorPcg(const StencilMatrix& a, const IterationSettings& settings,
                                              std::span<const double> b, std::span<double> x)
{
    const std::size_t n = b.size();
    const SsorDiagonal d = ssorDiagonal(a, settings.ssorOmega);
    std::vector<double> r(b.begin(), b.end()), z(n), p(n), q(n), y(n), ring = sweepRing<1>(a);
    // z = M^-1 r = (Dw + L^T)^-1 Dw (Dw + L)^-1 r.
    const auto precondition = [&] {
        forwardSweep<1>(
            a, d.scaled.data(), [&](std::int64_t k, int) { return r[static_cast<std::size_t>(k)]; }, ring.data(),
            [&](std::int64_t k, const double* yk) {
                y[static_cast<std::size_t>(k)] = d.dw[static_cast<std::size_t>(k)] * *yk;
            });
        backwardSweep<1>(
            a, d.scaled.data(), [&](std::int64_t k, int) { return y[static_cast<std::size_t>(k)]; }, z.data());
    };
    std::fill(x.begin(), x.end(), 0.0);
    SolveReport report;
    const double bNorm = std::sqrt(dot(b, b));
    if (bNorm == 0.0) return report;
    precondition();
    p = z;
    double rz = dot(r, z);
    report.converged = false;
    report.relativeResidual = 1.0;
    while (report.iterations < settings.maxIterations) {
        ++report.iterations;
        multiply(a, p, q);
        const double alpha = rz / dot(p, q);
        for (std::size_t i = 0; i < n; ++i) {
            x[i] += alpha * p[i];
            r[i] -= alpha * q[i];
        }
        report.relativeResidual = std::sqrt(dot(r, r)) / bNorm;
        if (report.relativeResidual <= settings.tolerance) {
            report.converged = true;
            break;
        }
        precondition();
        const double rzNext = dot(r, z);
        const double beta = rzNext / rz;
        rz = rzNext;
        for (std::size_t i = 0; i < n; ++i) p[i] = z[i] + beta * p[i];
    }
    return report;
}

SsorPcgSolver::SsorPcgSolver(const StencilMatrix& a, IterationSettings settings, int threads, int batchWidth)
    : a_(a), settings_(settings), threads_(std::max(threads, 1)), width_(std::clamp(batchWidth, 1, kSsorBatchWidth))
{
}

SolveReport SsorPcgSolver::solve(std::span<const double> b, std::span<double> x, int count) const
{
    const std::size_t n = static_cast<std::size_t>(a_.gridPoints());
    return solveInBatches(count, threads_, width_, [&](std::size_t first, std::span<SolveReport> reports) {
        ssorPcgBatch(a_, settings_, b.subspan(first * n, reports.size() * n), x.subspan(first * n, reports.size() * n),
                     reports);
    });
}

}  // namespace vexora
