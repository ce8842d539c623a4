#include "engine/forward2d/LinePoles.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <numbers>
#include <thread>

#include "engine/forward2d/BandCholesky.h"
#include "engine/forward2d/BesselK.h"
#include "engine/forward2d/LineOuterCondition.h"

namespace vexora {

namespace {

constexpr double kGauss4[4] = {-0.8611363115940526, -0.3399810435848563, 0.3399810435848563, 0.8611363115940526};
constexpr double kWeight4[4] = {0.3478548451374538, 0.6521451548625461, 0.6521451548625461, 0.3478548451374538};
constexpr double kGauss2 = 0.5773502691896258;

// Each source's own outer condition from the shared factor (LineOuterCondition.h).
constexpr double kOuterTolerance = 1e-10;
constexpr int kOuterIterations = 100;

// K1(x) / K0(x), with its asymptotic form where K0 underflows.
double besselRatio(double x)
{
    return x > 30 ? 1 + 0.5 / x - 0.125 / (x * x) : besselK1(x) / besselK0(x);
}

// U_p and its gradient in (s, z) at a point.
struct PrimaryAt {
    double value = 0, ds = 0, dz = 0;
};

PrimaryAt primaryAt(const LineSource& source, double k, double s, double z)
{
    const double c = source.strength / (4 * std::numbers::pi * source.conductivity);
    const double s1 = s - source.at.s, z1 = z - source.at.z, s2 = s - source.imageS, z2 = z - source.imageZ;
    const double r1 = std::hypot(s1, z1), r2 = std::hypot(s2, z2);
    const double k01 = besselK0(k * r1), g1 = besselK1(k * r1) / r1;
    // A source on the surface is its own image.
    const bool own = s2 == s1 && z2 == z1;
    const double k02 = own ? k01 : besselK0(k * r2), g2 = own ? g1 : besselK1(k * r2) / r2;
    return {c * (k01 + k02), -c * k * (g1 * s1 + g2 * s2), -c * k * (g1 * z1 + g2 * z2)};
}

// A cell as the map (u, v) in [0, 1]^2 -> (s0 + u a, z0 + u rise - v b).
struct CellShape {
    double s0 = 0, z0 = 0, a = 0, b = 0, rise = 0;
    double s(double u) const { return s0 + u * a; }
    double z(double u, double v) const { return z0 + u * rise - v * b; }
};

CellShape cellShape(const LineGrid& grid, int is, int id)
{
    const auto i = static_cast<std::size_t>(is), j = static_cast<std::size_t>(id);
    return {grid.s[i], grid.z(is, id), grid.s[i + 1] - grid.s[i], grid.depth[j + 1] - grid.depth[j],
            grid.surface[i + 1] - grid.surface[i]};
}

// Shape values and their (s, z) gradients at (u, v).
struct Shapes {
    double n[4], ds[4], dz[4];
};

Shapes shapesAt(const CellShape& c, double u, double v)
{
    Shapes f{{(1 - u) * (1 - v), u * (1 - v), (1 - u) * v, u * v}, {}, {}};
    const double du[4] = {-(1 - v), 1 - v, -v, v}, dv[4] = {-(1 - u), -u, 1 - u, u};
    for (int p = 0; p < 4; ++p) {
        f.dz[p] = -dv[p] / c.b;
        f.ds[p] = (du[p] + c.rise * dv[p] / c.b) / c.a;
    }
    return f;
}

std::array<std::int64_t, 4> cellNodes(const LineGrid& grid, int is, int id)
{
    return {grid.node(is, id), grid.node(is + 1, id), grid.node(is, id + 1), grid.node(is + 1, id + 1)};
}

// A boundary edge of a cell: its two corner slots and its (u, v) ends.
struct Edge {
    int is = 0, id = 0;
    int slot0 = 0, slot1 = 0;
    double u0 = 0, v0 = 0, u1 = 0, v1 = 0;
};

template <class F>
void forEachOuterEdge(const LineGrid& grid, F&& f)
{
    const int cs = grid.sCount() - 1, cd = grid.depthCount() - 1;
    for (int id = 0; id < cd; ++id) {
        f(Edge{0, id, 0, 2, 0, 0, 0, 1});
        f(Edge{cs - 1, id, 1, 3, 1, 0, 1, 1});
    }
    for (int is = 0; is < cs; ++is) f(Edge{is, cd - 1, 2, 3, 0, 1, 1, 1});
}

// Calls f(s, z, outward normal (ns, nz), dl, N of slot0, N of slot1) at `points`
// Gauss points of an edge (2 or 4).
template <class F>
void forEachEdgePoint(const LineGrid& grid, const Edge& e, int points, F&& f)
{
    const CellShape c = cellShape(grid, e.is, e.id);
    const double sa = c.s(e.u0), za = c.z(e.u0, e.v0), sb = c.s(e.u1), zb = c.z(e.u1, e.v1);
    const double length = std::hypot(sb - sa, zb - za);
    // Outward: away from the cell's centre.
    double ns = (zb - za) / length, nz = -(sb - sa) / length;
    const double mids = (sa + sb) / 2 - c.s(0.5), midz = (za + zb) / 2 - c.z(0.5, 0.5);
    if (ns * mids + nz * midz < 0) ns = -ns, nz = -nz;
    for (int g = 0; g < points; ++g) {
        const double x = points == 4 ? kGauss4[g] : (g == 0 ? -kGauss2 : kGauss2);
        const double w = points == 4 ? kWeight4[g] : 1.0;
        const double t = (1 + x) / 2;
        const double u = e.u0 + t * (e.u1 - e.u0), v = e.v0 + t * (e.v1 - e.v0);
        const double n[4] = {(1 - u) * (1 - v), u * (1 - v), (1 - u) * v, u * v};
        f(c.s(u), c.z(u, v), ns, nz, w * length / 2, n[e.slot0], n[e.slot1]);
    }
}

// The surface's slopes on either side of s line `is` (the same where it is straight).
void slopesAt(const LineGrid& grid, int is, double& left, double& right)
{
    auto slope = [&](int i) {
        const auto k = static_cast<std::size_t>(i);
        return (grid.surface[k + 1] - grid.surface[k]) / (grid.s[k + 1] - grid.s[k]);
    };
    left = slope(std::clamp(is - 1, 0, grid.sCount() - 2));
    right = slope(std::clamp(is, 0, grid.sCount() - 2));
}

// alpha of the mixed condition about (fromS, fromZ) at an outer edge point.
double outerAlpha(double k, double fromS, double fromZ, double s, double z, double normalS, double normalZ)
{
    const double ds = s - fromS, dz = z - fromZ, r = std::hypot(ds, dz);
    return k * besselRatio(k * r) * (ds * normalS + dz * normalZ) / r;
}

}  // namespace

LineSource lineSourceAt(const LineGrid& grid, const LinePoint& at, std::span<const double> conductivity)
{
    LineSource source{at, conductivity[static_cast<std::size_t>(grid.cell(at.is, at.id))]};
    // The surface line above the source: on an s line the mean of the slopes
    // either side, within a cell that cell's own.
    const auto i = static_cast<std::size_t>(at.is);
    const double u = (at.s - grid.s[i]) / (grid.s[i + 1] - grid.s[i]);
    double left = 0, right = 0;
    slopesAt(grid, u < 1e-9 ? at.is : u > 1 - 1e-9 ? at.is + 1 : at.is, left, right);
    if (u >= 1e-9 && u <= 1 - 1e-9) left = right = (grid.surface[i + 1] - grid.surface[i]) / (grid.s[i + 1] - grid.s[i]);
    const double slope = (left + right) / 2;
    const double top = grid.surfaceAt(at.s);
    const double ts = 1 / std::hypot(1.0, slope), tz = slope * ts;
    // Mirror the source at the line through (at.s, top) along (ts, tz).
    const double ps = 0, pz = at.z - top;
    const double along = ps * ts + pz * tz;
    source.imageS = at.s + 2 * along * ts - ps;
    source.imageZ = top + 2 * along * tz - pz;
    if (at.depth == 0) {
        source.imageS = at.s, source.imageZ = at.z;
        // Slopes rising away from the source: to the left against s, to the right with it.
        const double omega = 2 * std::numbers::pi + 2 * std::atan(-left) + 2 * std::atan(right);
        source.strength = 2 * std::numbers::pi / omega;
    }
    return source;
}

double linePrimary(const LineSource& source, double k, double s, double z)
{
    return primaryAt(source, k, s, z).value;
}

double linePrimaryPotential(const LineSource& source, double s, double z)
{
    return source.strength / (4 * std::numbers::pi * source.conductivity) *
           (1 / std::hypot(s - source.at.s, z - source.at.z) + 1 / std::hypot(s - source.imageS, z - source.imageZ));
}

bool nearSource(const LineSource& source, int is, int id)
{
    return std::abs(is - source.at.is) <= 2 && std::abs(id - source.at.id) <= 2;
}

std::array<double, 4> exactPrimaryLoad(const LineGrid& grid, const LineSource& source, double k, int is, int id)
{
    const CellShape c = cellShape(grid, is, id);
    std::array<double, 4> load{};
    for (int gi = 0; gi < 4; ++gi)
        for (int gj = 0; gj < 4; ++gj) {
            const double u = (1 + kGauss4[gi]) / 2, v = (1 + kGauss4[gj]) / 2;
            const double w = kWeight4[gi] * kWeight4[gj] * c.a * c.b / 4;
            const PrimaryAt f = primaryAt(source, k, c.s(u), c.z(u, v));
            const Shapes n = shapesAt(c, u, v);
            for (int p = 0; p < 4; ++p)
                load[static_cast<std::size_t>(p)] += w * (f.ds * n.ds[p] + f.dz * n.dz[p] + k * k * f.value * n.n[p]);
        }
    return load;
}

CellMatrices cellMatrices(const LineGrid& grid, int is, int id)
{
    const CellShape c = cellShape(grid, is, id);
    CellMatrices m;
    for (double gu : {-kGauss2, kGauss2})
        for (double gv : {-kGauss2, kGauss2}) {
            const Shapes f = shapesAt(c, (1 + gu) / 2, (1 + gv) / 2);
            const double w = c.a * c.b / 4;
            for (int p = 0; p < 4; ++p)
                for (int q = 0; q < 4; ++q) {
                    m.stiffness[static_cast<std::size_t>(4 * p + q)] += w * (f.ds[p] * f.ds[q] + f.dz[p] * f.dz[q]);
                    m.mass[static_cast<std::size_t>(4 * p + q)] += w * f.n[p] * f.n[q];
                }
        }
    return m;
}

std::vector<CellMatrices> gridCellMatrices(const LineGrid& grid)
{
    std::vector<CellMatrices> cells;
    cells.reserve(static_cast<std::size_t>(grid.cells()));
    for (int id = 0; id + 1 < grid.depthCount(); ++id)
        for (int is = 0; is + 1 < grid.sCount(); ++is) cells.push_back(cellMatrices(grid, is, id));
    return cells;
}

bool factorLineSystem(const LineGrid& grid, std::span<const CellMatrices> cells, std::span<const double> conductivity,
                      double k, double aboutS, double aboutZ, LineSystem& system)
{
    const int ns = grid.sCount(), nd = grid.depthCount();
    const double k2 = k * k;
    system.k = k, system.aboutS = aboutS, system.aboutZ = aboutZ;
    BandMatrix& a = system.factor;
    a = makeBandMatrix(grid.nodes(), nd + 1);
    for (int id = 0; id + 1 < nd; ++id)
        for (int is = 0; is + 1 < ns; ++is) {
            const double sigma = conductivity[static_cast<std::size_t>(grid.cell(is, id))];
            const CellMatrices& m = cells[static_cast<std::size_t>(grid.cell(is, id))];
            const auto node = cellNodes(grid, is, id);
            for (int p = 0; p < 4; ++p)
                for (int q = 0; q <= p; ++q)
                    addSymmetric(a, node[static_cast<std::size_t>(p)], node[static_cast<std::size_t>(q)],
                                 sigma * (m.stiffness[static_cast<std::size_t>(4 * p + q)] +
                                          k2 * m.mass[static_cast<std::size_t>(4 * p + q)]));
        }
    forEachOuterEdge(grid, [&](const Edge& e) {
        const double sigma = conductivity[static_cast<std::size_t>(grid.cell(e.is, e.id))];
        const auto node = cellNodes(grid, e.is, e.id);
        const std::int64_t n0 = node[static_cast<std::size_t>(e.slot0)], n1 = node[static_cast<std::size_t>(e.slot1)];
        forEachEdgePoint(grid, e, 2, [&](double s, double z, double normalS, double normalZ, double dl, double N0, double N1) {
            const double m = sigma * outerAlpha(k, aboutS, aboutZ, s, z, normalS, normalZ) * dl;
            addSymmetric(a, n0, n0, m * N0 * N0);
            addSymmetric(a, n1, n1, m * N1 * N1);
            addSymmetric(a, n1, n0, m * N0 * N1);
        });
    });
    return factorBand(a);
}

bool solveLinePole(const LineGrid& grid, std::span<const CellMatrices> cells, std::span<const double> conductivity,
                   const LineSource& source, const LineSystem& shared, std::vector<double>& up, std::vector<double>& us)
{
    const int ns = grid.sCount(), nd = grid.depthCount();
    const double sigma0 = source.conductivity, k = shared.k, k2 = k * k;
    up.assign(static_cast<std::size_t>(grid.nodes()), 0.0);
    us.assign(up.size(), 0.0);
    // The source's own node takes the value a quarter of its cell's shorter edge away.
    const double quarter =
        std::min(grid.s[static_cast<std::size_t>(source.at.is) + 1] - grid.s[static_cast<std::size_t>(source.at.is)],
                 grid.depth[static_cast<std::size_t>(source.at.id) + 1] - grid.depth[static_cast<std::size_t>(source.at.id)]) /
        4;
    for (int is = 0; is < ns; ++is)
        for (int id = 0; id < nd; ++id) {
            double s = grid.s[static_cast<std::size_t>(is)], z = grid.z(is, id);
            if (std::hypot(s - source.at.s, z - source.at.z) < quarter) s = source.at.s + quarter, z = source.at.z;
            up[static_cast<std::size_t>(grid.node(is, id))] = linePrimary(source, k, s, z);
        }

    std::vector<double>& b = us;
    for (int id = 0; id + 1 < nd; ++id)
        for (int is = 0; is + 1 < ns; ++is) {
            const double contrast = conductivity[static_cast<std::size_t>(grid.cell(is, id))] - sigma0;
            if (contrast == 0) continue;
            const auto node = cellNodes(grid, is, id);
            if (nearSource(source, is, id)) {
                const std::array<double, 4> load = exactPrimaryLoad(grid, source, k, is, id);
                for (int p = 0; p < 4; ++p)
                    b[static_cast<std::size_t>(node[static_cast<std::size_t>(p)])] -=
                        contrast * load[static_cast<std::size_t>(p)];
                continue;
            }
            const CellMatrices& m = cells[static_cast<std::size_t>(grid.cell(is, id))];
            for (int p = 0; p < 4; ++p) {
                double sum = 0;
                for (int q = 0; q < 4; ++q)
                    sum += (m.stiffness[static_cast<std::size_t>(4 * p + q)] +
                            k2 * m.mass[static_cast<std::size_t>(4 * p + q)]) *
                           up[static_cast<std::size_t>(node[static_cast<std::size_t>(q)])];
                b[static_cast<std::size_t>(node[static_cast<std::size_t>(p)])] -= contrast * sum;
            }
        }

    // The primary's flux through the terrain (zero on flat ground and on the
    // straight stretch through a surface source), with more points next to the source.
    for (int is = 0; is + 1 < ns; ++is) {
        const auto node = cellNodes(grid, is, 0);
        const Edge top{is, 0, 0, 1, 0, 0, 1, 0};
        forEachEdgePoint(grid, top, std::abs(is - source.at.is) <= 2 ? 4 : 2,
                         [&](double s, double z, double normalS, double normalZ, double dl, double N0, double N1) {
                             const PrimaryAt f = primaryAt(source, k, s, z);
                             const double flux = sigma0 * (f.ds * normalS + f.dz * normalZ) * dl;
                             b[static_cast<std::size_t>(node[0])] -= flux * N0;
                             b[static_cast<std::size_t>(node[1])] -= flux * N1;
                         });
    }

    // The outer load with the source's own alpha, and how its mixed term
    // differs from the shared matrix's.
    std::vector<OuterTerm> difference;
    forEachOuterEdge(grid, [&](const Edge& e) {
        const double sigma = conductivity[static_cast<std::size_t>(grid.cell(e.is, e.id))];
        const auto node = cellNodes(grid, e.is, e.id);
        const std::int64_t n0 = node[static_cast<std::size_t>(e.slot0)], n1 = node[static_cast<std::size_t>(e.slot1)];
        double d00 = 0, d11 = 0, d10 = 0;
        forEachEdgePoint(grid, e, 2, [&](double s, double z, double normalS, double normalZ, double dl, double N0, double N1) {
            const double alpha = outerAlpha(k, source.at.s, source.at.z, s, z, normalS, normalZ);
            const double m =
                sigma * (alpha - outerAlpha(k, shared.aboutS, shared.aboutZ, s, z, normalS, normalZ)) * dl;
            d00 += m * N0 * N0, d11 += m * N1 * N1, d10 += m * N0 * N1;
            const PrimaryAt f = primaryAt(source, k, s, z);
            const double flux = (sigma0 * (f.ds * normalS + f.dz * normalZ) + sigma * alpha * f.value) * dl;
            b[static_cast<std::size_t>(n0)] -= flux * N0;
            b[static_cast<std::size_t>(n1)] -= flux * N1;
        });
        difference.push_back({n0, n0, d00});
        difference.push_back({n1, n1, d11});
        difference.push_back({std::max(n0, n1), std::min(n0, n1), d10});
    });
    return solveAboutSource(shared.factor, difference, b, kOuterTolerance, kOuterIterations) >= 0;
}

LinePoleRun solveLinePoles(const LineGrid& grid, std::span<const double> conductivity,
                           std::span<const LineSource> sources, const Wavenumbers& wavenumbers, int threads,
                           const LineFieldSink& onField, const std::function<bool()>& aborted,
                           const std::function<void(int done)>& progress)
{
    LinePoleRun run;
    std::atomic<bool> failed{false}, stop{false};
    // Calls job(i) for i < count over the threads, until a job fails or the run stops.
    const auto parallel = [&](std::size_t count, const std::function<bool(std::size_t)>& job) {
        std::atomic<std::size_t> next{0};
        auto work = [&] {
            for (std::size_t i = next++; i < count && !failed && !stop; i = next++)
                if (!job(i)) failed = true;
        };
        std::vector<std::thread> pool;
        for (int t = 1; t < std::max(threads, 1); ++t) pool.emplace_back(work);
        work();
        for (std::thread& t : pool) t.join();
    };
    const std::vector<CellMatrices> cells = gridCellMatrices(grid);
    // The shared condition about the sources' centre keeps every source's
    // difference, and so its iterations, small.
    double centreS = 0, centreZ = 0;
    for (const LineSource& source : sources) centreS += source.at.s, centreZ += source.at.z;
    const double sourceCount = static_cast<double>(std::max<std::size_t>(sources.size(), 1));
    std::vector<LineSystem> systems(wavenumbers.k.size());
    parallel(systems.size(), [&](std::size_t w) {
        return factorLineSystem(grid, cells, conductivity, wavenumbers.k[w], centreS / sourceCount, centreZ / sourceCount,
                                systems[w]);
    });
    std::atomic<int> done{0};
    std::mutex reporting;
    parallel(sources.size(), [&](std::size_t j) {
        if (aborted && aborted()) {
            stop = true;
            return true;
        }
        std::vector<double> up, us;
        for (std::size_t w = 0; w < systems.size(); ++w) {
            if (!solveLinePole(grid, cells, conductivity, sources[j], systems[w], up, us)) return false;
            onField(j, w, up, us);
        }
        const int count = ++done;
        if (progress) {
            const std::lock_guard lock(reporting);
            progress(count);
        }
        return true;
    });
    run.solved = done;
    run.failed = failed;
    run.aborted = stop;
    return run;
}

}  // namespace vexora
