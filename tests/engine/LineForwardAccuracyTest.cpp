#include <gtest/gtest.h>

#include <chrono>
#include <numbers>

#include "ForwardTestSupport.h"

namespace vexora {
namespace {

using namespace vexora::testing;

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

namespace vexora {
namespace {

using namespace vexora::testing;

// Terrain along the line, the same across it: height(x) on a grid of
// topography points reaching well beyond the line.
ProjectStore terrainLine(int count, const std::vector<Quad>& quads, const std::function<double(double)>& height)
{
    std::vector<TopographyPoint> topography;
    for (double x = -4.0 * count; x <= 5.0 * count; x += 0.5)
        for (double y : {-4.0 * count, 0.0, 4.0 * count}) topography.push_back({x, y, height(x)});
    ProjectStore store = lineSurvey(count, 1.0, quads, height, std::move(topography));
    setSettingText(store.settings, Item::CpuThreads, "2");
    return store;
}

std::vector<Quad> arrays(int count)
{
    std::vector<Quad> quads;
    for (auto make : {wenner, dipoleDipole, poleDipole})
        for (const Quad& q : make(count)) quads.push_back(q);
    return quads;
}

// A homogeneous half-space under a tilted plane: 1 / (2 pi sigma r) with the
// true distances, the primary mirrored at the plane.
TEST(LineForwardTerrain, TiltedPlaneGivesTheClosedForm)
{
    const std::vector<Quad> quads = arrays(12);
    ProjectStore store = terrainLine(12, quads, [](double x) { return 0.25 * x; });
    MessageLog log;
    ASSERT_EQ(buildMesh(store, log), Status::Ok) << log.plainText();
    std::fill(store.models.conductivity.begin(), store.models.conductivity.end(), 0.01);
    ASSERT_EQ(runJobForwardModel(store, log, {}, ForwardDimension::Two), Status::Ok) << log.plainText();
    const auto& el = store.survey.electrodes;
    double worst = 0;
    for (std::size_t k = 0; k < quads.size(); ++k) {
        double v = 0;
        for (int c = 0; c < 2; ++c)
            for (int m = 2; m < 4; ++m) {
                if (!quads[k][static_cast<std::size_t>(c)] || !quads[k][static_cast<std::size_t>(m)]) continue;
                const Electrode& a = el[static_cast<std::size_t>(quads[k][static_cast<std::size_t>(c)] - 1)];
                const Electrode& b = el[static_cast<std::size_t>(quads[k][static_cast<std::size_t>(m)] - 1)];
                v += ((c == 0) == (m == 2) ? 1 : -1) * 100 / (2 * std::numbers::pi * std::hypot(a.x - b.x, a.z - b.z));
            }
        worst = std::max(worst, std::abs(store.survey.quadrupoles.calcResistance[k] / v - 1));
    }
    std::printf("tilted plane: %zu quadrupoles, largest error %.4f%%\n", quads.size(), 100 * worst);
    EXPECT_LT(worst, 0.005);
}

// A hill 1.5 m high in the middle of the line over two layers: the 2.5D
// model against the 3D one on the same mesh and model. (Where steep terrain
// meets the coarse padding at the line's ends, both models lose reciprocity
// by some 2.4 % and differ by up to 8 %: a matter of the mesh there.)
TEST(LineForwardTerrain, HillsAgreeWithThe3DModel)
{
    const std::vector<Quad> quads = arrays(16);
    ProjectStore store = terrainLine(16, quads, [](double x) { return 1.5 * std::exp(-(x - 7.5) * (x - 7.5) / 9); });
    MessageLog log;
    ASSERT_EQ(buildMesh(store, log), Status::Ok) << log.plainText();
    for (std::size_t e = 0; e < store.models.conductivity.size(); ++e) {
        double z = 0;
        for (std::int32_t n : store.mesh.elementNodes[e]) z += store.mesh.nodeGrid[static_cast<std::size_t>(n - 1)].z / 8;
        store.models.conductivity[e] = z < -3 ? 0.1 : 0.01;
    }
    ASSERT_EQ(runJobForwardModel(store, log, {}, ForwardDimension::Three), Status::Ok) << log.plainText();
    const std::vector<double> threeD = store.survey.quadrupoles.calcResistance;
    ASSERT_EQ(runJobForwardModel(store, log, {}, ForwardDimension::Automatic), Status::Ok) << log.plainText();
    EXPECT_NE(log.plainText().find("Electrodes on one line: 2.5D"), std::string::npos);
    std::vector<double> difference;
    for (std::size_t k = 0; k < quads.size(); ++k)
        difference.push_back(std::abs(store.survey.quadrupoles.calcResistance[k] / threeD[k] - 1));
    const double worst = *std::max_element(difference.begin(), difference.end());
    std::printf("hills: %zu quadrupoles, 2.5D against 3D median %.3f%% max %.3f%%\n", quads.size(),
                100 * median(difference), 100 * worst);
    EXPECT_LT(median(difference), 0.003);
    EXPECT_LT(worst, 0.01);
}

}  // namespace
}  // namespace vexora
