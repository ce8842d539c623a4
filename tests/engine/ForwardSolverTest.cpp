#include <gtest/gtest.h>

#include <cmath>

#include "ForwardTestSupport.h"
#include "engine/forward/PoleFields.h"
#include "engine/solver/CholmodSolver.h"
#include "engine/solver/SolverChoice.h"
#include "engine/solver/SsorPcg.h"

namespace vexora {
namespace {

using namespace vexora::testing;

// The brick of edges (hx, hy, hz): K_aa = (hy hz / hx + hx hz / hy + hx hy / hz) / 9,
// and every row sums to zero (a constant has no gradient).
TEST(HexElement, BrickStiffnessHasItsClosedForm)
{
    for (const std::array<double, 3> h : {std::array<double, 3>{1, 1, 1}, {2, 0.5, 0.25}}) {
        ElementCorners3 c;
        for (int s = 0; s < 8; ++s)
            c[static_cast<std::size_t>(s)] = {(s & 1) * h[0], ((s >> 1) & 1) * h[1], -(s >> 2) * h[2]};
        ElementMatrix k;
        unitStiffness(c, k);
        const double diagonal = (h[1] * h[2] / h[0] + h[0] * h[2] / h[1] + h[0] * h[1] / h[2]) / 9;
        for (int a = 0; a < 8; ++a) {
            EXPECT_NEAR(k[static_cast<std::size_t>(a * 9)], diagonal, 1e-12);
            double sum = 0;
            for (int b = 0; b < 8; ++b) sum += k[static_cast<std::size_t>(a * 8 + b)];
            EXPECT_NEAR(sum, 0, 1e-12);
        }
    }
}

// On a terrain-following mesh the weights of a located point rebuild its
// coordinates from the element's nodes; a point above the ground is put on it.
TEST(MeshLocation, WeightsRebuildThePointOnATerrainMesh)
{
    ProjectStore store = lineSurvey(8, 1.0, dipoleDipole(8), 0.25);
    MessageLog log;
    ASSERT_EQ(buildMesh(store, log), Status::Ok);
    ASSERT_TRUE(store.mesh.followsTerrain);
    struct Case {
        NodePoint point;
        double raisedBy;
    };
    for (const Case& c : {Case{{0.3, 0.1, -0.2}, 0}, Case{{3.7, -0.2, 0.4}, 0}, Case{{6.2, 0.3, -1.1}, 0},
                          Case{{2.0, 0.0, 1.5}, 1.0}}) {
        MeshPoint at;
        double raised = -1;
        ASSERT_EQ(locateInMesh(store.mesh, c.point, at, raised), Location::Inside);
        EXPECT_NEAR(raised, c.raisedBy, 1e-9);
        NodePoint rebuilt;
        double sum = 0;
        for (std::size_t s = 0; s < 8; ++s) {
            const NodePoint& n = store.mesh.nodeGrid[static_cast<std::size_t>(at.node[s])];
            rebuilt.x += at.weight[s] * n.x, rebuilt.y += at.weight[s] * n.y, rebuilt.z += at.weight[s] * n.z;
            sum += at.weight[s];
        }
        EXPECT_NEAR(sum, 1, 1e-12);
        EXPECT_NEAR(rebuilt.x, c.point.x, 1e-9);
        EXPECT_NEAR(rebuilt.y, c.point.y, 1e-9);
        EXPECT_NEAR(rebuilt.z, c.point.z - c.raisedBy, 1e-9);
        EXPECT_NEAR(at.surfaceZ, 0.25 * c.point.x, 1e-9);
    }
    MeshPoint at;
    double raised = 0;
    EXPECT_EQ(locateInMesh(store.mesh, {1e4, 0, 0}, at, raised), Location::OutsideHorizontally);
    EXPECT_EQ(locateInMesh(store.mesh, {1, 0, -1e4}, at, raised), Location::BelowBottom);
}

// Both solvers on the same pole problem of a layered model agree to the
// iteration tolerance, one and two threads alike.
TEST(LinearSolvers, DirectAndSsorPcgAgree)
{
    ProjectStore store = lineSurvey(8, 1.0, dipoleDipole(8));
    MessageLog log;
    ASSERT_EQ(buildMesh(store, log), Status::Ok);
    const Mesh& mesh = store.mesh;
    std::vector<double> sigma(store.models.conductivity.size());
    for (std::size_t e = 0; e < sigma.size(); ++e)
        sigma[e] = mesh.nodeGrid[static_cast<std::size_t>(mesh.elementNodes[e][4] - 1)].z < -1.5 ? 0.1 : 0.01;
    ForwardSystem system;
    assembleForwardSystem(mesh, sigma, ForwardSettings{}.faces, {3.5, 0, 0}, 2, system);
    MeshPoint at;
    double raised = 0;
    ASSERT_EQ(locateInMesh(mesh, {2, 0, 0}, at, raised), Location::Inside);
    const std::size_t n = static_cast<std::size_t>(system.system.gridPoints());
    std::vector<double> up(n), b(2 * n), pcg(2 * n), direct(2 * n);
    const PoleSource source = poleSourceAt(mesh, at, sigma);
    primaryPotential(mesh, source, at, up);
    secondaryRightHandSide(mesh, system, sigma, source, at, up, {b.data(), n});
    std::copy(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n), b.begin() + static_cast<std::ptrdiff_t>(n));

