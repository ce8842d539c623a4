#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/settings/LenientNumber.h"
#include "core/settings/NumberText.h"

using namespace vexora;

TEST(LenientNumber, ReadsTheLongestLeadingNumber)
{
    const std::pair<const char*, double> cases[] = {
        {"3", 3},         {" 2.9 ", 2.9},   {"-1", -1},      {"+4.5e1x", 45},  {".5", 0.5},
        {"1e", 1},        {"7-3", 7},       {"12abc", 12},   {"abc", 0},       {"", 0},
        {"-", 0},         {".", 0},         {"inf", 0},      {"nan", 0},       {"0x10", 0},
        {"1,5", 1},       {"\t6", 6},       {"1e-400", 0},   {"-0.25", -0.25}, {"1.0E-7", 1e-7},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(lenientNumber(text), expected) << text;
    EXPECT_EQ(lenientNumber("1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(lenientNumber("-1e999"), -std::numeric_limits<double>::infinity());
}

TEST(LenientNumber, RoundsAndNarrows)
{
    const std::pair<double, int> halves[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-2.5, -2}, {2.51, 3}, {-0.4, 0}};
    for (const auto& [v, expected] : halves) EXPECT_EQ(roundHalfEven(v), expected) << v;
    EXPECT_EQ(roundHalfEven(1e300), std::numeric_limits<int>::max());
    EXPECT_EQ(roundHalfEven(std::nan("")), 0);

    EXPECT_EQ(toInt16Truncated(2.9), 2);
    EXPECT_EQ(toInt16Truncated(-2.9), -2);
    EXPECT_EQ(toInt16Truncated(32767.9), 32767);
    EXPECT_EQ(toInt16Truncated(-32768.5), -32768);
    EXPECT_FALSE(toInt16Truncated(32768));
    EXPECT_FALSE(toInt16Truncated(70000));
    EXPECT_FALSE(toInt16Truncated(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(toInt16Truncated(std::nan("")));
    EXPECT_EQ(toInt16Rounded(32766.5), 32766);
    EXPECT_FALSE(toInt16Rounded(32767.5));
}

TEST(NumberText, ShortestAndFixedForms)
{
    EXPECT_EQ(formatNumber(0.5), "0.5");
    EXPECT_EQ(formatNumber(100), "100");
    EXPECT_EQ(formatNumber(1e-7), "1e-07");
    EXPECT_EQ(formatNumber(-3.25), "-3.25");
    EXPECT_EQ(formatFixed(123.45, 1), "123.5");
    EXPECT_EQ(formatFixed(-0.04, 1), "0.0");
}
