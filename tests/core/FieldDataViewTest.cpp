// The 3D view's turns and pixel mapping against pixels worked out by hand.

#include <gtest/gtest.h>

#include <cmath>

#include "core/datafile/SurveyChecks.h"
#include "core/fielddata/PointView.h"

namespace vexora {
namespace {

TEST(FieldDataView, TurnsAndPixelsByHand)
{
    const std::vector<Point3> points = {{0, 0, 0}, {10, 0, 0}, {10, 0, 5}};
    const Point3 centre{5, 0, 2.5};
    struct Case {
        const char* what;
        ViewAngles angles;
        int width, height, margin;
        double zoom;
        std::vector<Pixel> pixels;
    };
    const Case cases[] = {
        {"front view", {}, 101, 51, 0, 1, {{0, 50}, {100, 50}, {100, 0}}},
        // x' = z + 2.5, z' = 7.5 - x
        {"90 degrees about Y", {0, 90, 0}, 101, 51, 0, 1, {{0, 0}, {0, 50}, {100, 50}}},
        // z' = 2.5 - y: no height left, the middle row
        {"90 degrees about X", {90, 0, 0}, 101, 51, 0, 1, {{0, 25}, {100, 25}, {100, 25}}},
        // x' = y + 5: no width left, the middle column
        {"90 degrees about Z", {0, 0, 90}, 101, 51, 0, 1, {{50, 50}, {50, 50}, {50, 0}}},
        {"half zoom about the centre (50, 25)", {}, 101, 51, 0, 0.5, {{25, 38}, {75, 38}, {75, 13}}},
        {"ten pixels of margin", {}, 121, 71, 10, 1, {{10, 60}, {110, 60}, {110, 10}}},
    };
    for (const Case& c : cases) {
        std::vector<Point3> turned;
        for (const Point3& p : points) turned.push_back(rotatePoint(p, centre, c.angles));
        EXPECT_EQ(mapToPixels(turned, c.width, c.height, c.margin, c.zoom, false), c.pixels) << c.what;
    }
    // 30 degrees about X turns (y, z) = (0, 5) about (0, 2.5) to (1.25, 2.165...).
    const Point3 r = rotatePoint({0, 0, 5}, centre, {30, 0, 0});
    EXPECT_NEAR(r.y, 2.5 * 0.5, 1e-12);
    EXPECT_NEAR(r.z, 2.5 * std::cos(M_PI / 6) + 2.5, 1e-12);
}

TEST(FieldDataView, PerspectiveSpreadsTheNearerPoints)
{
    // Same place on the screen, y 0 (far) and 10 (near).
    const std::vector<Point3> points = {{0, 0, 0}, {0, 10, 0}, {10, 0, 10}, {10, 10, 10}};
    const std::vector<Pixel> p = mapToPixels(points, 101, 101, 0, 1, true);
    EXPECT_EQ(p[0], (Pixel{10, 90}));  // 50 - 50 * 0.8
    EXPECT_EQ(p[1], (Pixel{-10, 110}));  // 50 - 50 * 1.2
    EXPECT_EQ(p[3], (Pixel{110, -10}));
}

TEST(FieldDataView, BarycentreLeavesRemotesOutAndPointsSitBelowTheirPoles)
{
    Survey s;
    s.cableNames = {"L", "Rem_1"};
    for (int e = 1; e <= 4; ++e) s.electrodes.push_back({1, e, 2.0 * (e - 1), 0, 0, 0, 2});
    s.electrodes.push_back({2, 2, -1000, 0, 0, 0, 2});
    MessageLog log;
    ASSERT_EQ(funCreateElecTable(s, log), Status::Ok);
    const Point3 c = electrodeBarycentre(s);
    EXPECT_DOUBLE_EQ(c.x, 3.0);
    s.quadrupoles.rows = {{1, {{1, 1}, {1, 2}, {1, 3}, {1, 4}}}, {2, {{1, 1}, {2, 2}, {1, 2}, {1, 3}}}};
    const std::vector<Point3> points = measurementPoints(s);
    EXPECT_DOUBLE_EQ(points[0].x, 3.0);
    EXPECT_DOUBLE_EQ(points[0].z, -1.5);  // a quarter of 6 m
    EXPECT_DOUBLE_EQ(points[1].x, 2.0);  // the remote B left out
    EXPECT_DOUBLE_EQ(points[1].z, -1.0);
}

}  // namespace
}  // namespace vexora
