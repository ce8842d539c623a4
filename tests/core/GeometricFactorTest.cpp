#include <gtest/gtest.h>

#include <cmath>

#include "core/datafile/SurveyChecks.h"
#include "core/import/GeometricFactor.h"

namespace {

using namespace vexora;

constexpr double pi = kGeometricPi;

// Poles placed along a line in direction (cos t, sin t) with a slope in z.
struct LineLayout {
    double a, b, m, n;  // positions along the line; NAN for an absent pole
};

double factorOnLine(const LineLayout& l, double azimuth, double slope, bool ignoreZ, bool surface = true)
{
    const double along[4] = {l.a, l.b, l.m, l.n};
    Point3 pole[4];
    bool present[4];
    for (int p = 0; p < 4; ++p) {
        present[p] = !std::isnan(along[p]);
        const double s = present[p] ? along[p] : 0.0;
        // Horizontal run shrinks with the slope so that `s` is the 3D distance.
        const double run = s * std::cos(slope);
        pole[p] = {run * std::cos(azimuth), run * std::sin(azimuth), s * std::sin(slope)};
    }
    // Surface electrodes: the terrain passes through each current electrode.
    const double eA = surface ? pole[0].z : 0.0, eB = surface ? pole[1].z : 0.0;
    return geometricFactor(pole, present, eA, eB, ignoreZ);
}

struct ClosedForm {
    const char* name;
    LineLayout layout;
    double expected;
};

TEST(GeometricFactor, ClosedFormsOnFlatAndTiltedLines)
{
    const double a = 2.0, L = 10.0, l = 1.0;
    const int n = 3;
    const ClosedForm cases[] = {
        {"Wenner", {0, 3 * a, a, 2 * a}, 2 * pi * a},
        {"Schlumberger", {-L, L, -l, l}, pi * (L * L - l * l) / (2 * l)},
        {"dipole-dipole", {a, 0, a + n * a, 2 * a + n * a}, pi * n * (n + 1) * (n + 2) * a},
        // A before B: the potential difference, and so K, changes sign.
        {"dipole-dipole reversed", {0, a, a + n * a, 2 * a + n * a}, -pi * n * (n + 1) * (n + 2) * a},
        {"pole-dipole", {0, NAN, n * a, n * a + a}, 2 * pi * n * (n + 1) * a},
        {"pole-pole", {0, NAN, a, NAN}, 2 * pi * a},
    };
    for (const ClosedForm& c : cases) {
        for (double azimuth : {0.0, 0.7, 2.2}) {
            SCOPED_TRACE(std::string(c.name) + " azimuth " + std::to_string(azimuth));
            // Flat: z used or ignored gives the same factor.
            EXPECT_NEAR(factorOnLine(c.layout, azimuth, 0.0, false), c.expected, 1e-9 * std::abs(c.expected));
            EXPECT_NEAR(factorOnLine(c.layout, azimuth, 0.0, true), c.expected, 1e-9 * std::abs(c.expected));
            // A sloping surface line: with z the 3D spacing counts; without z
            // only its horizontal projection.
            const double slope = 0.3;
            EXPECT_NEAR(factorOnLine(c.layout, azimuth, slope, false), c.expected, 1e-9 * std::abs(c.expected));
            EXPECT_NEAR(factorOnLine(c.layout, azimuth, slope, true), c.expected * std::cos(slope),
                        1e-9 * std::abs(c.expected));
        }
    }
}

TEST(GeometricFactor, BuriedPolesUseTheirImageAboveTheTerrain)
{
    // Pole-pole in a vertical borehole below flat ground at z = 0:
    // K = 4 pi / (1/r + 1/r'), r' the distance from the image of A.
    Point3 pole[4] = {{0, 0, -10}, {}, {0, 0, -12}, {}};
    const bool present[4] = {true, false, true, false};
    const double expected = 4 * pi / (1.0 / 2.0 + 1.0 / 22.0);
    EXPECT_NEAR(geometricFactor(pole, present, 0.0, 0.0, false), expected, 1e-9 * expected);
    // Ignoring z collapses the borehole to one point: cannot be computed.
    EXPECT_EQ(geometricFactor(pole, present, 0.0, 0.0, true), kCannotCompute);
}

TEST(GeometricFactor, MarksFactorsThatCannotBeComputed)
{
    const bool all[4] = {true, true, true, true};
    // M on top of A.
    Point3 coincident[4] = {{0, 0, 0}, {6, 0, 0}, {0, 0, 0}, {4, 0, 0}};
    EXPECT_EQ(geometricFactor(coincident, all, 0, 0, false), kCannotCompute);
    // M and N on the perpendicular bisector of AB: zero potential difference.
    Point3 bisector[4] = {{-1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 3, 0}};
    EXPECT_EQ(geometricFactor(bisector, all, 0, 0, false), kCannotCompute);
}

TEST(GeometricFactor, SurveyFactorsFollowTheElectrodeTable)
{
    Survey s;
    s.cableNames = {"1"};
    for (int e = 1; e <= 4; ++e) s.electrodes.push_back({1, e, 2.0 * (e - 1), 0, 0, 0, 2});
    MessageLog log;
    ASSERT_EQ(funCreateElecTable(s, log), Status::Ok);
    Quadrupole wenner{1, {{1, 1}, {1, 4}, {1, 2}, {1, 3}}};
    Quadrupole missingB{2, {{1, 1}, {0, 0}, {1, 2}, {1, 3}}};  // absent pole: at infinity
    s.quadrupoles.rows = {wenner, missingB};
    const std::vector<double> k = funGeometricFactor(s, false);
    ASSERT_EQ(k.size(), 2u);
    EXPECT_NEAR(k[0], 2 * pi * 2.0, 1e-9);
    EXPECT_NEAR(k[1], 2 * pi * 1 * 2 * 2.0, 1e-9);  // pole-dipole, n = 1, a = 2
}

}  // namespace
