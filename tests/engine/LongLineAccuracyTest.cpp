#include <gtest/gtest.h>

#include <chrono>

#include "ForwardTestSupport.h"

namespace vexora {
namespace {

using namespace vexora::testing;

struct LongLine {
    const char* name;
    int electrodes;
    double spacing;
    int step;  // of the current dipoles along the line
    double rho1, rho2, depth;  // rho1 over rho2 below `depth`; rho1 = rho2 for a half-space
};
void PrintTo(const LongLine& c, std::ostream* os) { *os << c.name; }

class LongLines : public ::testing::TestWithParam<LongLine> {};

// The mixed outer condition must hold for every source, not only for those
// near the middle of the survey: the default mesh stays within 1 % of the
// image series on the widest spreads.
TEST_P(LongLines, FollowTheImageSeriesOnTheWidestSpreads)
{
    const LongLine& c = GetParam();
    const std::vector<Quad> quads = wideDipoleDipole(c.electrodes, 40, c.step);
    ProjectStore store = lineSurvey(c.electrodes, c.spacing, quads);
    char depth[32];
    std::snprintf(depth, sizeof depth, "%.3f", -c.depth);
    setSettingText(store.settings, Item::ForegroundZMin, depth);
    setSettingText(store.settings, Item::CpuThreads, "2");
    MessageLog log;
    ASSERT_EQ(buildMesh(store, log), Status::Ok) << log.plainText();
    setTwoLayers(store, c.rho1, c.rho2, c.depth);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(runJobForwardModel(store, log), Status::Ok) << log.plainText();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::vector<double> error = twoLayerErrors(store, quads, c.rho1, c.rho2, c.depth);
    const double worst = *std::max_element(error.begin(), error.end());
    std::printf("%s: %zu quadrupoles, %d mesh nodes, median %.3f%% max %.3f%%, %.2f s\n", c.name, quads.size(),
                store.mesh.nx * store.mesh.ny * store.mesh.nz, 100 * median(error), 100 * worst, seconds);
    EXPECT_LE(worst, 0.01);
}

INSTANTIATE_TEST_SUITE_P(
    DefaultMesh, LongLines,
    ::testing::Values(LongLine{"HalfSpace48At1m", 48, 1.0, 1, 100, 100, 5},
                      LongLine{"TwoLayers48At1m", 48, 1.0, 1, 100, 10, 5},
                      LongLine{"HalfSpace96At5m", 96, 5.0, 4, 100, 100, 25},
                      LongLine{"TwoLayers96At5m", 96, 5.0, 4, 100, 10, 25}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vexora
