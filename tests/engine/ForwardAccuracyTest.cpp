#include <gtest/gtest.h>

#include <chrono>

#include "ForwardTestSupport.h"
#include "core/import/GeometricFactor.h"

namespace vexora {
namespace {

using namespace vexora::testing;

struct ArrayCase {
    const char* name;
    std::vector<Quad> (*quads)(int);
};
void PrintTo(const ArrayCase& c, std::ostream* os) { *os << c.name; }

class HomogeneousHalfSpace : public ::testing::TestWithParam<ArrayCase> {};

TEST_P(HomogeneousHalfSpace, GivesItsResistivity)
{
    constexpr int electrodes = 16;
    ProjectStore store = lineSurvey(electrodes, 1.0, GetParam().quads(electrodes));
    MessageLog log;
    ASSERT_EQ(buildMesh(store, log), Status::Ok) << log.plainText();
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(runJobForwardModel(store, log), Status::Ok) << log.plainText();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::vector<double> k = funGeometricFactor(store.survey, false);
    std::vector<double> error;
    for (std::size_t q = 0; q < k.size(); ++q)
        error.push_back(std::abs(k[q] * store.survey.quadrupoles.calcResistance[q] / 100.0 - 1));
    EXPECT_LE(median(error), 0.01);
    EXPECT_LE(*std::max_element(error.begin(), error.end()), 0.03);
    std::printf("%s: %zu quadrupoles, median %.4f%% max %.4f%%, %.2f s\n", GetParam().name, k.size(),
                100 * median(error), 100 * *std::max_element(error.begin(), error.end()), seconds);
}

INSTANTIATE_TEST_SUITE_P(Arrays, HomogeneousHalfSpace,
                         ::testing::Values(ArrayCase{"Wenner", wenner}, ArrayCase{"Schlumberger", schlumberger},
                                           ArrayCase{"DipoleDipole", dipoleDipole},
                                           ArrayCase{"PoleDipole", poleDipole}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vexora

namespace vexora {
namespace {

using namespace vexora::testing;

// 100 ohm m over 10 ohm m below 5 m, the interface on a mesh line; the
// electrodes on nodes, or moved off them by (offset, offset / 2).
class TwoLayers : public ::testing::TestWithParam<double> {};

TEST_P(TwoLayers, FollowTheImageSeries)
{
    constexpr int electrodes = 16;
    std::vector<Quad> quads;
    for (auto make : {wenner, schlumberger, dipoleDipole, poleDipole})
        for (const Quad& q : make(electrodes)) quads.push_back(q);
    ProjectStore store = lineSurvey(electrodes, 1.0, quads);
    for (Electrode& e : store.survey.electrodes) e.x += GetParam(), e.y += GetParam() / 2;
    setSettingText(store.settings, Item::ForegroundZMin, "-5");
    MessageLog log;
    ASSERT_EQ(buildMesh(store, log), Status::Ok) << log.plainText();
    setTwoLayers(store, 100, 10, 5);
    setSettingText(store.settings, Item::CpuThreads, "2");
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(runJobForwardModel(store, log), Status::Ok) << log.plainText();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::vector<double> error = twoLayerErrors(store, quads, 100, 10, 5);
    std::printf("two layers: %zu quadrupoles, median %.3f%% max %.3f%%, %.2f s\n", quads.size(), 100 * median(error),
                100 * *std::max_element(error.begin(), error.end()), seconds);
    EXPECT_LE(*std::max_element(error.begin(), error.end()), 0.03);
}

INSTANTIATE_TEST_SUITE_P(OnAndOffNodes, TwoLayers, ::testing::Values(0.0, 0.2));

}  // namespace
}  // namespace vexora

namespace vexora {
namespace {

using namespace vexora::testing;

// Every value of the survey run on the model `conductivityOf(block centre)`.
std::vector<double> run(ProjectStore& store, double (*conductivityOf)(const NodePoint&), MessageLog& log)
{
    EXPECT_EQ(buildMesh(store, log), Status::Ok) << log.plainText();
    for (std::size_t e = 0; e < store.models.conductivity.size(); ++e) {
        NodePoint c;
        for (std::int32_t n : store.mesh.elementNodes[e]) {
            const NodePoint& p = store.mesh.nodeGrid[static_cast<std::size_t>(n - 1)];
            c.x += p.x / 8, c.y += p.y / 8, c.z += p.z / 8;
        }
        store.models.conductivity[e] = conductivityOf(c);
    }
    EXPECT_EQ(runJobForwardModel(store, log), Status::Ok) << log.plainText();
    return store.survey.quadrupoles.calcResistance;
}

// A conductive box beside a resistive one under a line of 12 electrodes.
double twoBoxes(const NodePoint& c)
{
    if (c.x > 3 && c.x < 6 && c.z > -4 && c.z < -2) return 1.0 / 30;
    if (c.x > 7 && c.x < 9 && c.z > -3.5 && c.z < -2) return 1.0 / 300;
    return 0.01;
}

TEST(Reciprocity, ExchangingCurrentAndPotentialPairsKeepsVOverI)
{
    std::vector<Quad> quads = dipoleDipole(12);
    const std::size_t direct = quads.size();
    for (std::size_t k = 0; k < direct; ++k) quads.push_back({quads[k][2], quads[k][3], quads[k][0], quads[k][1]});
    ProjectStore store = lineSurvey(12, 1.0, quads);
    setSettingText(store.settings, Item::CpuThreads, "2");
    // Cells of a quarter of the electrode spacing: at half of it the pairs
    // most sensitive to the boxes still differ by up to 0.7 %.
    for (Item size : {Item::GridSizeX, Item::GridSizeY, Item::GridSizeZ}) setSettingText(store.settings, size, "0.25");
    MessageLog log;
    const std::vector<double> v = run(store, twoBoxes, log);
    double worst = 0;
    for (std::size_t k = 0; k < direct; ++k) worst = std::max(worst, std::abs(v[k + direct] / v[k] - 1));
    std::printf("reciprocity: %zu pairs, largest difference %.4f%%\n", direct, 100 * worst);
    EXPECT_LT(worst, 0.005);
}

double uniform(const NodePoint&)
{
    return 0.01;
}

TEST(ChargeableHalfSpace, GivesItsChargeabilityInTheDataUnits)
{
    ProjectStore store = lineSurvey(12, 1.0, dipoleDipole(12));
    setSettingText(store.settings, Item::ModelIp, "1");
    setSettingText(store.settings, Item::BackgroundIp, "50");  // 0.05 at the IP scale of 1000
    store.models.ipModelling = true;
    MessageLog log;
    run(store, uniform, log);
    ASSERT_TRUE(store.survey.present.calcIp);
    for (double ip : store.survey.quadrupoles.calcIp) EXPECT_NEAR(ip / 1000, 0.05, 0.0005);
}

TEST(TiltedPlane, GivesItsResistivityWithZAwareFactors)
{
    std::vector<Quad> quads;
    for (auto make : {wenner, dipoleDipole, poleDipole})
        for (const Quad& q : make(12)) quads.push_back(q);
    ProjectStore store = lineSurvey(12, 1.0, quads, 0.25);
    MessageLog log;
    const std::vector<double> v = run(store, uniform, log);
    ASSERT_TRUE(store.mesh.followsTerrain);
    const std::vector<double> k = funGeometricFactor(store.survey, false);
    double worst = 0;
    for (std::size_t q = 0; q < k.size(); ++q) worst = std::max(worst, std::abs(k[q] * v[q] / 100 - 1));
    std::printf("tilted plane: %zu quadrupoles, largest error %.4f%%\n", k.size(), 100 * worst);
    EXPECT_LT(worst, 0.05);
}

}  // namespace
}  // namespace vexora

namespace vexora {
namespace {

using namespace vexora::testing;

// Unit current at s below the plane z = slope x: images mirrored at that
// plane, potential at p for 100 ohm m.
double tiltedHalfSpacePotential(const NodePoint& s, const NodePoint& p, double slope)
{
    const double norm = std::sqrt(1 + slope * slope);
    const double nx = -slope / norm, nz = 1 / norm;
    const double height = s.x * nx + s.z * nz;
    const NodePoint image{s.x - 2 * height * nx, s.y, s.z - 2 * height * nz};
    auto distance = [&](const NodePoint& a) { return std::hypot(p.x - a.x, p.y - a.y, p.z - a.z); };
    return 100 / (4 * std::numbers::pi) * (1 / distance(s) + 1 / distance(image));
}

// Electrodes 1 m under a tilted surface: the half-space field about the
// horizontal plane through the surface above each source has a flux through
// the tilted surface, which the surface term must take back out.
TEST(TiltedPlane, BuriedElectrodesFollowTheTiltedImage)
{
    constexpr double slope = 0.25;
    const std::vector<Quad> quads = dipoleDipole(12);
    ProjectStore store = lineSurvey(12, 1.0, quads, slope);
    for (Electrode& e : store.survey.electrodes) e.z -= 1, e.type = 1;
    MessageLog log;
    const std::vector<double> v = run(store, uniform, log);
    const auto& el = store.survey.electrodes;
    auto at = [&](int number) { return NodePoint{el[number - 1].x, el[number - 1].y, el[number - 1].z}; };
    double worst = 0;
    for (std::size_t k = 0; k < quads.size(); ++k) {
        double exact = 0;
        for (int c = 0; c < 2; ++c)
            for (int m = 2; m < 4; ++m)
                exact +=
                    ((c == 0) == (m == 2) ? 1 : -1) * tiltedHalfSpacePotential(at(quads[k][c]), at(quads[k][m]), slope);
        worst = std::max(worst, std::abs(v[k] / exact - 1));
    }
    std::printf("buried under a tilted plane: %zu quadrupoles, largest error %.3f%%\n", quads.size(), 100 * worst);
    EXPECT_LT(worst, 0.02);
}

}  // namespace
}  // namespace vexora
