#include "engine/solver/MultigridPcg.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "engine/VectorClones.h"
#include "engine/solver/Batches.h"

namespace vexora {

namespace {

// The kernels below work on K interleaved systems and write real nodes only,
// so the halo entries of their outputs stay zero. They are inlined into the
// solve, which is cloned for the vector units.
#define VEXORA_KERNEL [[gnu::always_inline]] inline

// y = A x; returns x^T y per system.
template <int K>
VEXORA_KERNEL std::array<double, K> multiplyBatch(const StencilMatrix& a, const double* x, double* y)
{
    std::array<double, K> xy{};
    forEachRealNode(a, 1, a.nz + 1, [&](std::int64_t k) {
        const double* row = a.row(k);
        std::array<double, K> sum;
        for (int j = 0; j < K; ++j) sum[j] = row[0] * x[k * K + j];
        for (int s = 1; s <= kUpperNeighbours; ++s) {
            const std::int64_t o = a.upperOffset[static_cast<std::size_t>(s - 1)];
            const double up = row[s], down = a.row(k - o)[s];
            const double *xu = x + (k + o) * K, *xd = x + (k - o) * K;
            for (int j = 0; j < K; ++j) sum[j] += up * xu[j] + down * xd[j];
        }
        for (int j = 0; j < K; ++j) {
            y[k * K + j] = sum[j];
            xy[j] += x[k * K + j] * sum[j];
        }
    });
    return xy;
}

// x = (D + L)^-1 b: a forward Gauss-Seidel sweep from zero.
template <int K>
VEXORA_KERNEL void forwardSweep(const StencilMatrix& a, const double* inverseDiagonal, const double* b, double* x)
{
    forEachRealNode(a, 1, a.nz + 1, [&](std::int64_t k) {
        std::array<double, K> sum;
        for (int j = 0; j < K; ++j) sum[j] = b[k * K + j];
        for (int s = 1; s <= kUpperNeighbours; ++s) {
            const std::int64_t o = a.upperOffset[static_cast<std::size_t>(s - 1)];
            const double c = a.row(k - o)[s];
            const double* xd = x + (k - o) * K;
            for (int j = 0; j < K; ++j) sum[j] -= c * xd[j];
        }
        for (int j = 0; j < K; ++j) x[k * K + j] = inverseDiagonal[k] * sum[j];
    });
}

// After x = (D + L)^-1 b the residual b - A x is -U x: no full product needed.
template <int K>
VEXORA_KERNEL void upperResidual(const StencilMatrix& a, const double* x, double* residual)
{
    forEachRealNode(a, 1, a.nz + 1, [&](std::int64_t k) {
        const double* row = a.row(k);
        std::array<double, K> sum{};
        for (int s = 1; s <= kUpperNeighbours; ++s) {
            const double* xu = x + (k + a.upperOffset[static_cast<std::size_t>(s - 1)]) * K;
            for (int j = 0; j < K; ++j) sum[j] -= row[s] * xu[j];
        }
        for (int j = 0; j < K; ++j) residual[k * K + j] = sum[j];
    });
}

// x += (D + U)^-1 (b - A x): a backward Gauss-Seidel sweep in place;
// returns b^T x per system.
template <int K>
VEXORA_KERNEL std::array<double, K> backwardSweep(const StencilMatrix& a, const double* inverseDiagonal,
                                                  const double* b, double* x)
{
    std::array<double, K> bx{};
    forEachRealNodeBackward(a, [&](std::int64_t k) {
        const double* row = a.row(k);
        std::array<double, K> sum;
        for (int j = 0; j < K; ++j) sum[j] = b[k * K + j];
        for (int s = 1; s <= kUpperNeighbours; ++s) {
            const std::int64_t o = a.upperOffset[static_cast<std::size_t>(s - 1)];
            const double up = row[s], down = a.row(k - o)[s];
            const double *xu = x + (k + o) * K, *xd = x + (k - o) * K;
            for (int j = 0; j < K; ++j) sum[j] -= up * xu[j] + down * xd[j];
        }
        for (int j = 0; j < K; ++j) {
            x[k * K + j] = inverseDiagonal[k] * sum[j];
            bx[j] += b[k * K + j] * x[k * K + j];
        }
    });
    return bx;
}

// coarse = P^T fine.
template <int K>
VEXORA_KERNEL void restrictToCoarse(const GridCoarsening& g, const StencilMatrix& fineGrid,
                                    const StencilMatrix& coarseGrid, const double* fine, double* coarse)
{
    const AxisCoarsening &cx = g.axis[0], &cy = g.axis[1], &cz = g.axis[2];
    forEachRealNode(coarseGrid, 1, coarseGrid.nz + 1, [&](std::int64_t kc) {
        const std::int32_t kx = static_cast<std::int32_t>(kc % coarseGrid.strideY);
        const std::int32_t ky = static_cast<std::int32_t>(kc / coarseGrid.strideY % (coarseGrid.ny + 2));
        const std::int32_t kz = static_cast<std::int32_t>(kc / coarseGrid.strideZ);
        std::array<double, K> sum{};
        for (int fz = 0; fz < cz.children[static_cast<std::size_t>(kz)]; ++fz)
            for (int fy = 0; fy < cy.children[static_cast<std::size_t>(ky)]; ++fy) {
                const double wzy = cz.childWeight[static_cast<std::size_t>(kz)][static_cast<std::size_t>(fz)] *
                                   cy.childWeight[static_cast<std::size_t>(ky)][static_cast<std::size_t>(fy)];
                const std::int64_t base =
                    fineGrid.index(0, cy.child[static_cast<std::size_t>(ky)][static_cast<std::size_t>(fy)],
                                   cz.child[static_cast<std::size_t>(kz)][static_cast<std::size_t>(fz)]);
                for (int fx = 0; fx < cx.children[static_cast<std::size_t>(kx)]; ++fx) {
                    const double w = wzy * cx.childWeight[static_cast<std::size_t>(kx)][static_cast<std::size_t>(fx)];
                    const double* v = fine + (base + cx.child[static_cast<std::size_t>(kx)][static_cast<std::size_t>(fx)]) * K;
                    for (int j = 0; j < K; ++j) sum[j] += w * v[j];
                }
            }
        for (int j = 0; j < K; ++j) coarse[kc * K + j] = sum[j];
    });
}

// fine += P coarse.
template <int K>
VEXORA_KERNEL void prolongAdd(const GridCoarsening& g, const StencilMatrix& fineGrid, const StencilMatrix& coarseGrid,
                              const double* coarse, double* fine)
{
    const AxisCoarsening &cx = g.axis[0], &cy = g.axis[1], &cz = g.axis[2];
    for (std::int32_t iz = 1; iz <= fineGrid.nz; ++iz)
        for (std::int32_t iy = 1; iy <= fineGrid.ny; ++iy)
            for (std::int32_t ix = 1; ix <= fineGrid.nx; ++ix) {
                std::array<double, K> sum{};
                for (int pz = 0; pz < 2; ++pz) {
                    const double wz = cz.parentWeight[static_cast<std::size_t>(iz)][static_cast<std::size_t>(pz)];
                    if (wz == 0.0) continue;
                    for (int py = 0; py < 2; ++py) {
                        const double wy = cy.parentWeight[static_cast<std::size_t>(iy)][static_cast<std::size_t>(py)];
                        if (wy == 0.0) continue;
                        const std::int64_t base =
                            coarseGrid.index(0, cy.parent[static_cast<std::size_t>(iy)][static_cast<std::size_t>(py)],
                                             cz.parent[static_cast<std::size_t>(iz)][static_cast<std::size_t>(pz)]);
                        for (int px = 0; px < 2; ++px) {
                            const double wx = cx.parentWeight[static_cast<std::size_t>(ix)][static_cast<std::size_t>(px)];
                            if (wx == 0.0) continue;
                            const double w = wz * wy * wx;
                            const double* v =
                                coarse + (base + cx.parent[static_cast<std::size_t>(ix)][static_cast<std::size_t>(px)]) * K;
                            for (int j = 0; j < K; ++j) sum[j] += w * v[j];
                        }
                    }
                }
                double* out = fine + fineGrid.index(ix, iy, iz) * K;
                for (int j = 0; j < K; ++j) out[j] += sum[j];
            }
}

// x = A^-1 b on the coarsest level by the dense factor.
template <int K>
VEXORA_KERNEL void coarsestSolve(const StencilMatrix& a, const DenseCholesky& f, const double* b, double* x,
                                 std::vector<double>& work)
{
    const std::size_t n = static_cast<std::size_t>(f.size);
    work.resize(n * K);
    std::size_t i = 0;
    forEachRealNode(a, 1, a.nz + 1, [&](std::int64_t k) {
        for (int j = 0; j < K; ++j) work[i * K + j] = b[k * K + j];
        ++i;
    });
    const double* l = f.lower.data();
    for (std::size_t r = 0; r < n; ++r) {  // L y = b
        double* y = work.data() + r * K;
        for (std::size_t c = 0; c < r; ++c)
            for (int j = 0; j < K; ++j) y[j] -= l[r * n + c] * work[c * K + j];
        const double d = l[r * n + r];
        for (int j = 0; j < K; ++j) y[j] = d != 0.0 ? y[j] / d : 0.0;
    }
    for (std::size_t r = n; r-- > 0;) {  // L^T x = y
        double* y = work.data() + r * K;
        const double d = l[r * n + r];
        for (int j = 0; j < K; ++j) y[j] = d != 0.0 ? y[j] / d : 0.0;
        for (std::size_t c = 0; c < r; ++c)
            for (int j = 0; j < K; ++j) work[c * K + j] -= l[r * n + c] * y[j];
    }
    i = 0;
    forEachRealNode(a, 1, a.nz + 1, [&](std::int64_t k) {
        for (int j = 0; j < K; ++j) x[k * K + j] = work[i * K + j];
        ++i;
    });
}

// The right-hand side, solution and residual of every level below the finest.
struct CycleVectors {
    std::vector<std::vector<double>> b, x, residual;
    std::vector<double> dense;
};

template <int K>
CycleVectors cycleVectors(const MultigridHierarchy& h)
{
    CycleVectors v;
    for (const StencilMatrix* level : h.levels) {
        const std::size_t n = static_cast<std::size_t>(level->gridPoints()) * K;
        const bool finest = level == h.levels.front();
        v.b.emplace_back(finest ? 0 : n);
        v.x.emplace_back(finest ? 0 : n);
        v.residual.emplace_back(level == h.levels.back() ? 0 : n);
    }
    return v;
}

// z = M^-1 r by one V-cycle; returns r^T z per system.
template <int K>
VEXORA_KERNEL std::array<double, K> vCycle(const MultigridHierarchy& h, CycleVectors& v, const double* r, double* z)
{
    const std::size_t last = h.levels.size() - 1;
    const auto b = [&](std::size_t l) { return l == 0 ? r : v.b[l].data(); };
    const auto x = [&](std::size_t l) { return l == 0 ? z : v.x[l].data(); };
    for (std::size_t l = 0; l < last; ++l) {
        const StencilMatrix& a = *h.levels[l];
        forwardSweep<K>(a, h.inverseDiagonal[l].data(), b(l), x(l));
        upperResidual<K>(a, x(l), v.residual[l].data());
        restrictToCoarse<K>(h.down[l], a, *h.levels[l + 1], v.residual[l].data(), v.b[l + 1].data());
    }
    coarsestSolve<K>(*h.levels[last], h.coarsest, b(last), x(last), v.dense);
    std::array<double, K> rz{};
    for (std::size_t l = last; l-- > 0;) {
        const StencilMatrix& a = *h.levels[l];
        prolongAdd<K>(h.down[l], a, *h.levels[l + 1], v.x[l + 1].data(), x(l));
        rz = backwardSweep<K>(a, h.inverseDiagonal[l].data(), b(l), x(l));
    }
    if (last == 0) {
        const std::size_t n = static_cast<std::size_t>(h.levels[0]->gridPoints());
        for (std::size_t k = 0; k < n; ++k)
            for (int j = 0; j < K; ++j) rz[static_cast<std::size_t>(j)] += r[k * K + j] * z[k * K + j];
    }
    return rz;
}

template <int K>
VEXORA_VECTOR_CLONES void multigridPcg(const MultigridHierarchy& h, const IterationSettings& settings,
                                       std::span<const double> b, std::span<double> x, std::span<SolveReport> reports)
{
    const StencilMatrix& a = *h.levels.front();
    const std::size_t n = static_cast<std::size_t>(a.gridPoints());
    const int count = static_cast<int>(reports.size());
    const auto at = [](std::size_t k, int j) { return k * K + static_cast<std::size_t>(j); };
    std::vector<double> xs(n * K), r(n * K), z(n * K), p(n * K), q(n * K);
    CycleVectors cycle = cycleVectors<K>(h);
    std::array<double, K> bNorm{}, target{}, rz{};
    std::array<bool, K> active{};
    for (int j = 0; j < count; ++j) {
        const std::span<const double> bj = b.subspan(static_cast<std::size_t>(j) * n, n);
        for (std::size_t k = 0; k < n; ++k) r[at(k, j)] = bj[k];
        bNorm[j] = std::sqrt(dot(bj, bj));
        active[j] = bNorm[j] > 0.0 && settings.maxIterations > 0;
        target[j] = settings.tolerance;
        reports[j] = active[j] ? SolveReport{false, 0, 1.0} : SolveReport{};
    }
    const auto anyActive = [&] { return std::any_of(active.begin(), active.end(), [](bool on) { return on; }); };
    // Every active system (re)starts from its residual r: p = z = M^-1 r.
    while (anyActive()) {
        const std::array<double, K> rzStart = vCycle<K>(h, cycle, r.data(), z.data());
        for (std::size_t k = 0; k < n; ++k)
            for (int j = 0; j < K; ++j)
                if (active[j]) p[at(k, j)] = z[at(k, j)];
        for (int j = 0; j < K; ++j)
            if (active[j]) rz[j] = rzStart[j];
        // x moves along p when p is next updated (or at the end), so the
        // two share a pass over the vectors.
        std::array<double, K> alpha{};
        while (anyActive()) {
            const std::array<double, K> pq = multiplyBatch<K>(a, p.data(), q.data());
            for (int j = 0; j < K; ++j) alpha[j] = active[j] && pq[j] > 0.0 ? rz[j] / pq[j] : 0.0;
            std::array<double, K> rr{};
            for (std::size_t k = 0; k < n; ++k)
                for (int j = 0; j < K; ++j) {
                    const std::size_t i = at(k, j);
                    r[i] -= alpha[j] * q[i];
                    rr[j] += r[i] * r[i];
                }
            for (int j = 0; j < count; ++j) {
                if (!active[j]) continue;
                SolveReport& report = reports[j];
                ++report.iterations;
                report.relativeResidual = std::sqrt(rr[j]) / bNorm[j];
                active[j] = report.relativeResidual > target[j] && report.iterations < settings.maxIterations &&
                            alpha[j] != 0.0;
            }
            if (!anyActive()) break;
            const std::array<double, K> rzNext = vCycle<K>(h, cycle, r.data(), z.data());
            // Finished systems keep p (beta 1) with z taking no part (gamma 0).
            std::array<double, K> beta{}, gamma{};
            for (int j = 0; j < K; ++j) {
                beta[j] = active[j] ? rzNext[j] / rz[j] : 1.0;
                gamma[j] = active[j] ? 1.0 : 0.0;
            }
            for (std::size_t k = 0; k < n; ++k)
                for (int j = 0; j < K; ++j) {
                    const std::size_t i = at(k, j);
                    xs[i] += alpha[j] * p[i];
                    p[i] = gamma[j] * z[i] + beta[j] * p[i];
                }
            for (int j = 0; j < K; ++j) {
                if (active[j]) rz[j] = rzNext[j];
                alpha[j] = 0.0;
            }
        }
        for (std::size_t k = 0; k < n; ++k)
            for (int j = 0; j < K; ++j) xs[at(k, j)] += alpha[j] * p[at(k, j)];
        // The recurrence's r drifts from b - A x with rounding: measure the
        // true residual, and restart a system that has not met the tolerance
        // from it with its target lowered by the shortfall.
        multiplyBatch<K>(a, xs.data(), q.data());
        for (int j = 0; j < count; ++j) {
            SolveReport& report = reports[j];
            if (bNorm[j] == 0.0 || report.converged) continue;
            const std::span<const double> bj = b.subspan(static_cast<std::size_t>(j) * n, n);
            double residual = 0.0;
            for (std::size_t k = 0; k < n; ++k) {
                r[at(k, j)] = bj[k] - q[at(k, j)];
                residual += r[at(k, j)] * r[at(k, j)];
            }
            report.relativeResidual = std::sqrt(residual) / bNorm[j];
            report.converged = report.relativeResidual <= settings.tolerance;
            if (report.converged || report.iterations >= settings.maxIterations) continue;
            target[j] *= 0.9 * settings.tolerance / report.relativeResidual;
            active[j] = true;
        }
    }
    for (int j = 0; j < count; ++j) {
        const std::span<double> xj = x.subspan(static_cast<std::size_t>(j) * n, n);
        for (std::size_t k = 0; k < n; ++k) xj[k] = xs[at(k, j)];
    }
}

#undef VEXORA_KERNEL

}  // namespace

void multigridPcgBatch(const MultigridHierarchy& h, const IterationSettings& settings, std::span<const double> b,
                       std::span<double> x, std::span<SolveReport> reports)
{
    static_assert(kMultigridBatchWidth == 8);
    withBatchWidth(reports.size(), [&](auto width) { multigridPcg<decltype(width)::value>(h, settings, b, x, reports); });
}

MultigridPcgSolver::MultigridPcgSolver(const StencilMatrix& a, IterationSettings settings, int threads)
    : hierarchy_(makeMultigridHierarchy(a, threads)), settings_(settings), threads_(std::max(threads, 1))
{
}

SolveReport MultigridPcgSolver::solve(std::span<const double> b, std::span<double> x, int count) const
{
    const std::size_t n = static_cast<std::size_t>(hierarchy_.levels.front()->gridPoints());
    return solveInBatches(count, threads_, kMultigridBatchWidth, [&](std::size_t first, std::span<SolveReport> reports) {
        multigridPcgBatch(hierarchy_, settings_, b.subspan(first * n, reports.size() * n),
                          x.subspan(first * n, reports.size() * n), reports);
    });
}

}  // namespace vexora
