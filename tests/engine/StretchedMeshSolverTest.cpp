#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "ForwardTestSupport.h"
#include "engine/forward/PoleFields.h"
#include "engine/solver/CholmodSolver.h"
#include "engine/solver/MultigridPcg.h"
#include "engine/solver/SolverChoice.h"

namespace vexora {
namespace {

using namespace vexora::testing;

// Pad offsets, in element sizes, whose spacing grows by `growth` from one
// element until they reach `reach` metres.
std::string geometricPads(double size, double growth, double reach)
{
    std::string text;
    for (double step = 1, at = 0; at * size < reach; step *= growth) {
        at += step;
        text += std::to_string(at) + " ";
    }
    return text;
}

// Largest over smallest line spacing of the mesh: the elements' worst aspect ratio.
double worstAspectRatio(const Mesh& mesh)
{
    double smallest = 1e300, largest = 0;
    for (const std::vector<double>* lines : {&mesh.lines.x, &mesh.lines.y, &mesh.lines.z})
        for (std::size_t i = 1; i < lines->size(); ++i) {
            const double h = std::abs((*lines)[i] - (*lines)[i - 1]);
            smallest = std::min(smallest, h), largest = std::max(largest, h);
        }
    return largest / smallest;
}

// Fine elements on a line of 8 electrodes, padded geometrically to `reach`
// metres on every side and below, over a model with a conductive layer two
// elements down and a box `contrast` times more conductive than the top;
// pole right-hand sides at electrodes 1, 4 and 7.
TEST(MultigridPcg, ConvergesOnStretchedPaddingAndAgreesWithTheFactor)
{
    struct Case {
        double size, growth, reach, contrast;
    };
    for (const Case& c : {Case{0.125, 2.0, 2000, 10}, Case{0.25, 1.6, 500, 100}}) {
        SCOPED_TRACE(c.size);
        ProjectStore store = lineSurvey(8, 2 * c.size, dipoleDipole(8));
        for (Item item : {Item::GridSizeX, Item::GridSizeY, Item::GridSizeZ})
            setSettingText(store.settings, item, std::to_string(c.size));
        for (Item item : {Item::PadsXMin, Item::PadsXMax, Item::PadsYMin, Item::PadsYMax, Item::PadsZMin})
            setSettingText(store.settings, item, geometricPads(c.size, c.growth, c.reach));
        MessageLog log;
        ASSERT_EQ(buildMesh(store, log), Status::Ok);
        const Mesh& mesh = store.mesh;
        EXPECT_GT(worstAspectRatio(mesh), 1000);

        std::vector<double> sigma(store.models.conductivity.size());
        for (std::size_t e = 0; e < sigma.size(); ++e) {
            const NodePoint& p = mesh.nodeGrid[static_cast<std::size_t>(mesh.elementNodes[e][4] - 1)];
            const bool box = p.x > 4 * c.size && p.x < 8 * c.size && std::abs(p.y) < 2 * c.size && p.z < -3 * c.size;
            sigma[e] = box ? 0.01 * c.contrast : p.z < -2 * c.size ? 0.1 : 0.01;
        }
        ForwardSystem system;
        assembleForwardSystem(mesh, sigma, ForwardSettings{}.faces, {7 * c.size, 0, 0}, 2, system);
        const StencilMatrix& a = system.system;
        const std::size_t n = static_cast<std::size_t>(a.gridPoints());
        std::vector<double> b, up(n);
        for (const int electrode : {0, 3, 6}) {
            MeshPoint at;
            double raised = 0;
            ASSERT_EQ(locateInMesh(mesh, {2 * c.size * electrode, 0, 0}, at, raised), Location::Inside);
            const PoleSource source = poleSourceAt(mesh, at, sigma);
            primaryPotential(mesh, source, at, up);
            b.resize(b.size() + n);
            secondaryRightHandSide(mesh, system, sigma, source, at, up, {b.data() + b.size() - n, n});
        }

        // Multigrid converges in 20 iterations where halving every axis has
        // not in 30.
        IterationSettings settings;
        std::string why;
        const auto chosen = makeLinearSolver(a, settings, 2, 1ull << 32, 3, SolverKind::Multigrid, why);
        ASSERT_TRUE(chosen);
        EXPECT_EQ(why.rfind("multigrid PCG", 0), 0u) << why;
        std::vector<double> x(b.size()), direct(b.size());
        const SolveReport report = chosen->solve(b, x, 3);
        EXPECT_TRUE(report.converged);
        EXPECT_LE(report.iterations, 20);
        EXPECT_LE(report.relativeResidual, settings.tolerance);

        settings.maxIterations = 30;
        std::vector<SolveReport> halved(3);
        multigridPcgBatch(makeMultigridHierarchy(a, 2, 0.0), settings, b, direct, halved);
        for (const SolveReport& r : halved) EXPECT_FALSE(r.converged);

        if (!directSolverAvailable()) continue;
        const auto cholmod = makeLinearSolver(a, settings, 2, 1ull << 32, 3, SolverKind::Direct, why);
        ASSERT_TRUE(cholmod) << why;
        cholmod->solve(b, direct, 3);
        for (std::size_t j = 0; j < 3; ++j) {
            double largest = 0, difference = 0;
            for (std::size_t k = j * n; k < (j + 1) * n; ++k) {
                largest = std::max(largest, std::abs(direct[k]));
                difference = std::max(difference, std::abs(direct[k] - x[k]));
            }
            EXPECT_GT(largest, 0);
            EXPECT_LT(difference, 1e-7 * largest) << j;
        }
    }
}

}  // namespace
}  // namespace vexora