    IterationSettings settings;
    settings.tolerance = 1e-10;
    settings.maxIterations = 2000;
    const SolveReport report = SsorPcgSolver(system.system, settings, 2).solve(b, pcg, 2);
    EXPECT_TRUE(report.converged);
    EXPECT_GT(report.iterations, 10);
    if (!directSolverAvailable()) GTEST_SKIP() << "no direct solver built in";
    std::string why;
    const auto cholmod = makeLinearSolver(system.system, settings, 2, 1ull << 32, 2, SolverKind::Direct, why);
    ASSERT_TRUE(cholmod) << why;
    cholmod->solve(b, direct, 2);
    double largest = 0, difference = 0;
    for (std::size_t k = 0; k < 2 * n; ++k) {
        largest = std::max(largest, std::abs(direct[k]));
        difference = std::max(difference, std::abs(direct[k] - pcg[k]));
    }
    EXPECT_GT(largest, 0);
    EXPECT_LT(difference, 1e-6 * largest);
}

// The automatic choice weighs both paths' estimated time and the factor's
// memory, and says why; an analysis made for the choice is kept for the
// next model on the mesh.
TEST(LinearSolvers, AutomaticChoiceWeighsTimeAndMemory)
{
    if (!directSolverAvailable()) GTEST_SKIP() << "no direct solver built in";
    ProjectStore store = lineSurvey(8, 1.0, dipoleDipole(8));
    MessageLog log;
    ASSERT_EQ(buildMesh(store, log), Status::Ok);
    ForwardSystem system;
    assembleForwardSystem(store.mesh, store.models.conductivity, ForwardSettings{}.faces, {3.5, 0, 0}, 1, system);
    std::shared_ptr<SolverAnalysis> analysis;
    std::string why;
    ASSERT_TRUE(makeLinearSolver(system.system, {}, 1, 8ull << 30, 48, SolverKind::Automatic, why, &analysis));
    DirectFactorCost factor;
    ASSERT_TRUE(directFactorCost(system.system, analysis, factor, why));
    const std::int64_t nodes = std::int64_t{system.system.nx} * system.system.ny * system.system.nz;
    // Sources at which multigrid's estimate overtakes the direct one.
    const double perSource = multigridSecondsEstimate(nodes, 1, 1) - directSecondsEstimate(factor, 1) +
                             directSecondsEstimate(factor, 0);
    const auto crossover = static_cast<std::int64_t>(std::ceil(directSecondsEstimate(factor, 0) / perSource));
    ASSERT_GT(crossover, 1);

    const struct {
        std::int64_t sources;
        std::uint64_t memory;
        const char* starts;
        const char* says;
    } cases[] = {
        {10 * crossover, 8ull << 30, "CHOLMOD (analysis of the mesh reused)", " direct, "},
        {crossover - 1, 8ull << 30, "multigrid PCG", "multigrid "},
        {10 * crossover, static_cast<std::uint64_t>(factor.bytes), "multigrid PCG", "more than the"},
    };
    for (const auto& c : cases) {
        const auto solver = makeLinearSolver(system.system, {}, 1, c.memory, c.sources, SolverKind::Automatic, why,
                                             &analysis);
        ASSERT_TRUE(solver);
        EXPECT_EQ(why.rfind(c.starts, 0), 0u) << c.sources << ": " << why;
        EXPECT_NE(why.find(c.says), std::string::npos) << c.sources << ": " << why;
    }
}

}  // namespace
}  // namespace vexora
