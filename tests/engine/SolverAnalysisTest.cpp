#include <gtest/gtest.h>

#include <cmath>

#include "ForwardTestSupport.h"
#include "engine/forward/ForwardSystem.h"
#include "engine/solver/CholmodSolver.h"

namespace vexora {
namespace {

using namespace vexora::testing;

// The models of an inversion share the mesh: the direct path analyses the
// pattern once and factorises each model into it, with the solutions a fresh
// analysis gives.
TEST(SolverAnalysis, ModelsOnOneMeshShareIt)
{
    if (!directSolverAvailable()) GTEST_SKIP() << "built without the direct solver";
    ProjectStore store = lineSurvey(8, 1.0, dipoleDipole(8));
    MessageLog log;
    ASSERT_EQ(buildMesh(store, log), Status::Ok);
    std::shared_ptr<SolverAnalysis> analysis;
    for (const double contrast : {1.0, 10.0, 0.1}) {
        std::vector<double> sigma(store.models.conductivity.size(), 0.01);
        for (std::size_t e = 0; e < sigma.size(); e += 7) sigma[e] *= contrast;
        ForwardSystem system;
        assembleForwardSystem(store.mesh, sigma, ForwardSettings{}.faces, {3.5, 0, 0}, 1, system);
        const std::size_t n = static_cast<std::size_t>(system.system.gridPoints());
        std::vector<double> b(n, 0.0), shared(n), fresh(n);
        for (std::size_t k = 0; k < n; k += 11) b[k] = std::sin(static_cast<double>(k));
        for (std::size_t k = 0; k < n; ++k)
            if (system.dirichlet[k]) b[k] = 0.0;
        std::string why, freshWhy;
        const auto reusing = makeCholmodSolver(system.system, 1, 1ull << 34, why, &analysis);
        const auto alone = makeCholmodSolver(system.system, 1, 1ull << 34, freshWhy);
        ASSERT_TRUE(reusing && alone) << why << freshWhy;
        EXPECT_EQ(why.find("analysis of the mesh reused") != std::string::npos, contrast != 1.0) << why;
        ASSERT_TRUE(reusing->solve(b, shared, 1).converged);
        ASSERT_TRUE(alone->solve(b, fresh, 1).converged);
        double largest = 0, apart = 0;
        for (std::size_t k = 0; k < n; ++k) {
            largest = std::max(largest, std::abs(fresh[k]));
            apart = std::max(apart, std::abs(shared[k] - fresh[k]));
        }
        EXPECT_GT(largest, 0.0);
        EXPECT_LE(apart, 1e-10 * largest) << "contrast " << contrast;
    }
}

// Another pattern (other outer conditions) is analysed anew, not forced
// into the first one's factor.
TEST(SolverAnalysis, AnotherPatternIsAnalysedAnew)
{
    if (!directSolverAvailable()) GTEST_SKIP() << "built without the direct solver";
    ProjectStore store = lineSurvey(8, 1.0, dipoleDipole(8));
    MessageLog log;
    ASSERT_EQ(buildMesh(store, log), Status::Ok);
    const std::vector<double> sigma(store.models.conductivity.size(), 0.01);
    std::shared_ptr<SolverAnalysis> analysis;
    for (const FaceCondition face : {FaceCondition::Mixed, FaceCondition::Dirichlet}) {
        std::array<FaceCondition, kOuterFaces> faces;
        faces.fill(face);
        ForwardSystem system;
        assembleForwardSystem(store.mesh, sigma, faces, {3.5, 0, 0}, 1, system);
        std::string why;
        ASSERT_TRUE(makeCholmodSolver(system.system, 1, 1ull << 34, why, &analysis)) << why;
        EXPECT_EQ(why.find("reused"), std::string::npos) << why;
    }
}

// A batch's columns are shared out to the solver's threads: each column
// comes back as its own solve gives it, every entry written (halo zero),
// whether the parts split evenly or not.
TEST(SolverAnalysis, ColumnsSharedOutToThreadsSolveAsOne)
{
    if (!directSolverAvailable()) GTEST_SKIP() << "built without the direct solver";
    ProjectStore store = lineSurvey(8, 1.0, dipoleDipole(8));
    MessageLog log;
    ASSERT_EQ(buildMesh(store, log), Status::Ok);
    const std::vector<double> sigma(store.models.conductivity.size(), 0.01);
    ForwardSystem system;
    assembleForwardSystem(store.mesh, sigma, ForwardSettings{}.faces, {3.5, 0, 0}, 1, system);
    const std::size_t n = static_cast<std::size_t>(system.system.gridPoints());
    constexpr int kColumns = 5;
    std::vector<double> b(n * kColumns, 0.0);
    for (std::size_t k = 0; k < b.size(); k += 13)
        if (!system.dirichlet[k % n]) b[k] = std::cos(static_cast<double>(k));
    std::string why;
    const auto single = makeCholmodSolver(system.system, 1, 1ull << 34, why);
    ASSERT_TRUE(single) << why;
    std::vector<double> alone(n * kColumns);
    for (std::size_t c = 0; c < kColumns; ++c)
        ASSERT_TRUE(single->solve({b.data() + c * n, n}, {alone.data() + c * n, n}, 1).converged);
    for (const int threads : {2, 3, 8}) {
        const auto shared = makeCholmodSolver(system.system, threads, 1ull << 34, why);
        ASSERT_TRUE(shared) << why;
        std::vector<double> together(n * kColumns, std::nan(""));
        ASSERT_TRUE(shared->solve(b, together, kColumns).converged);
        double largest = 0;
        for (const double v : alone) largest = std::max(largest, std::abs(v));
        EXPECT_GT(largest, 0.0);
        std::size_t apart = 0;  // counts a missed entry too: it stays NaN
        for (std::size_t k = 0; k < together.size(); ++k)
            apart += !(std::abs(together[k] - alone[k]) <= 1e-12 * largest);
        EXPECT_EQ(apart, 0u) << threads << " threads";
    }
}

}  // namespace
}  // namespace vexora
