#include <gtest/gtest.h>

#include <cmath>

#include "ForwardTestSupport.h"
#include "forward/PoleFields.h"
#include "solver/SsorPcg.h"

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
    EXPECT_EQ(buildMesh(p.store, log), 0);
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
        const PoleSource source = poleSourceAt(at, sigma);
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
        std::vector<double> batch(p.b.size()), alone(p.n), plain(p.n), ax(p.n);
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
            multiply(a, x, ax);
            double residual = 0;
            for (std::size_t k = 0; k < p.n; ++k) residual += (b[k] - ax[k]) * (b[k] - ax[k]);
            EXPECT_LE(std::sqrt(residual / dot(b, b)), settings.tolerance);
            EXPECT_NEAR(reports[j].relativeResidual, std::sqrt(residual / dot(b, b)), 1e-3 * settings.tolerance);
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

}  // namespace
}  // namespace vexora
