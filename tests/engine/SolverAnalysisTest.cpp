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

}  // namespace
}  // namespace vexora
