#include "engine/forward2d/LinePoles.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <numbers>
#include <thread>

#include "engine/forward2d/BandCholesky.h"
#include "engine/forward2d/BesselK.h"

namespace vexora {

namespace {

constexpr double kGauss4[4] = {-0.8611363115940526, -0.3399810435848563, 0.3399810435848563, 0.8611363115940526};
constexpr double kWeight4[4] = {0.3478548451374538, 0.6521451548625461, 0.6521451548625461, 0.3478548451374538};
constexpr double kGauss2 = 0.5773502691896258;

double coefficient(const LineSource& source)
{
    return 1.0 / (4 * std::numbers::pi * source.conductivity);
}

// K1(x) / K0(x), with its asymptotic form where K0 underflows.
double besselRatio(double x)
{
    return x > 30 ? 1 + 0.5 / x - 0.125 / (x * x) : besselK1(x) / besselK0(x);
}

// U_p and its gradient in (s, depth) at a point.
struct PrimaryAt {
    double value = 0, ds = 0, dd = 0;
};

PrimaryAt primaryAt(const LineSource& source, double k, double s, double depth)
{
    const double c = coefficient(source);
    const double ds = s - source.at.s, d1 = depth - source.at.depth, d2 = depth + source.at.depth;
    const double r1 = std::hypot(ds, d1), r2 = std::hypot(ds, d2);
    const double k01 = besselK0(k * r1), g1 = besselK1(k * r1) / r1;
    // A source on the surface is its own image.
    const bool surface = source.at.depth == 0;
    const double k02 = surface ? k01 : besselK0(k * r2), g2 = surface ? g1 : besselK1(k * r2) / r2;
    return {c * (k01 + k02), -c * k * (g1 * ds + g2 * ds), -c * k * (g1 * d1 + g2 * d2)};
}

double edgeLength(const std::vector<double>& lines, int i)
{
    return lines[static_cast<std::size_t>(i) + 1] - lines[static_cast<std::size_t>(i)];
}

// An outer edge of a cell: its two corner slots, the fixed coordinate and the normal.
struct OuterEdge {
    int is = 0, id = 0;
    int slot0 = 0, slot1 = 0;
    double ns = 0, nd = 0;  // outward normal
};

template <class F>
void forEachOuterEdge(const LineGrid& grid, F&& f)
{
    const int cs = grid.sCount() - 1, cd = grid.depthCount() - 1;
    for (int id = 0; id < cd; ++id) {
        f(OuterEdge{0, id, 0, 2, -1, 0});
        f(OuterEdge{cs - 1, id, 1, 3, 1, 0});
    }
    for (int is = 0; is < cs; ++is) f(OuterEdge{is, cd - 1, 2, 3, 0, 1});
}

std::array<std::int64_t, 4> cellNodes(const LineGrid& grid, int is, int id)
{
    return {grid.node(is, id), grid.node(is + 1, id), grid.node(is, id + 1), grid.node(is + 1, id + 1)};
}

// Calls f(s, depth, weight, (s, depth) of the edge point) at the two Gauss points of an outer edge.
template <class F>
void forEachEdgePoint(const LineGrid& grid, const OuterEdge& e, F&& f)
{
    const double s0 = grid.s[static_cast<std::size_t>(e.is)], d0 = grid.depth[static_cast<std::size_t>(e.id)];
    const double a = edgeLength(grid.s, e.is), b = edgeLength(grid.depth, e.id);
    for (double g : {-kGauss2, kGauss2}) {
        const double t = (1 + g) / 2;  // along the edge
        // Local (u, v) of the point in the cell and the shape values of the two slots.
        double u, v, length;
        if (e.ns != 0) u = e.ns > 0 ? 1.0 : 0.0, v = t, length = b;
        else u = t, v = 1.0, length = a;
        const double n[4] = {(1 - u) * (1 - v), u * (1 - v), (1 - u) * v, u * v};
        f(s0 + u * a, d0 + v * b, length / 2, n[e.slot0], n[e.slot1]);
    }
}

}  // namespace

LineSource lineSourceAt(const LineGrid& grid, const LinePoint& at, std::span<const double> conductivity)
{
    return {at, conductivity[static_cast<std::size_t>(grid.cell(at.is, at.id))]};
}

double linePrimary(const LineSource& source, double k, double s, double depth)
{
    return primaryAt(source, k, s, depth).value;
}

double linePrimaryPotential(const LineSource& source, double s, double depth)
{
    const double ds = s - source.at.s;
    return coefficient(source) *
           (1 / std::hypot(ds, depth - source.at.depth) + 1 / std::hypot(ds, depth + source.at.depth));
}

bool nearSource(const LineSource& source, int is, int id)
{
    return std::abs(is - source.at.is) <= 2 && std::abs(id - source.at.id) <= 2;
}

std::array<double, 4> exactPrimaryLoad(const LineGrid& grid, const LineSource& source, double k, int is, int id)
{
    const double s0 = grid.s[static_cast<std::size_t>(is)], d0 = grid.depth[static_cast<std::size_t>(id)];
    const double ca = edgeLength(grid.s, is), cb = edgeLength(grid.depth, id);
    std::array<double, 4> load{};
    for (int gi = 0; gi < 4; ++gi)
        for (int gj = 0; gj < 4; ++gj) {
            const double u = (1 + kGauss4[gi]) / 2, v = (1 + kGauss4[gj]) / 2;
            const double w = kWeight4[gi] * kWeight4[gj] * ca * cb / 4;
            const PrimaryAt f = primaryAt(source, k, s0 + u * ca, d0 + v * cb);
            const double n[4] = {(1 - u) * (1 - v), u * (1 - v), (1 - u) * v, u * v};
            const double dns[4] = {-(1 - v) / ca, (1 - v) / ca, -v / ca, v / ca};
            const double dnd[4] = {-(1 - u) / cb, -u / cb, (1 - u) / cb, u / cb};
            for (int p = 0; p < 4; ++p)
                load[static_cast<std::size_t>(p)] += w * (f.ds * dns[p] + f.dd * dnd[p] + k * k * f.value * n[p]);
        }
    return load;
}

CellMatrices cellMatrices(const LineGrid& grid, int is, int id)
{
    const double a = edgeLength(grid.s, is), b = edgeLength(grid.depth, id);
    // Tensor products of the 1D matrices of linear elements.
    const double sa[2][2] = {{1 / a, -1 / a}, {-1 / a, 1 / a}}, sb[2][2] = {{1 / b, -1 / b}, {-1 / b, 1 / b}};
    const double ma[2][2] = {{a / 3, a / 6}, {a / 6, a / 3}}, mb[2][2] = {{b / 3, b / 6}, {b / 6, b / 3}};
    CellMatrices m;
    for (int p = 0; p < 4; ++p)
        for (int q = 0; q < 4; ++q) {
            const int i = p & 1, j = p >> 1, i2 = q & 1, j2 = q >> 1;
            m.stiffness[static_cast<std::size_t>(4 * p + q)] = sa[i][i2] * mb[j][j2] + ma[i][i2] * sb[j][j2];
            m.mass[static_cast<std::size_t>(4 * p + q)] = ma[i][i2] * mb[j][j2];
        }
    return m;
}

bool solveLinePole(const LineGrid& grid, std::span<const double> conductivity, const LineSource& source, double k,
                   std::vector<double>& up, std::vector<double>& us)
{
    const int ns = grid.sCount(), nd = grid.depthCount();
    const double sigma0 = source.conductivity, k2 = k * k;
    up.assign(static_cast<std::size_t>(grid.nodes()), 0.0);
    us.assign(up.size(), 0.0);
    // The source's own node takes the value a quarter of its cell's shorter edge away.
    const double quarter = std::min(edgeLength(grid.s, source.at.is), edgeLength(grid.depth, source.at.id)) / 4;
    for (int is = 0; is < ns; ++is)
        for (int id = 0; id < nd; ++id) {
            double s = grid.s[static_cast<std::size_t>(is)], d = grid.depth[static_cast<std::size_t>(id)];
            if (std::hypot(s - source.at.s, d - source.at.depth) < quarter) s = source.at.s + quarter, d = source.at.depth;
            up[static_cast<std::size_t>(grid.node(is, id))] = linePrimary(source, k, s, d);
        }

    BandMatrix a = makeBandMatrix(grid.nodes(), nd + 1);
    std::vector<double>& b = us;
    for (int id = 0; id + 1 < nd; ++id)
        for (int is = 0; is + 1 < ns; ++is) {
            const double sigma = conductivity[static_cast<std::size_t>(grid.cell(is, id))];
            const CellMatrices m = cellMatrices(grid, is, id);
            const auto node = cellNodes(grid, is, id);
            for (int p = 0; p < 4; ++p)
                for (int q = 0; q <= p; ++q)
                    addSymmetric(a, node[static_cast<std::size_t>(p)], node[static_cast<std::size_t>(q)],
                                 sigma * (m.stiffness[static_cast<std::size_t>(4 * p + q)] +
                                          k2 * m.mass[static_cast<std::size_t>(4 * p + q)]));
            const double contrast = sigma - sigma0;
            if (contrast == 0) continue;
            if (nearSource(source, is, id)) {
                const std::array<double, 4> load = exactPrimaryLoad(grid, source, k, is, id);
                for (int p = 0; p < 4; ++p)
                    b[static_cast<std::size_t>(node[static_cast<std::size_t>(p)])] -= contrast * load[static_cast<std::size_t>(p)];
                continue;
            }
            for (int p = 0; p < 4; ++p) {
                double sum = 0;
                for (int q = 0; q < 4; ++q)
                    sum += (m.stiffness[static_cast<std::size_t>(4 * p + q)] +
                            k2 * m.mass[static_cast<std::size_t>(4 * p + q)]) *
                           up[static_cast<std::size_t>(node[static_cast<std::size_t>(q)])];
                b[static_cast<std::size_t>(node[static_cast<std::size_t>(p)])] -= contrast * sum;
            }
        }

    forEachOuterEdge(grid, [&](const OuterEdge& e) {
        const double sigma = conductivity[static_cast<std::size_t>(grid.cell(e.is, e.id))];
        const auto node = cellNodes(grid, e.is, e.id);
        const std::int64_t n0 = node[static_cast<std::size_t>(e.slot0)], n1 = node[static_cast<std::size_t>(e.slot1)];
        forEachEdgePoint(grid, e, [&](double s, double d, double dl, double N0, double N1) {
            const double ds = s - source.at.s, dd = d - source.at.depth, r = std::hypot(ds, dd);
            const double alpha = k * besselRatio(k * r) * (ds * e.ns + dd * e.nd) / r;
            const double m = sigma * alpha * dl;
            addSymmetric(a, n0, n0, m * N0 * N0);
            addSymmetric(a, n1, n1, m * N1 * N1);
            addSymmetric(a, n1, n0, m * N0 * N1);
            const PrimaryAt f = primaryAt(source, k, s, d);
            const double flux = (sigma0 * (f.ds * e.ns + f.dd * e.nd) + sigma * alpha * f.value) * dl;
            b[static_cast<std::size_t>(n0)] -= flux * N0;
            b[static_cast<std::size_t>(n1)] -= flux * N1;
        });
    });
    if (!factorBand(a)) return false;
    solveBand(a, b);
    return true;
}

LinePoleRun solveLinePoles(const LineGrid& grid, std::span<const double> conductivity,
                           std::span<const LineSource> sources, const Wavenumbers& wavenumbers, int threads,
                           const LineFieldSink& onField, const std::function<bool()>& aborted,
                           const std::function<void(int done)>& progress)
{
    LinePoleRun run;
    std::atomic<std::size_t> next{0};
    std::atomic<int> done{0};
    std::atomic<bool> failed{false}, stop{false};
    std::mutex reporting;
    auto work = [&] {
        std::vector<double> up, us;
        for (std::size_t j = next++; j < sources.size() && !failed && !stop; j = next++) {
            if (aborted && aborted()) {
                stop = true;
                break;
            }
            for (std::size_t w = 0; w < wavenumbers.k.size(); ++w) {
                if (!solveLinePole(grid, conductivity, sources[j], wavenumbers.k[w], up, us)) {
                    failed = true;
                    break;
                }
                onField(j, w, up, us);
            }
            const int count = ++done;
            if (progress) {
                const std::lock_guard lock(reporting);
                progress(count);
            }
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < std::max(threads, 1); ++t) pool.emplace_back(work);
    work();
    for (std::thread& t : pool) t.join();
    run.solved = done;
    run.failed = failed;
    run.aborted = stop;
    return run;
}

}  // namespace vexora
