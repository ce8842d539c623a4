#include <gtest/gtest.h>

#include <cstring>

#include "support/SmallSurvey.h"
#include "core/datafile/ScheduleLoader.h"
#include "core/fielddata/SurveyView3D.h"
#include "core/platform/ScriptedQuestions.h"

namespace vexora {
namespace {

void expectNear(const ViewPoint& got, const ViewPoint& expected, const char* what)
{
    for (std::size_t k = 0; k < 3; ++k) EXPECT_NEAR(got[k], expected[k], 1e-12) << what << " axis " << k;
}

// Each turn on its own pair of axes, by hand: a quarter turn about the
// centre (1, 1, 1) of the point (2, 3, 5), offsets (1, 2, 4).
TEST(SurveyView3D, TurnsFollowTheStatedFormulas)
{
    const ViewPoint centre{1, 1, 1}, point{2, 3, 5};
    // About X: y' = sin a (z - zc) + yc = 5, z' = -sin a (y - yc) + zc = -1.
    expectNear(turnAbout(point, centre, {90, 0, 0}), {2, 5, -1}, "theta");
    // About Y: x' = (z - zc) + xc = 5, z' = -(x - xc) + zc = 0.
    expectNear(turnAbout(point, centre, {0, 90, 0}), {5, 3, 0}, "gamma");
    // About Z: x' = (y - yc) + xc = 3, y' = -(x - xc) + yc = 0.
    expectNear(turnAbout(point, centre, {0, 0, 90}), {3, 0, 5}, "phi");
    // In order X, Y, Z: (2, 5, -1), then (-1, 5, 0), then (5, 3, 0).
    expectNear(turnAbout(point, centre, {90, 90, 90}), {5, 3, 0}, "all three");
    // Half a turn about Z twice comes back.
    expectNear(turnAbout(turnAbout(point, centre, {0, 0, 180}), centre, {0, 0, 180}), point, "back");
}

TEST(SurveyView3D, PointsLandOnHandComputedPixels)
{
    const ViewPoint flat[] = {{0, 0, 0}, {10, 0, 0}, {10, 5, 0}};
    PictureFrame frame{101, 101, 1, ViewProjection::Orthographic};
    // Extent 10 by 5 onto 100 by 100 pixels: one scale, 10 pixels per unit,
    // centred; y up.
    std::vector<ScreenPoint> at = projectToPicture(flat, {5, 2.5, 0}, {}, frame);
    EXPECT_EQ(at[0].x, 0);
    EXPECT_EQ(at[0].y, 75);
    EXPECT_EQ(at[1].x, 100);
    EXPECT_EQ(at[1].y, 75);
    EXPECT_EQ(at[2].x, 100);
    EXPECT_EQ(at[2].y, 25);
    // Zoom 2 about the middle.
    frame.zoom = 2;
    at = projectToPicture(flat, {5, 2.5, 0}, {}, frame);
    EXPECT_EQ(at[0].x, -50);
    EXPECT_EQ(at[0].y, 100);
    // One point: no extent, the middle of the picture.
    const ViewPoint one[] = {{3, 4, 5}};
    at = projectToPicture(one, {3, 4, 5}, {}, {81, 61, 1, ViewProjection::Orthographic});
    EXPECT_EQ(at[0].x, 40);
    EXPECT_EQ(at[0].y, 30);
    // Perspective from 2.5 extents (5 units) away: the nearer point by
    // 5 / (5 - 1), the farther by 5 / (5 + 1).
    const ViewPoint deep[] = {{-1, 0, -1}, {1, 0, 1}};
    at = projectToPicture(deep, {0, 0, 0}, {}, {101, 101, 1, ViewProjection::Perspective});
    EXPECT_EQ(at[0].x, 8);    // 50 - 50 * 5 / 6 = 8.33
    EXPECT_EQ(at[1].x, 113);  // 50 + 50 * 1.25 = 112.5
    EXPECT_EQ(farthestFirst(at), (std::vector<std::size_t>{0, 1}));
}

TEST(SurveyView3D, PresetPlanesShowTheirAxesFaceOn)
{
    // A point east, one north, one up of the origin.
    const ViewPoint points[] = {{0, 0, 0}, {4, 0, 0}, {0, 4, 0}, {0, 0, 4}};
    const PictureFrame frame{101, 101, 1, ViewProjection::Orthographic};
    const struct {
        ViewPlane plane;
        std::size_t right, up, nearer;  // the point to the right, the one above, the one nearest the viewer
    } cases[] = {{ViewPlane::XY, 1, 2, 3}, {ViewPlane::ZX, 1, 3, 0}, {ViewPlane::ZY, 2, 3, 1}};
    for (const auto& c : cases) {
        const std::vector<ScreenPoint> at = projectToPicture(points, {0, 0, 0}, planeTurn(c.plane), frame);
        EXPECT_GT(at[c.right].x, at[0].x) << int(c.plane);
        EXPECT_LT(at[c.up].y, at[0].y) << int(c.plane);
        const auto order = farthestFirst(at);
        if (c.nearer != 0) {
            EXPECT_EQ(order.back(), c.nearer) << int(c.plane);
        }
    }
}

class SurveyView3DSurvey : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string text = testing::smallHeader() + "#elec_start\r\n";
        for (int i = 1; i <= 8; ++i) text += "L " + std::to_string(i) + " " + std::to_string(2 * (i - 1)) + " 0 10\r\n";
        text += "Rem 1 -500 0 10\r\n#elec_end\r\n#data_start\r\n"
                "1 L 1 L 4 L 2 L 3 0.5 10 5 100 0\r\n"    // Wenner a = 2
                "2 L 1 Rem 1 L 2 L 3 0.4 8 4 100 0\r\n"   // pole-dipole n = 1
                "3 Rem 1 Rem 1 L 2 L 3 0.4 8 4 100 0\r\n" // no current electrode on the line
                "#data_end\r\n";
        ScriptedQuestions questions;
        questions.setDefaultAnswer(true);
        store.type = ProjectType::DataInversion;
        ASSERT_EQ(loadScheduleText(store, text, {"line.data", store.type}, log, questions), LoadStatus::Loaded)
            << log.plainText();
    }
    ProjectStore store;
    MessageLog log;
};

