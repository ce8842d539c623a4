#include "engine/solver/Multigrid.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace vexora {

AxisCoarsening coarsenAxis(std::int32_t n, std::span<const double> toLower, std::span<const double> toUpper,
                           std::span<const std::uint8_t> droppable)
{
    // Keep the first node; drop a node when the one before is kept, it may
    // be dropped and it is not the last; so a dropped node always lies
    // between two kept ones.
    std::vector<std::uint8_t> kept(static_cast<std::size_t>(n + 2), 1);
    for (std::int32_t i = 2; i < n; ++i) {
        const std::size_t at = static_cast<std::size_t>(i);
        const bool may = at >= droppable.size() || droppable[at] != 0;
        kept[at] = !kept[at - 1] || !may;
    }
    AxisCoarsening c;
    c.fine = n;
    c.coarse = 0;
    for (std::int32_t i = 1; i <= n; ++i) c.coarse += kept[static_cast<std::size_t>(i)];
    c.parent.assign(static_cast<std::size_t>(n + 2), {0, 0});
    c.parentWeight.assign(static_cast<std::size_t>(n + 2), {0.0, 0.0});
    c.child.assign(static_cast<std::size_t>(c.coarse + 2), {0, 0, 0});
    c.childWeight.assign(static_cast<std::size_t>(c.coarse + 2), {0.0, 0.0, 0.0});
    c.children.assign(static_cast<std::size_t>(c.coarse + 2), 0);
    const auto link = [&](std::int32_t i, int which, std::int32_t coarse, double w) {
        c.parent[static_cast<std::size_t>(i)][static_cast<std::size_t>(which)] = coarse;
        c.parentWeight[static_cast<std::size_t>(i)][static_cast<std::size_t>(which)] = w;
        const std::size_t at = static_cast<std::size_t>(coarse);
        const std::size_t slot = static_cast<std::size_t>(c.children[at]++);
        c.child[at][slot] = i;
        c.childWeight[at][slot] = w;
    };
    std::int32_t coarse = 0;
    for (std::int32_t i = 1; i <= n; ++i) {
        const std::size_t at = static_cast<std::size_t>(i);
        if (kept[at]) {
            link(i, 0, ++coarse, 1.0);
            continue;
        }
        // A node between two kept ones leans towards the more strongly
        // coupled side: on a stretched grid that is linear interpolation
        // in the coordinate, since couplings go as one over the spacing.
        const double lower = at < toLower.size() ? toLower[at] : 0.0;
        const double upper = at < toUpper.size() ? toUpper[at] : 0.0;
        const double w = lower > 0.0 && upper > 0.0 ? lower / (lower + upper) : 0.5;
        link(i, 0, coarse, w);
        link(i, 1, coarse + 1, 1.0 - w);
    }
    return c;
}

GridCoarsening coarsenGrid(const StencilMatrix& a, double strongRatio)
{
    // Per axis and plane: minus the sum of the couplings of the plane's nodes
    // to the plane below and to the plane above.
    std::array<std::vector<double>, 3> toLower, toUpper;
    const std::array<std::int32_t, 3> size{a.nx, a.ny, a.nz};
    for (std::size_t d = 0; d < 3; ++d) {
        toLower[d].assign(static_cast<std::size_t>(size[d] + 2), 0.0);
        toUpper[d].assign(static_cast<std::size_t>(size[d] + 2), 0.0);
    }
    // Per grid point and axis: the point's share -1/2 sum_n a_kn (i_n - i_k)^2
    // of the energy of the grid index along the axis, about the element
    // conductance along it (h_y h_z / h_x for x): a measure that positive
    // couplings of flat elements do not upset.
    std::vector<std::array<double, 3>> strength(static_cast<std::size_t>(a.gridPoints()), {0.0, 0.0, 0.0});
    for (std::int32_t iz = 1; iz <= a.nz; ++iz)
        for (std::int32_t iy = 1; iy <= a.ny; ++iy)
            for (std::int32_t ix = 1; ix <= a.nx; ++ix) {
                const std::int64_t k = a.index(ix, iy, iz);
                const std::array<std::int32_t, 3> at{ix, iy, iz};
                for (int s = 1; s <= kUpperNeighbours; ++s) {
                    const int block = s + 13;
                    const std::array<int, 3> step{block % 3 - 1, block / 3 % 3 - 1, block / 9 - 1};
                    const double c = a.row(k)[s];  // to k + step, and from it back
                    const std::int64_t other = k + a.upperOffset[static_cast<std::size_t>(s - 1)];
                    for (std::size_t d = 0; d < 3; ++d) {
                        if (step[d] == 0) continue;
                        const std::size_t here = static_cast<std::size_t>(at[d]);
                        const std::size_t there = static_cast<std::size_t>(at[d] + step[d]);
                        (step[d] > 0 ? toUpper[d][here] : toLower[d][here]) -= c;
                        (step[d] > 0 ? toLower[d][there] : toUpper[d][there]) -= c;
                        strength[static_cast<std::size_t>(k)][d] -= 0.5 * c;
                        strength[static_cast<std::size_t>(other)][d] -= 0.5 * c;
                    }
                }
            }
    // An axis is coarsened at a plane only where it is strong at every node
    // of the plane: where it is weak, point smoothing leaves error that is
    // rough along it, which only a grid that keeps the plane can correct.
    std::array<std::vector<std::uint8_t>, 3> droppable;
    for (std::size_t d = 0; d < 3; ++d) droppable[d].assign(static_cast<std::size_t>(size[d] + 2), 1);
    forEachRealNode(a, 1, a.nz + 1, [&](std::int64_t k) {
        const std::array<double, 3>& s = strength[static_cast<std::size_t>(k)];
        const double strongest = std::max({s[0], s[1], s[2]});
        if (strongest <= 0.0) return;
        const std::array<std::int64_t, 3> at{k % a.strideY, k / a.strideY % (a.ny + 2), k / a.strideZ};
        for (std::size_t d = 0; d < 3; ++d)
            if (s[d] < strongRatio * strongest) droppable[d][static_cast<std::size_t>(at[d])] = 0;
    });
    return {{coarsenAxis(a.nx, toLower[0], toUpper[0], droppable[0]),
             coarsenAxis(a.ny, toLower[1], toUpper[1], droppable[1]),
             coarsenAxis(a.nz, toLower[2], toUpper[2], droppable[2])}};
}

