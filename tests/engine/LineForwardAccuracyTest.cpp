#include <gtest/gtest.h>

#include <chrono>

#include "ForwardTestSupport.h"

namespace vexora {
namespace {

using namespace vexora::testing;

std::vector<Quad> wideDipoleDipole(int count, int widest, int step)
{
    std::vector<Quad> q;
    for (int n = 1; n <= widest; ++n)
        for (int i = 1; i + n + 2 <= count; i += step) q.push_back({i, i + 1, i + n + 1, i + n + 2});
    return q;
}

// Pole-dipole n = 1..6 with the remote electrode `remote` as B.
std::vector<Quad> remotePoleDipole(int count, int remote)
{
    std::vector<Quad> q;
    for (int n = 1; n <= 6; ++n)
        for (int i = 1; i + n + 1 <= count; ++i) q.push_back({i, remote, i + n, i + n + 1});
    return q;
}

std::vector<Quad> join(std::initializer_list<std::vector<Quad>> parts)
{
    std::vector<Quad> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

struct LineCase {
    const char* name;
    int electrodes;
    double spacing;
    std::vector<Quad> quads;
    double rho1, rho2, depth;  // rho1 over rho2 below `depth`; rho1 = rho2 for a half-space
    double median, worst;      // allowed errors
    double remoteAt = 0;       // when set, the last electrode is a remote one at this x
};
void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class LineForwardAccuracy : public ::testing::TestWithParam<LineCase> {};

// The 2.5D model of the store's model under the line against the image
// series of a layered earth (a half-space when rho1 = rho2): the classic
// arrays on 16 electrodes and dipole-dipole spreads to 40 spacings on the
// long lines of LongLineAccuracyTest.cpp, where the 3D model reaches 0.95 %.
TEST_P(LineForwardAccuracy, FollowsTheImageSeries)
{
    const LineCase& c = GetParam();
    ProjectStore store = lineSurvey(c.electrodes, c.spacing, c.quads);
    MessageLog log;
    if (c.remoteAt != 0) {
        store.survey.electrodes.back().x = c.remoteAt;
        store.survey.electrodes.back().type = -2;
        ASSERT_EQ(SetDefaultMeshSettings(store.survey, store.settings, store.mesh.lines, log), Status::Ok);
    }
    char depth[32];
    std::snprintf(depth, sizeof depth, "%.3f", -c.depth);
    setSettingText(store.settings, Item::ForegroundZMin, depth);
    setSettingText(store.settings, Item::CpuThreads, "2");
    ASSERT_EQ(buildMesh(store, log), Status::Ok) << log.plainText();
    setTwoLayers(store, c.rho1, c.rho2, c.depth);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(runJobForwardModel(store, log, {}, ForwardDimension::Two), Status::Ok) << log.plainText();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_NE(log.plainText().find("Electrodes on one line: 2.5D forward model ("), std::string::npos);
    const std::vector<double> error = twoLayerErrors(store, c.quads, c.rho1, c.rho2, c.depth);
    const double worst = *std::max_element(error.begin(), error.end());
    std::printf("%s: %zu quadrupoles, median %.4f%% max %.4f%%, %.3f s\n", c.name, c.quads.size(),
                100 * median(error), 100 * worst, seconds);
    EXPECT_LE(median(error), c.median);
    EXPECT_LE(worst, c.worst);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LineForwardAccuracy,
    ::testing::Values(
        LineCase{"HalfSpaceArrays", 16, 1.0, join({wenner(16), schlumberger(16), dipoleDipole(16), poleDipole(16)}),
                 100, 100, 5, 1e-6, 1e-6},
        LineCase{"TwoLayerArrays", 16, 1.0, join({wenner(16), schlumberger(16), dipoleDipole(16), poleDipole(16)}),
                 100, 10, 5, 0.002, 0.005},
        LineCase{"RemoteOnTheLine", 17, 1.0, remotePoleDipole(16, 17), 100, 100, 5, 1e-6, 1e-6, 200},
        LineCase{"TwoLayersRemoteOnTheLine", 17, 1.0, remotePoleDipole(16, 17), 100, 10, 5, 0.002, 0.005, 200},
        LineCase{"HalfSpace48At1m", 48, 1.0, wideDipoleDipole(48, 40, 1), 100, 100, 5, 1e-6, 1e-6},
        LineCase{"TwoLayers48At1m", 48, 1.0, wideDipoleDipole(48, 40, 1), 100, 10, 5, 0.002, 0.005},
        LineCase{"HalfSpace96At5m", 96, 5.0, wideDipoleDipole(96, 40, 4), 100, 100, 25, 1e-6, 1e-6},
        LineCase{"TwoLayers96At5m", 96, 5.0, wideDipoleDipole(96, 40, 4), 100, 10, 25, 0.002, 0.005}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vexora