TEST_F(SurveyView3DSurvey, MeasurementsSitBelowTheirArraysAndAreSelected)
{
    // The remote pole 500 m off does not pull the centre of the view.
    expectNear(barycentre(store.survey), {7, 0, 10}, "barycentre");
    const std::vector<std::optional<ViewPoint>> points = measurementPoints(store.survey);
    ASSERT_EQ(points.size(), 3u);
    ASSERT_TRUE(points[0] && points[1]);
    EXPECT_FALSE(points[2]);
    // Wenner a = 2 centred at x = 3, 0.519 a below the electrodes' height 10.
    EXPECT_NEAR((*points[0])[0], 3, 1e-12);
    EXPECT_NEAR((*points[0])[2], 10 - 2 * 0.519, 0.003);
    // Pole-dipole: midway between A (0) and the centre of M N (3), the remote left out.
    EXPECT_NEAR((*points[1])[0], 1.5, 1e-12);
    EXPECT_NEAR((*points[1])[2], 10 - 2 * 0.519, 0.003);

    EXPECT_EQ(selectInBand(points, BandAxis::X, 4, 1.5), (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(selectInBand(points, BandAxis::X, 2, 4), (std::vector<std::size_t>{0}));
    EXPECT_TRUE(selectInBand(points, BandAxis::Y, 1, 2).empty());

    const std::string said = selectionDescription(store.survey, 2, 0, points[0]);
    EXPECT_EQ(said.rfind("Sel. 2 Qp. ID 1: A 1-1, B 1-4, M 1-2, N 1-3", 0), 0u) << said;
    // Wenner: rho = 2 pi a V/I (pi to five figures, as every factor here); V is V/I times 100 mA.
    const auto number = [&](const char* label) { return std::stod(said.substr(said.find(label) + std::strlen(label))); };
    EXPECT_NEAR(number("rho = "), store.survey.quadrupoles.resistance[0] * 2 * 3.1416 * 2, 1e-9) << said;
    EXPECT_NEAR(number("v = "), store.survey.quadrupoles.resistance[0] * 100, 1e-9) << said;
    EXPECT_NE(said.find("i = 100 mA"), std::string::npos) << said;
    EXPECT_NE(said.find("at x = 3.00, y = 0.00"), std::string::npos) << said;
}

TEST(SurveyView3D, TheMouseTakesTheNearestPointWithinReach)
{
    const std::vector<ScreenPoint> drawn = {{10, 10, 0}, {14, 10, 0}, {14, 10, 5}, {40, 40, 0}};
    EXPECT_EQ(pickNearest(drawn, 11, 10, 3), 0u);
    EXPECT_EQ(pickNearest(drawn, 14, 11, 3), 2u);  // two at one pixel: the nearer the viewer
    EXPECT_FALSE(pickNearest(drawn, 25, 25, 3));
}

}  // namespace
}  // namespace vexora
