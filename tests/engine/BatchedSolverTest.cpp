#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "ForwardTestSupport.h"
#include "engine/forward/PoleFields.h"
#include "engine/solver/MultigridPcg.h"
#include "engine/solver/SsorPcg.h"

namespace vexora {
namespace {

using namespace vexora::testing;

// Pole right-hand sides on a line survey's mesh: sources at x = 0, 3, 5, 7
// and a zero right-hand side in the middle of them.
struct PoleSystems {
    ProjectStore store;
    ForwardSystem system;
    std::size_t n = 0;
    std::vector<double> b;
    int count = 0;
};

PoleSystems poleSystems(double slope, double boxConductivity)
{
    PoleSystems p;
    p.store = lineSurvey(8, 1.0, dipoleDipole(8), slope);
    MessageLog log;
    EXPECT_EQ(buildMesh(p.store, log), Status::Ok);
    const Mesh& mesh = p.store.mesh;
    std::vector<double> sigma(p.store.models.conductivity.size());
    for (std::size_t e = 0; e < sigma.size(); ++e) {
        const NodePoint& c = mesh.nodeGrid[static_cast<std::size_t>(mesh.elementNodes[e][4] - 1)];
        const bool box = c.x > 2 && c.x < 5 && std::abs(c.y) < 1.5 && c.z - slope * c.x < -0.5 &&
                         c.z - slope * c.x > -2;
        sigma[e] = box ? boxConductivity : c.z - slope * c.x < -2.5 ? 0.02 : 0.01;
    }
    assembleForwardSystem(mesh, sigma, ForwardSettings{}.faces, {3.5, 0, 0}, 2, p.system);
    p.n = static_cast<std::size_t>(p.system.system.gridPoints());
    std::vector<double> up(p.n);
    for (const double x : {0.0, 3.0, -1.0, 5.0, 7.0}) {
        p.b.resize(p.b.size() + p.n);
        ++p.count;
        if (x < 0) continue;
        MeshPoint at;
        double raised = 0;
        EXPECT_EQ(locateInMesh(mesh, {x, 0, slope * x}, at, raised), Location::Inside);
        const PoleSource source = poleSourceAt(mesh, at, sigma);
        primaryPotential(mesh, source, at, up);
        secondaryRightHandSide(mesh, p.system, sigma, source, at, up, {p.b.data() + p.b.size() - p.n, p.n});
    }
    return p;
}

double largestEntry(std::span<const double> v)
{
    double m = 0;
    for (const double e : v) m = std::max(m, std::abs(e));
    return m;
}

// |b - A x| / |b| in double meets the tolerance, and the solver reported it.
void expectTrueResidualMeetsTolerance(const StencilMatrix& a, std::span<const double> b, std::span<const double> x,
                                      const SolveReport& report, double tolerance)
{
    std::vector<double> ax(b.size());
    multiply(a, x, ax);
    double residual = 0;
    for (std::size_t k = 0; k < b.size(); ++k) residual += (b[k] - ax[k]) * (b[k] - ax[k]);
    EXPECT_LE(std::sqrt(residual / dot(b, b)), tolerance);
    EXPECT_NEAR(report.relativeResidual, std::sqrt(residual / dot(b, b)), 1e-3 * tolerance);
}

// A lockstep batch gives every system the iterations and solution it gets
// alone (the zero one x = 0 at once), the textbook form agrees within the
// tolerance, and |b - A x| / |b| meets it in double: on a stretched
// terrain-following mesh and with a conductivity contrast of 1000.
TEST(BatchedSsorPcg, EverySystemAsWhenSolvedAlone)
{
    struct Case {
        const char* name;
        double slope, box;
    };
    IterationSettings settings;
    settings.tolerance = 1e-9;
    settings.maxIterations = 3000;
    for (const Case& c : {Case{"terrain", 0.25, 0.1}, Case{"contrast 1000", 0.0, 10.0}}) {
        SCOPED_TRACE(c.name);
        const PoleSystems p = poleSystems(c.slope, c.box);
        const StencilMatrix& a = p.system.system;
        std::vector<double> batch(p.b.size()), alone(p.n), plain(p.n);
        std::vector<SolveReport> reports(static_cast<std::size_t>(p.count));
        ssorPcgBatch(a, settings, p.b, batch, reports);
        for (std::size_t j = 0; j < reports.size(); ++j) {
            SCOPED_TRACE(j);
            const std::span<const double> b(p.b.data() + j * p.n, p.n), x(batch.data() + j * p.n, p.n);
            const SolveReport single = ssorPcg(a, settings, b, alone);
            EXPECT_TRUE(reports[j].converged);
            EXPECT_EQ(reports[j].iterations, single.iterations);
            if (j == 2) {
                EXPECT_EQ(reports[j].iterations, 0);
                EXPECT_EQ(largestEntry(x), 0.0);
                continue;
            }
            EXPECT_GT(reports[j].iterations, 10);
            const double size = largestEntry(x);
            for (std::size_t k = 0; k < p.n; ++k) ASSERT_NEAR(x[k], alone[k], 1e-12 * size);
            EXPECT_TRUE(plainSsorPcg(a, settings, b, plain).converged);
            for (std::size_t k = 0; k < p.n; ++k) ASSERT_NEAR(x[k], plain[k], 1e-6 * size);
            expectTrueResidualMeetsTolerance(a, b, x, reports[j], settings.tolerance);
        }
    }
}

// At the iteration limit every nonzero system reports itself unconverged
// with that many iterations; the solver interface shares batches of its
// width among threads and reports the worst of them.
TEST(BatchedSsorPcg, ReportsTheLimitAndTheWorstOfTheBatches)
{
    const PoleSystems p = poleSystems(0.0, 0.1);
    IterationSettings settings;
    settings.maxIterations = 4;
    std::vector<double> x(p.b.size());
    std::vector<SolveReport> reports(static_cast<std::size_t>(p.count));
    ssorPcgBatch(p.system.system, settings, p.b, x, reports);
    for (std::size_t j = 0; j < reports.size(); ++j) {
        EXPECT_EQ(reports[j].converged, j == 2);
        EXPECT_EQ(reports[j].iterations, j == 2 ? 0 : 4);
        EXPECT_EQ(reports[j].relativeResidual > 0, j != 2);
    }

    settings.maxIterations = 3000;
    const SsorPcgSolver solver(p.system.system, settings, 2, 2);
    EXPECT_EQ(solver.preferredBatch(), 4);
    std::vector<double> viaSolver(p.b.size());
    const SolveReport worst = solver.solve(p.b, viaSolver, p.count);
    ssorPcgBatch(p.system.system, settings, p.b, x, reports);
    EXPECT_TRUE(worst.converged);
    int most = 0;
    for (const SolveReport& r : reports) most = std::max(most, r.iterations);
    EXPECT_EQ(worst.iterations, most);
    const double size = largestEntry(x);
    for (std::size_t k = 0; k < x.size(); ++k) ASSERT_NEAR(viaSolver[k], x[k], 1e-12 * size);
}

// The dense matrix of a stencil matrix's real nodes, in node order.
std::vector<double> denseOf(const StencilMatrix& a)
{
    const std::size_t n = static_cast<std::size_t>(a.nx) * a.ny * a.nz;
    std::vector<double> d(n * n);
    std::vector<double> e(static_cast<std::size_t>(a.gridPoints())), column(e.size());
    std::vector<std::int64_t> real;
    forEachRealNode(a, 1, a.nz + 1, [&](std::int64_t k) { real.push_back(k); });
    for (std::size_t j = 0; j < n; ++j) {
        e[static_cast<std::size_t>(real[j])] = 1;
        multiply(a, e, column);
        e[static_cast<std::size_t>(real[j])] = 0;
        for (std::size_t i = 0; i < n; ++i) d[i * n + j] = column[static_cast<std::size_t>(real[i])];
    }
    return d;
}

// The coarse matrix is P^T A P for P read off the coarsening tables, on
// grids of odd and even sizes (the last node kept), an axis too short to
// halve, couplings that differ along each axis, and an x plane weakly
// coupled along x, which the coarse grid keeps (the alternation restarting
// after it); interpolation keeps constants and leans to the more strongly
// coupled side.
TEST(Multigrid, CoarseMatrixIsTheGalerkinProduct)
{
    struct Case {
        std::array<std::int32_t, 3> size, coarse;
        std::int64_t weakX;  // x plane whose couplings along x are 1000 times weaker; 0 none
    };
    for (const Case& c : {Case{{5, 4, 3}, {3, 3, 2}, 0}, Case{{6, 2, 5}, {4, 2, 3}, 0}, Case{{5, 4, 3}, {4, 3, 2}, 2}}) {
        const std::array<std::int32_t, 3> size = c.size;
        SCOPED_TRACE(size[0] * 1000 + size[1] * 100 + size[2] * 10 + c.weakX);
        StencilMatrix a = makeStencilMatrix(size[0], size[1], size[2]);
        std::mt19937 random(7);
        std::uniform_real_distribution<double> coupling(-1.0, -0.1);
        forEachRealNode(a, 1, a.nz + 1, [&](std::int64_t k) {
            const std::int64_t ix = k % a.strideY, iy = k / a.strideY % (a.ny + 2), iz = k / a.strideZ;
            a.row(k)[0] += 30.0;
            for (int s = 1; s <= kUpperNeighbours; ++s) {
                const int block = s + 13, dx = block % 3 - 1, dy = block / 3 % 3 - 1, dz = block / 9 - 1;
                if (ix + dx > a.nx || iy + dy > a.ny || iy + dy < 1 || ix + dx < 1 || iz + dz > a.nz) continue;
                const bool weak = dx != 0 && (ix == c.weakX || ix + dx == c.weakX);
                addCoupling(a, k, dx, dy, dz,
                            coupling(random) * (ix % 2 == 1 && dx == 1 ? 4.0 : 1.0) * (weak ? 1e-3 : 1.0));
            }
        });
        const GridCoarsening g = coarsenGrid(a, kStrongRatio);
        const StencilMatrix coarse = galerkinProduct(a, g, 2);
        ASSERT_EQ((std::array{coarse.nx, coarse.ny, coarse.nz}), c.coarse);

        const std::size_t n = static_cast<std::size_t>(a.nx) * a.ny * a.nz;
        const std::size_t nc = static_cast<std::size_t>(coarse.nx) * coarse.ny * coarse.nz;
        std::vector<double> prolong(n * nc);
        std::size_t f = 0;
        for (std::int32_t iz = 1; iz <= a.nz; ++iz)
            for (std::int32_t iy = 1; iy <= a.ny; ++iy)
                for (std::int32_t ix = 1; ix <= a.nx; ++ix, ++f) {
                    double sum = 0;
                    for (int pz = 0; pz < 2; ++pz)
                        for (int py = 0; py < 2; ++py)
                            for (int px = 0; px < 2; ++px) {
                                const double w = g.axis[0].parentWeight[ix][px] * g.axis[1].parentWeight[iy][py] *
                                                 g.axis[2].parentWeight[iz][pz];
                                if (w == 0) continue;
                                const std::size_t c =
                                    static_cast<std::size_t>(g.axis[0].parent[ix][px] - 1) +
                                    static_cast<std::size_t>(coarse.nx) *
                                        (static_cast<std::size_t>(g.axis[1].parent[iy][py] - 1) +
                                         static_cast<std::size_t>(coarse.ny) *
                                             static_cast<std::size_t>(g.axis[2].parent[iz][pz] - 1));
                                prolong[f * nc + c] += w;
                                sum += w;
                            }
                    ASSERT_NEAR(sum, 1.0, 1e-15);
                }
        // x nodes 1, 3, 5 couple 4 times more strongly to the next one.
        EXPECT_GT(g.axis[0].parentWeight[2][0], 0.7);

        const std::vector<double> dense = denseOf(a), got = denseOf(coarse);
        for (std::size_t i = 0; i < nc; ++i)
            for (std::size_t j = 0; j < nc; ++j) {
                double expected = 0;
                for (std::size_t k = 0; k < n; ++k)
                    for (std::size_t l = 0; l < n; ++l)
                        expected += prolong[k * nc + i] * dense[k * n + l] * prolong[l * nc + j];
                ASSERT_NEAR(got[i * nc + j], expected, 1e-12 * 30) << i << " " << j;
            }
    }
}

// Multigrid PCG on the pole systems: every system meets the tolerance in
// double, agrees with SSOR-PCG, takes far fewer iterations, and a batch
// gives what each system gets alone (the zero one x = 0 at once). A grid
// small enough to be its own coarsest level is solved exactly at once.
TEST(MultigridPcg, SolvesThePoleSystemsInFewIterations)
{
    IterationSettings settings;
    settings.tolerance = 1e-9;
    settings.maxIterations = 3000;
    for (const double slope : {0.25, 0.0}) {
        SCOPED_TRACE(slope);
        const PoleSystems p = poleSystems(slope, slope > 0 ? 0.1 : 10.0);
        const StencilMatrix& a = p.system.system;
        const MultigridHierarchy h = makeMultigridHierarchy(a, 2);
        ASSERT_GE(h.levels.size(), 3u);
        std::vector<double> batch(p.b.size()), alone(p.n), ssor(p.n);
        std::vector<SolveReport> reports(static_cast<std::size_t>(p.count));
        multigridPcgBatch(h, settings, p.b, batch, reports);
        for (std::size_t j = 0; j < reports.size(); ++j) {
            SCOPED_TRACE(j);
            const std::span<const double> b(p.b.data() + j * p.n, p.n), x(batch.data() + j * p.n, p.n);
            SolveReport single;
            multigridPcgBatch(h, settings, b, alone, {&single, 1});
            EXPECT_TRUE(reports[j].converged);
            EXPECT_EQ(reports[j].iterations, single.iterations);
            if (j == 2) {
                EXPECT_EQ(reports[j].iterations, 0);
                EXPECT_EQ(largestEntry(x), 0.0);
                continue;
            }
            const SolveReport bySsor = ssorPcg(a, settings, b, ssor);
            EXPECT_LT(3 * reports[j].iterations, bySsor.iterations);
            const double size = largestEntry(x);
            for (std::size_t k = 0; k < p.n; ++k) ASSERT_NEAR(x[k], alone[k], 1e-12 * size);
            for (std::size_t k = 0; k < p.n; ++k) ASSERT_NEAR(x[k], ssor[k], 1e-6 * size);
            expectTrueResidualMeetsTolerance(a, b, x, reports[j], settings.tolerance);
        }
    }

    StencilMatrix small = makeStencilMatrix(9, 8, 7);
    forEachRealNode(small, 1, small.nz + 1, [&](std::int64_t k) {
        small.row(k)[0] = 7.0;
        if (k % small.strideY < small.nx) addCoupling(small, k, 1, 0, 0, -1.0);
        if (k / small.strideZ < small.nz) addCoupling(small, k, 0, 0, 1, -2.0);
    });
    const MultigridHierarchy single = makeMultigridHierarchy(small, 1);
    ASSERT_EQ(single.levels.size(), 1u);
    std::vector<double> b(static_cast<std::size_t>(small.gridPoints())), x(b.size());
    b[static_cast<std::size_t>(small.index(4, 4, 1))] = 1.0;
    SolveReport report;
    multigridPcgBatch(single, settings, b, x, {&report, 1});
    EXPECT_TRUE(report.converged);
    EXPECT_EQ(report.iterations, 1);
}

}  // namespace
}  // namespace vexora
