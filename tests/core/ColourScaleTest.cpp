#include <gtest/gtest.h>

#include "core/qc/ColourScale.h"

namespace vexora {
namespace {

TEST(ColourScale, PositionsTicksAndLimits)
{
    const ColourScale log{ColourMap::Sequential, 10, 1000, true};
    EXPECT_DOUBLE_EQ(log.position(100), 0.5);
    EXPECT_DOUBLE_EQ(log.position(1), 0);  // clamped
    EXPECT_EQ(log.colour(1e6), (Rgb{0xfd, 0xe7, 0x25}));
    EXPECT_EQ(log.ticks(), (std::vector<double>{10, 20, 50, 100, 200, 500, 1000}));
    EXPECT_EQ((ColourScale{ColourMap::Sequential, 1, 1e5, true}.ticks()),
              (std::vector<double>{1, 10, 100, 1000, 10000, 100000}));
    EXPECT_EQ((ColourScale{ColourMap::Sequential, -3, 7, false}.ticks(5)), (std::vector<double>{-2, 0, 2, 4, 6}));

    // The extreme 2 % at each end do not stretch the scale; a diverging one is symmetric about 0.
    std::vector<double> values(100);
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<double>(i);
    values.back() = 1e9;
    const ColourScale robust = scaleFor(values, ColourMap::Sequential, false);
    EXPECT_NEAR(robust.low, 1.98, 1e-9);
    EXPECT_NEAR(robust.high, 97.02, 1e-9);
    const ColourScale diverging = scaleFor({-5, 1, 2, 3, 20}, ColourMap::Diverging, false);
    EXPECT_DOUBLE_EQ(diverging.low, -diverging.high);
    EXPECT_EQ(diverging.colour(0), (Rgb{0xf7, 0xf7, 0xf7}));
}

// Scales a colour bar must label in a few ticks, never in an endless loop:
// nothing to show on a log scale (every apparent resistivity negative), a
// log scale reaching zero, and limits closer than the spacing of doubles.
TEST(ColourScale, DegenerateScalesGiveFewTicks)
{
    const ColourScale empty = scaleFor({-3, -1}, ColourMap::Sequential, true);
    EXPECT_EQ(empty.ticks(), (std::vector<double>{1, 2, 5, 10}));
    const ColourScale cases[] = {{ColourMap::Sequential, 0, 1, true},
                                 {ColourMap::Sequential, 1e6, 1e6 + 1e-9, false},
                                 {ColourMap::Sequential, 1e300, 1e308, false},
                                 {ColourMap::Sequential, -1e308, 1e308, false}};
    for (const ColourScale& c : cases) {
        const std::vector<double> ticks = c.ticks();
        EXPECT_LE(ticks.size(), 25u) << c.low << " " << c.high;
        EXPECT_FALSE(ticks.empty()) << c.low << " " << c.high;
    }
}

}  // namespace
}  // namespace vexora
