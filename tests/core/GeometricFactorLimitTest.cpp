#include <gtest/gtest.h>

#include "core/import/GeometricFactor.h"
#include "core/qc/GeometricFactorLimit.h"
#include "support/PointSurvey.h"

using namespace vexora;

namespace {

// One surface line (electrodes 1..4 at x = 0..3) and three cross-line
// electrodes: 5 and 6 at y = 1, 7 at y = 2. Quadrupoles: a dipole-dipole
// (K = -18.85 m, 7/3 of its terms left after cancellation), a Wenner (6.28 m,
// one third), a cross-line dipole 1 mm off the equipotential of A-B (-8886 m)
// and one exactly on it (K cannot be computed).
Survey crossLineSurvey()
{
    return vexora::testing::pointSurvey({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {1.001, 1}, {1, 1}, {1, 2}},
                                {{1, 2, 3, 4}, {1, 4, 2, 3}, {1, 3, 5, 7}, {1, 3, 6, 7}});
}

}  // namespace

TEST(GeometricFactorLimit, CountsNearNullQuadrupolesAboveTheLimit)
{
    const Survey survey = crossLineSurvey();
    const struct {
        double limit;
        std::size_t count;
    } cases[] = {{5000, 2}, {10, 3}, {5, 4}, {1e12, 1}};
    for (const auto& c : cases) EXPECT_EQ(countAboveGeometricLimit(survey, c.limit), c.count) << c.limit;

    SettingsTable settings = defaultSettingsTable();
    EXPECT_EQ(geometricLimitLine(survey, settings), "quadrupoles with |K| above 5000 m: 2");
    setSettingText(settings, Item::GeometricFactorLimit, "12.5");
    EXPECT_EQ(geometricLimitLine(survey, settings), "quadrupoles with |K| above 12.5 m: 3");
}

TEST(GeometricFactorLimit, CancellationIsKOverTheUncancelledFactor)
{
    const std::vector<double> c = cancellationFactors(crossLineSurvey());
    ASSERT_EQ(c.size(), 4u);
    EXPECT_NEAR(c[0], 7.0, 1e-12);
    EXPECT_NEAR(c[1], 3.0, 1e-12);
    EXPECT_NEAR(c[2], 3264.91, 0.01);
    EXPECT_EQ(c[3], kCannotCompute);
}