namespace {

// The 27 couplings of grid point k, by (dx + 1) + 3 (dy + 1) + 9 (dz + 1).
void neighbourCouplings(const StencilMatrix& a, std::int64_t k, std::array<double, 27>& c)
{
    const double* row = a.row(k);
    c[13] = row[0];
    for (int s = 1; s <= kUpperNeighbours; ++s) {
        c[static_cast<std::size_t>(13 + s)] = row[s];
        c[static_cast<std::size_t>(13 - s)] = a.row(k - a.upperOffset[static_cast<std::size_t>(s - 1)])[s];
    }
}

void galerkinPlanes(const StencilMatrix& a, const GridCoarsening& g, StencilMatrix& coarse, std::int32_t z0,
                    std::int32_t z1)
{
    const AxisCoarsening &cx = g.axis[0], &cy = g.axis[1], &cz = g.axis[2];
    std::array<double, 27> c;
    for (std::int32_t kz = z0; kz < z1; ++kz)
        for (std::int32_t ky = 1; ky <= coarse.ny; ++ky)
            for (std::int32_t kx = 1; kx <= coarse.nx; ++kx) {
                double* out = coarse.row(coarse.index(kx, ky, kz));
                // A_c(F, G) = sum over children f of F and neighbours g of f
                // of w_fF a_fg w_gG, kept for G at or after F.
                for (int fz = 0; fz < cz.children[static_cast<std::size_t>(kz)]; ++fz)
                    for (int fy = 0; fy < cy.children[static_cast<std::size_t>(ky)]; ++fy)
                        for (int fx = 0; fx < cx.children[static_cast<std::size_t>(kx)]; ++fx) {
                            const std::int32_t ix = cx.child[static_cast<std::size_t>(kx)][static_cast<std::size_t>(fx)];
                            const std::int32_t iy = cy.child[static_cast<std::size_t>(ky)][static_cast<std::size_t>(fy)];
                            const std::int32_t iz = cz.child[static_cast<std::size_t>(kz)][static_cast<std::size_t>(fz)];
                            const double wf = cx.childWeight[static_cast<std::size_t>(kx)][static_cast<std::size_t>(fx)] *
                                              cy.childWeight[static_cast<std::size_t>(ky)][static_cast<std::size_t>(fy)] *
                                              cz.childWeight[static_cast<std::size_t>(kz)][static_cast<std::size_t>(fz)];
                            neighbourCouplings(a, a.index(ix, iy, iz), c);
                            for (int b = 0; b < 27; ++b) {
                                const double afg = c[static_cast<std::size_t>(b)];
                                if (afg == 0.0) continue;
                                const std::size_t gx = static_cast<std::size_t>(ix + b % 3 - 1);
                                const std::size_t gy = static_cast<std::size_t>(iy + b / 3 % 3 - 1);
                                const std::size_t gz = static_cast<std::size_t>(iz + b / 9 - 1);
                                for (int pz = 0; pz < 2; ++pz) {
                                    const double wz = cz.parentWeight[gz][static_cast<std::size_t>(pz)];
                                    if (wz == 0.0) continue;
                                    const int dz = cz.parent[gz][static_cast<std::size_t>(pz)] - kz;
                                    for (int py = 0; py < 2; ++py) {
                                        const double wy = cy.parentWeight[gy][static_cast<std::size_t>(py)];
                                        if (wy == 0.0) continue;
                                        const int dy = cy.parent[gy][static_cast<std::size_t>(py)] - ky;
                                        for (int px = 0; px < 2; ++px) {
                                            const double wx = cx.parentWeight[gx][static_cast<std::size_t>(px)];
                                            if (wx == 0.0) continue;
                                            const int dx = cx.parent[gx][static_cast<std::size_t>(px)] - kx;
                                            const int block = (dx + 1) + 3 * (dy + 1) + 9 * (dz + 1);
                                            if (block >= 13) out[block - 13] += wf * afg * wx * wy * wz;
                                        }
                                    }
                                }
                            }
                        }
            }
}

}  // namespace

