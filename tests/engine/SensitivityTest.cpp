#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <random>

#include "ForwardTestSupport.h"
#include "engine/forward/QuadrupolePlan.h"
#include "engine/inversion/BlockGrid.h"
#include "engine/inversion/Sensitivity.h"

namespace vexora {
namespace {

using namespace vexora::testing;

struct SensitivityRun {
    ProjectStore store;
    ForwardSetup setup;
    ElectrodeFields fields;
    std::vector<double> resistance;
    Jacobian jacobian;
};

// One Wenner quadrupole (a = 2 m: A, M, N, B at x = 2, 4, 6, 8) on 13
// electrodes 1 m apart.
void runWenner(SensitivityRun& run)
{
    run.store = lineSurvey(13, 1.0, {{3, 9, 5, 7}});
    MessageLog log;
    ASSERT_EQ(buildMesh(run.store, log), Status::Ok) << log.plainText();
    const ProjectStore& s = run.store;
    ASSERT_EQ(prepareForward(s.mesh, s.models, s.survey, s.settings, {}, true, "test", log, run.setup), Status::Ok)
        << log.plainText();
    ForwardSystem system;
    ASSERT_EQ(modelFieldsAndResistances(run.store.mesh, run.setup, run.store.models.conductivity, {}, 0, 100, "R",
                                        "test", log, system, run.fields, run.resistance),
              Status::Ok)
        << log.plainText();
    const std::vector<std::size_t> rows{0};
    assembleJacobian(run.store.mesh, run.store.models.conductivity, run.setup.plan, run.fields,
                     blockStiffnesses(run.store.mesh), rows, run.resistance, 2, run.jacobian);
}

TEST(Sensitivity, SumsToMinusOneAndMatchesAFiniteDifference)
{
    SensitivityRun run;
    runWenner(run);
    // Scaling every conductivity by c scales V by 1/c: the sensitivities to
    // ln sigma sum to -1. The fields are nodal values, which follow the 1/r
    // field of an electrode only roughly in the blocks touching it; that is
    // the few percent allowed here.
    const double sum = std::accumulate(run.jacobian.values.begin(), run.jacobian.values.end(), 0.0);
    EXPECT_NEAR(sum, -1.0, 0.05);

    // The block under the array's centre, a few layers down: raise its
    // conductivity by 1 % and compare the change of ln V.
    const Mesh& mesh = run.store.mesh;
    std::size_t centre = 0;
    double best = 1e300;
    const BlockGrid grid = blockGrid(mesh);
    for (std::size_t ix = 0; ix < grid.nx; ++ix)
        for (std::size_t iy = 0; iy < grid.ny; ++iy) {
            const std::size_t j = grid.index(ix, iy, 3);
            const ElementCorners3 c = blockCorners(mesh, static_cast<std::int64_t>(j));
            const double x = (c[0].x + c[7].x) / 2 - 5.0, y = (c[0].y + c[7].y) / 2;
            if (x * x + y * y < best) best = x * x + y * y, centre = j;
        }
    std::vector<double> raised = run.store.models.conductivity;
    raised[centre] *= 1.01;
    MessageLog log;
    ForwardSystem system;
    std::vector<double> changed;
    ASSERT_EQ(modelResistances(mesh, run.setup, raised, {}, 0, 100, "R", "test", log, system, changed), Status::Ok);
    const double finite = std::log(changed[0] / run.resistance[0]) / std::log(1.01);
    const double predicted = run.jacobian.row(0)[centre];
    EXPECT_LT(predicted, 0.0);  // more conductive ground under the array: lower V
    EXPECT_NEAR(predicted, finite, 0.08 * std::abs(finite));
}

TEST(Sensitivity, WennerPatternIsSymmetricAndFadesWithDepth)
{
    SensitivityRun run;
    runWenner(run);
    const Mesh& mesh = run.store.mesh;
    const BlockGrid grid = blockGrid(mesh);
    // d ln rho_a / d ln rho_j = -J: positive under the centre, negative in
    // the surface blocks just outside the current electrodes' inner sides.
    auto resistivitySensitivity = [&](double x, double y, std::size_t iz) {
        double best = 1e300;
        std::size_t found = 0;
        for (std::size_t ix = 0; ix < grid.nx; ++ix)
            for (std::size_t iy = 0; iy < grid.ny; ++iy) {
                const std::size_t j = grid.index(ix, iy, iz);
                const ElementCorners3 c = blockCorners(mesh, static_cast<std::int64_t>(j));
                const double dx = (c[0].x + c[7].x) / 2 - x, dy = (c[0].y + c[7].y) / 2 - y;
                if (dx * dx + dy * dy < best) best = dx * dx + dy * dy, found = j;
            }
        return -static_cast<double>(run.jacobian.row(0)[found]);
    };
    EXPECT_GT(resistivitySensitivity(5.0, 0.0, 1), 0.0);
    EXPECT_LT(resistivitySensitivity(2.75, 0.0, 0), 0.0);  // between A and M, at the surface
    // Mirror symmetry about the array's centre and about its line.
    for (double x : {1.25, 2.75, 4.25})
        for (std::size_t iz : {0u, 1u, 3u}) {
            const double left = resistivitySensitivity(x, 0.0, iz), right = resistivitySensitivity(10.0 - x, 0.0, iz);
            EXPECT_NEAR(left, right, 0.03 * std::max(std::abs(left), 1e-6)) << x << " " << iz;
        }
    // The absolute sensitivity per unit volume summed over each layer falls with depth.
    const std::vector<double> volume = blockVolumes(mesh);
    double previous = 1e300;
    for (std::size_t iz = 0; iz < grid.nz; iz += 2) {
        double layer = 0;
        for (std::size_t iy = 0; iy < grid.ny; ++iy)
            for (std::size_t ix = 0; ix < grid.nx; ++ix) {
                const std::size_t j = grid.index(ix, iy, iz);
                layer += std::abs(run.jacobian.row(0)[j]) / volume[j];
            }
        EXPECT_LT(layer, previous) << "layer " << iz;
        previous = layer;
    }
}

// The assembly against the formula evaluated block by block, on made-up
// fields over a mesh of several tiles of blocks: rows of shared and of
// different current pairs, absent poles, rows asked for out of order.
TEST(Sensitivity, AssemblyMatchesTheFormulaBlockByBlock)
{
    ProjectStore store = lineSurvey(13, 1.0, {{3, 9, 5, 7}, {1, 2, 4, 0}, {3, 9, 4, 6}, {1, 0, 4, 5}, {3, 9, 10, 11}});
    MessageLog log;
    ASSERT_EQ(buildMesh(store, log), Status::Ok) << log.plainText();
    const Mesh& mesh = store.mesh;
    const QuadrupolePlan plan = planQuadrupoles(store.survey, false);
    const std::size_t blocks = static_cast<std::size_t>(blockCount(mesh));
    ElectrodeFields fields;
    fields.gridPoints = mesh.nodeGrid.size();
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> uniform(0.5, 1.5);
    for (std::size_t v = 0; v < plan.electrodes.size() * fields.gridPoints; ++v)
        fields.values.push_back(static_cast<float>(uniform(rng)));
    std::vector<double> sigma(blocks), resistance(plan.pole.size());
    for (double& v : sigma) v = uniform(rng);
    for (double& v : resistance) v = uniform(rng);
    const std::vector<float> stiffness = blockStiffnesses(mesh);
    const std::vector<std::size_t> rows{4, 0, 1, 2, 3};

    Jacobian expected{rows.size(), blocks, Jacobian::Values(rows.size() * blocks, 0.0f)};
    auto u = [&](std::int32_t pole, std::int32_t corner) {
        return pole < 0 ? 0.0 : fields.values[static_cast<std::size_t>(pole) * fields.gridPoints + static_cast<std::size_t>(corner - 1)];
    };
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const auto& p = plan.pole[rows[r]];
        for (std::size_t j = 0; j < blocks; ++j) {
            double sum = 0;
            for (std::size_t s = 0; s < 8; ++s)
                for (std::size_t t = 0; t < 8; ++t) {
                    const auto& c = mesh.elementNodes[j];
                    sum += (u(p[M], c[s]) - u(p[N], c[s])) * stiffness[j * 64 + s * 8 + t] * (u(p[A], c[t]) - u(p[B], c[t]));
                }
            expected.row(r)[j] = static_cast<float>(-sigma[j] * sum / resistance[rows[r]]);
        }
    }
    ASSERT_GT(blocks, 5000u);
    for (int threads : {1, 2}) {
        Jacobian j;
        assembleJacobian(mesh, sigma, plan, fields, stiffness, rows, resistance, threads, j);
        ASSERT_EQ(j.rows, rows.size());
        ASSERT_EQ(j.cols, blocks);
        for (std::size_t e = 0; e < j.values.size(); ++e)
            ASSERT_NEAR(j.values[e], expected.values[e], 1e-5 * (1 + std::abs(expected.values[e]))) << threads << " " << e;
    }
}

}  // namespace
}  // namespace vexora
