#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "ForwardTestSupport.h"
#include "engine/forward/GroundSolidAngle.h"

namespace vexora {
namespace {

using namespace vexora::testing;
constexpr double kPi = std::numbers::pi;

struct Ground {
    const char* name;
    std::function<double(double, double)> height;
    double omega;
};

// The solid angle against its closed form: planes of any tilt fill a half
// space, a slope break rising away by g adds 2 atan g per side, a cone of
// slope g gives 2 pi (1 + sin atan g).
TEST(GroundSolidAngle, MatchesTheClosedForms)
{
    const auto cone = [](double g) { return [g](double x, double y) { return g * std::hypot(x, y); }; };
    const Ground cases[] = {
        {"flat", [](double, double) { return 0.0; }, 2 * kPi},
        {"tilted plane", [](double x, double y) { return 0.3 * x - 0.2 * y; }, 2 * kPi},
        {"foot of a 10 % slope", [](double x, double) { return x > 0 ? 0.1 * x : 0.0; }, 2 * kPi + 2 * std::atan(0.1)},
        {"top of a 10 % slope", [](double x, double) { return x < 0 ? 0.1 * x : 0.0; }, 2 * kPi - 2 * std::atan(0.1)},
        {"valley between 30 % slopes", [](double x, double) { return 0.3 * std::abs(x); }, 2 * kPi + 4 * std::atan(0.3)},
        {"hill top", cone(-0.2), 2 * kPi * (1 - std::sin(std::atan(0.2)))},
        {"pit", cone(0.5), 2 * kPi * (1 + std::sin(std::atan(0.5)))},
    };
    for (const Ground& g : cases) EXPECT_NEAR(groundSolidAngle(g.height, 0.01), g.omega, 1e-4) << g.name;
}

// Flat, a 10 % slope from x = 2 to x = 8, flat again: the topography has a
// point at every half metre across the line, so the mesh's surface breaks at
// x = 2 and 8 as the profile does.
double profile(double x) { return x <= 2 ? 0.0 : x >= 8 ? 0.6 : 0.1 * (x - 2); }

ProjectStore kinkedLine(const std::vector<Quad>& quads)
{
    std::vector<TopographyPoint> topography;
    for (double x = -40; x <= 50; x += (x >= -2 && x < 12) ? 0.5 : 2.5)
        for (double y = -40; y <= 40; y += 2.5) topography.push_back({x, y, profile(x)});
    return lineSurvey(11, 1.0, quads, profile, std::move(topography));
}

// Reciprocity holds for the exact solution: the pole-pole transfer resistance
// from A to M equals that from M to A. A source on a slope break whose primary
// field assumed a half-space broke it by the ratio of the solid angles
// (3.2 % at a 10 % slope); the receivers' side has no such error.
TEST(TerrainSources, PolePoleReciprocityHoldsAcrossSlopeBreaks)
{
    // Electrode k sits at x = k - 1: 3 at the foot, 9 at the top of the slope.
    const std::vector<Quad> quads{{3, 0, 7, 0}, {7, 0, 3, 0}, {9, 0, 5, 0}, {5, 0, 9, 0}, {3, 0, 9, 0}, {9, 0, 3, 0}};
    ProjectStore store = kinkedLine(quads);
    MessageLog log;
    ASSERT_EQ(buildMesh(store, log), Status::Ok) << log.plainText();
    ASSERT_EQ(runJobForwardModel(store, log), Status::Ok) << log.plainText();
    const std::vector<double>& r = store.survey.quadrupoles.calcResistance;
    for (std::size_t q = 0; q < quads.size(); q += 2)
        EXPECT_NEAR(r[q] / r[q + 1], 1.0, 0.005) << "electrodes " << quads[q][0] << " and " << quads[q][2];
}

}  // namespace
}  // namespace vexora
