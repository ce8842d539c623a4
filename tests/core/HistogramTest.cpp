#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <random>

#include "core/qc/Histogram.h"

namespace {

using namespace vexora;

HistogramModel plot(std::vector<double> values, const char* quantity = "V/I")
{
    HistogramModel model;
    MessageLog log;
    EXPECT_EQ(funPlotHistogram(std::move(values), quantity, model, log), Status::Ok) << log.plainText();
    return model;
}

std::vector<std::int32_t> counts(const HistogramModel& m)
{
    std::vector<std::int32_t> c;
    for (const HistogramBin& b : m.bins) c.push_back(b.count);
    return c;
}

TEST(Histogram, Statistics)
{
    struct Case {
        std::vector<double> values;
        double min, max, mean, median, stdDev;
    };
    for (const Case& c : std::vector<Case>{
                 {{4, 1, 3, 2}, 1, 4, 2.5, 2, std::sqrt(5.0 / 3)},  // even count: lower middle value
                 {{5, 1, 3}, 1, 5, 3, 3, 2},
                 {{-2, 7}, -2, 7, 2.5, -2, std::sqrt(40.5)},
                 {{7}, 7, 7, 7, 7, 0},  // one value: no spread, no division by zero
             }) {
        const HistogramModel m = plot(c.values);
        EXPECT_DOUBLE_EQ(m.stats.min, c.min);
        EXPECT_DOUBLE_EQ(m.stats.max, c.max);
        EXPECT_DOUBLE_EQ(m.stats.mean, c.mean);
        EXPECT_DOUBLE_EQ(m.stats.median, c.median);
        EXPECT_NEAR(m.stats.stdDev, c.stdDev, 1e-12);
        EXPECT_TRUE(std::is_sorted(m.values.begin(), m.values.end()));
    }
}

TEST(Histogram, ScottBinsAndEdges)
{
    // 0..9: sigma = sqrt(82.5 / 9), width0 = 3.5 sigma / 10^(1/3) = 4.92, 9 / 4.92 -> 2 bars of 4.5.
    const HistogramModel m = plot({9, 8, 7, 6, 5, 4, 3, 2, 1, 0});
    ASSERT_EQ(m.binCount, 2);
    EXPECT_DOUBLE_EQ(m.binWidth, 4.5);
    EXPECT_DOUBLE_EQ(m.bins[1].lower, 4.5);
    EXPECT_DOUBLE_EQ(m.bins[1].upper, 9);
    EXPECT_EQ(counts(m), (std::vector<std::int32_t>{5, 5}));
    EXPECT_EQ(barLabel(m, 1), "5 of 10 (50.00%) in the range (4.500000; 9.000000)");
}

TEST(Histogram, ReplotWithTypedWidth)
{
    struct Case {
        const char* width;
        std::vector<std::int32_t> counts;
        std::string message;
    };
    for (const Case& c : std::vector<Case>{
                 {"3", {3, 3, 4}, ""},             // divides evenly: the maximum lands in the last bar
                 {"2", {2, 2, 2, 2, 2}, ""},       // 9 / 2 = 4.5: one more bar
                 {"20", {10}, ""},
                 {"0.0001", {5, 5}, "Number of bins > 10000. Defaults restored."},
                 {"0", {5, 5}, "Number of bins > 10000. Defaults restored."},
             }) {
        HistogramModel m = plot({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
        EXPECT_EQ(funReplotHistogram(m, c.width, "0:1:10", "0:1:6"), c.message) << c.width;
        EXPECT_EQ(counts(m), c.counts) << c.width;
        EXPECT_EQ(std::accumulate(c.counts.begin(), c.counts.end(), 0), 10);
    }
}

TEST(Histogram, ReplotRefusesBadAxesAndKeepsThePlot)
{
    struct Case {
        const char* x;
        const char* y;
        const char* message;
    };
    for (const Case& c : std::vector<Case>{{"abc", "0:1:5", "Invalid range in X axis specification."},
                                           {"0:1", "0:1:5", "Invalid range in X axis specification."},
                                           {"5:1:0", "0:1:5", "Invalid range in X axis specification."},
                                           {"0:1:10", "0:0:5", "Invalid range in Y axis specification."},
                                           {"0:1:10", "1:1:10", "Y axis should start from 0"}}) {
        HistogramModel m = plot({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
        const AxisRange before = m.xAxis;
        EXPECT_EQ(funReplotHistogram(m, "3", c.x, c.y), c.message) << c.x << " " << c.y;
        EXPECT_EQ(m.binCount, 2);
        EXPECT_DOUBLE_EQ(m.xAxis.first, before.first);
    }
}

TEST(Histogram, AxisTicks)
{
    EXPECT_EQ(axisTicks(*parseAxisText("0:0.1:0.3")).size(), 4u);  // 0.3 / 0.1 is 2.9999...
    EXPECT_EQ(axisTicks(*parseAxisText(" -10 : 5 : 10 ")), (std::vector<double>{-10, -5, 0, 5, 10}));
    EXPECT_FALSE(parseAxisText("0:1e-9:1"));  // a billion ticks
    const AxisRange nice = niceAxis(0.13, 0.87, 5);
    EXPECT_DOUBLE_EQ(nice.step, 0.2);
    EXPECT_NEAR(nice.first, 0.0, 1e-15);
    EXPECT_NEAR(nice.last, 1.0, 1e-15);
}

TEST(Histogram, BadValues)
{
    // Equal values: one bar centred on them.
    const HistogramModel equal = plot({5, 5, 5});
    ASSERT_EQ(equal.binCount, 1);
    EXPECT_EQ(equal.bins[0].count, 3);
    EXPECT_LT(equal.bins[0].lower, 5);
    EXPECT_GT(equal.bins[0].upper, 5);
    EXPECT_EQ(equal.stats.stdDev, 0);

    HistogramModel m;
    MessageLog log;
    ASSERT_EQ(funPlotHistogram({1, NAN, 1e9, 2, INFINITY}, "Rho", m, log), Status::Ok);
    EXPECT_EQ(m.stats.count, 2u);
    EXPECT_EQ(m.stats.excludedNotComputed, 1u);
    EXPECT_EQ(m.stats.excludedNotANumber, 2u);
    EXPECT_NE(log.plainText().find("Warning: funPlotHistogram: 1 values not computed (1000000000) and 2 values not "
                                   "a number left out of the Rho histogram."),
              std::string::npos);

    MessageLog empty;
    EXPECT_EQ(funPlotHistogram({}, "V", m, empty), Status::Error);
    EXPECT_NE(empty.plainText().find("No V values to plot."), std::string::npos);
    EXPECT_EQ(funPlotHistogram({1e9}, "V", m, empty), Status::Error);
    EXPECT_EQ(funPlotHistogram({1}, "ohm", m, empty), Status::Error);

    // A spread beyond the largest double: refused with a message, the plot kept.
    const HistogramModel before = m;
    MessageLog huge;
    EXPECT_EQ(funPlotHistogram({-1e308, 0, 1e308}, "Rho", m, huge), Status::Error);
    EXPECT_NE(huge.plainText().find("The Rho values span -1e+308 to 1e+308, more than a histogram can divide into "
                                    "bins. No histogram plotted."),
              std::string::npos)
        << huge.plainText();
    EXPECT_EQ(m.values, before.values);
    // Near the limit but finite, the variance alone overflows: one bar, no crash.
    ASSERT_EQ(funPlotHistogram({-4e307, 4e307}, "Rho", m, huge), Status::Ok);
    EXPECT_GE(m.binCount, 1);
}

TEST(Histogram, QuantitiesAndFilter)
{
    struct Case {
        const char* name;
        const char* unit;
        int decimals;
    };
    for (const Case& c : std::vector<Case>{{"V/I", "V/I (Ohm)", 6}, {"V", "V (mV)", 3}, {"I", "I (mA)", 3},
                                           {"K", "K", 3}, {"Rho", "Rho (Ohm m)", 3}, {"q", "q", 3},
                                           {"IP", "IP", 3}}) {
        const auto q = histogramQuantity(c.name);
        ASSERT_TRUE(q);
        EXPECT_EQ(q->unitLabel, c.unit);
        EXPECT_EQ(q->decimals, c.decimals);
    }
    HistogramModel m = plot({1, 2, 3, 4, 5, 6}, "Rho");
    EXPECT_DOUBLE_EQ(m.filterMin, 1);
    EXPECT_DOUBLE_EQ(m.filterMax, 6);
    setFilterRange(m, 4.5, 2);
    const FilterRequest request = filterRequest(m, FilterMode::RemoveInside);
    EXPECT_EQ(request.unitLabel, "Rho (Ohm m)");
    EXPECT_DOUBLE_EQ(request.lower, 2);
    EXPECT_DOUBLE_EQ(request.upper, 4.5);
    EXPECT_EQ(countInRange(m, request.lower, request.upper), 3u);
}

TEST(Histogram, ManyValuesKeepTheBinLimitAndTheirCount)
{
    // One far outlier among many equal values makes Scott's rule ask for
    // more than 10000 bars.
    std::vector<double> values(400000, 0.0);
    values[0] = 1e6;
    std::mt19937 random(3);
    std::normal_distribution<double> noise(0, 1e-3);
    for (std::size_t k = 1; k < values.size(); ++k) values[k] = noise(random);
    const HistogramModel m = plot(values);
    EXPECT_EQ(m.binCount, kMaxHistogramBins);
    const std::vector<std::int32_t> c = counts(m);
    EXPECT_EQ(std::accumulate(c.begin(), c.end(), std::int64_t{0}), 400000);
    EXPECT_EQ(c.back(), 1);
}

}  // namespace