StencilMatrix galerkinProduct(const StencilMatrix& a, const GridCoarsening& g, int threads)
{
    StencilMatrix coarse = makeStencilMatrix(g.axis[0].coarse, g.axis[1].coarse, g.axis[2].coarse);
    threads = std::clamp(threads, 1, coarse.nz);
    std::vector<std::jthread> workers;
    for (int t = 1; t < threads; ++t)
        workers.emplace_back([&, t] {
            galerkinPlanes(a, g, coarse, 1 + coarse.nz * t / threads, 1 + coarse.nz * (t + 1) / threads);
        });
    galerkinPlanes(a, g, coarse, 1, 1 + coarse.nz / threads);
    workers.clear();
    return coarse;
}

DenseCholesky denseCholesky(const StencilMatrix& a)
{
    DenseCholesky f;
    f.size = a.nx * a.ny * a.nz;
    const std::size_t n = static_cast<std::size_t>(f.size);
    std::vector<std::int64_t> dense(static_cast<std::size_t>(a.gridPoints()), -1);
    std::int64_t next = 0;
    forEachRealNode(a, 1, a.nz + 1, [&](std::int64_t k) { dense[static_cast<std::size_t>(k)] = next++; });
    std::vector<double>& l = f.lower;
    l.assign(n * n, 0.0);
    forEachRealNode(a, 1, a.nz + 1, [&](std::int64_t k) {
        const std::size_t i = static_cast<std::size_t>(dense[static_cast<std::size_t>(k)]);
        l[i * n + i] = a.row(k)[0];
        for (int s = 1; s <= kUpperNeighbours; ++s) {
            const std::int64_t j = dense[static_cast<std::size_t>(k + a.upperOffset[static_cast<std::size_t>(s - 1)])];
            if (j >= 0) l[static_cast<std::size_t>(j) * n + i] = a.row(k)[s];  // below the diagonal
        }
    });
    double largest = 0;
    for (std::size_t i = 0; i < n; ++i) largest = std::max(largest, l[i * n + i]);
    for (std::size_t j = 0; j < n; ++j) {
        double* lj = l.data() + j * n;
        for (std::size_t k = 0; k < j; ++k) lj[j] -= lj[k] * lj[k];
        const bool kept = lj[j] > 1e-12 * largest;
        lj[j] = kept ? std::sqrt(lj[j]) : 0.0;
        for (std::size_t i = j + 1; i < n; ++i) {
            double* li = l.data() + i * n;
            if (!kept) {
                li[j] = 0.0;
                continue;
            }
            double sum = li[j];
            for (std::size_t k = 0; k < j; ++k) sum -= li[k] * lj[k];
            li[j] = sum / lj[j];
        }
    }
    return f;
}

MultigridHierarchy makeMultigridHierarchy(const StencilMatrix& a, int threads, double strongRatio)
{
    MultigridHierarchy h;
    const auto nodes = [](const StencilMatrix& m) { return static_cast<std::int64_t>(m.nx) * m.ny * m.nz; };
    std::vector<StencilMatrix> coarse;
    const auto current = [&]() -> const StencilMatrix& { return coarse.empty() ? a : coarse.back(); };
    while (nodes(current()) > kCoarsestNodes && (current().nx > 2 || current().ny > 2 || current().nz > 2)) {
        GridCoarsening g = coarsenGrid(current(), strongRatio);
        // Every plane weak somewhere along its axis: halve every axis rather
        // than stop with a coarsest level too large to factor.
        if (std::all_of(g.axis.begin(), g.axis.end(), [](const AxisCoarsening& c) { return c.coarse == c.fine; }))
            g = coarsenGrid(current(), 0.0);
        h.down.push_back(std::move(g));
        StencilMatrix next = galerkinProduct(current(), h.down.back(), threads);
        coarse.push_back(std::move(next));
    }
    h.coarse = std::move(coarse);
    h.levels.push_back(&a);
    for (const StencilMatrix& m : h.coarse) h.levels.push_back(&m);
    for (const StencilMatrix* m : h.levels) {
        std::vector<double> inverse(static_cast<std::size_t>(m->gridPoints()), 0.0);
        for (std::size_t k = 0; k < inverse.size(); ++k) {
            const double d = m->coefficients[k * kStencilSlots];
            inverse[k] = d > 0.0 ? 1.0 / d : 0.0;
        }
        h.inverseDiagonal.push_back(std::move(inverse));
    }
    h.coarsest = denseCholesky(*h.levels.back());
    return h;
}

}  // namespace vexora
