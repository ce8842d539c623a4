#include <gtest/gtest.h>

#include "core/qc/DataErrors.h"
#include "engine/inversion/InversionSettings.h"
#include "support/PointSurvey.h"

namespace vexora {
namespace {

// A Wenner on a line (its terms cancel to one third) and a cross-line
// dipole 1 mm off the equipotential of its current dipole (to 1/3265);
// the Wenner has a standard deviation, the cross-line dipole none.
Survey wennerAndNearNull()
{
    Survey s = vexora::testing::pointSurvey({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {1.001, 1}, {1, 2}}, {{1, 4, 2, 3}, {1, 3, 5, 6}});
    s.quadrupoles.resistance = {16.0, 0.01};
    s.quadrupoles.resistanceStd = {0.32, 0.0};
    s.present.resistance = s.present.resistanceStd = true;
    return s;
}

TEST(DataErrors, PotentialTermWeighsNearNullDataDownAndIsExactlyOffByDefault)
{
    const Survey survey = wennerAndNearNull();
    const std::vector<std::size_t> rows{0, 1};
    InversionSettings settings;
    MessageLog log;
    ASSERT_EQ(readInversionSettings(defaultSettingsTable(), settings, log), Status::Ok);
    ASSERT_EQ(settings.rho.errors.potentialPercent, 0.0);

    std::size_t fallbacks = 0;
    const std::vector<double> off = surveyErrors(survey, rows, settings.rho.errors, fallbacks);
    const std::vector<double> deviation{0.32, 0.0}, measured{16.0, 0.01};
    std::size_t expectedFallbacks = 0;
    EXPECT_EQ(off, relativeErrors(measured, deviation, settings.rho.errors, expectedFallbacks));  // bit for bit
    EXPECT_EQ(fallbacks, 1u);

    ErrorModel on = settings.rho.errors;
    on.potentialPercent = 0.1;
    const std::vector<double> with = surveyErrors(survey, rows, on, fallbacks);
    EXPECT_NEAR(with[0] - off[0], 0.003, 1e-12);  // a Wenner: 3 G %
    EXPECT_NEAR(with[1] - off[1], 3.265, 0.001);  // near null: its weight drops about 50 times
}

}  // namespace
}  // namespace vexora
