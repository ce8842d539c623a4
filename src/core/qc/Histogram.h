#pragma once
// The histogram of one measured quantity: sorted values, summary statistics,
// bars by Scott's rule, axis ranges and the two filter bars that pick the
// value range handed back to the field-data window.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/log/MessageLog.h"

namespace vexora {

inline constexpr int kMaxHistogramBins = 10000;
// The normalised residuals of modelled data (core/qc/DataFit.h), which the
// results window plots; not one of the measured quantities a user picks.
inline constexpr std::string_view kResidualQuantity = "Normalised residual";

// One of "V/I", "V", "I", "K", "Rho", "q", "IP".
struct HistogramQuantity {
    std::string name;
    std::string unitLabel;  // "V/I (Ohm)", "V (mV)", ...
    int decimals = 3;       // 6 for V/I, 3 for the others
};
std::optional<HistogramQuantity> histogramQuantity(std::string_view name);
const std::vector<std::string>& histogramQuantityNames();

struct HistogramStatistics {
    std::size_t count = 0;  // values shown
    double min = 0, max = 0, mean = 0, median = 0;
    double stdDev = 0;             // sample standard deviation, 0 for fewer than two values
    std::size_t excludedNotComputed = 0;  // the 1000000000 marker
    std::size_t excludedNotANumber = 0;
};

struct HistogramBin {
    std::int32_t count = 0;
    double lower = 0, upper = 0;
};

// An axis as first value, step and last value; ticks at first + k step.
struct AxisRange {
    double first = 0, step = 1, last = 1;
};
// "first:step:last"; nothing when the text holds no three numbers, the step
// is not positive, or the range would need more than 1000 ticks.
std::optional<AxisRange> parseAxisText(std::string_view text);
std::string axisText(const AxisRange& range, int decimals);
std::vector<double> axisTicks(const AxisRange& range);
// A range with about `ticks` round-numbered ticks covering low..high.
AxisRange niceAxis(double low, double high, int ticks);

// Which side of the filter range the removal takes.
enum class FilterMode { RemoveOutside, RemoveInside };

// What "Apply" hands to the field-data window.
struct FilterRequest {
    std::string unitLabel;
    double lower = 0, upper = 0;
    FilterMode mode = FilterMode::RemoveOutside;
};

struct HistogramModel {
    HistogramQuantity quantity;
    std::vector<double> values;  // ascending, markers and NaN removed
    HistogramStatistics stats;
    double binWidth = 0;
    int binCount = 0;
    std::vector<HistogramBin> bins;
    AxisRange xAxis, yAxis;
    double filterMin = 0, filterMax = 0;

    bool empty() const { return values.empty(); }
};

// Statistics of sorted values (median: the lower middle value for even counts).
HistogramStatistics histogramStatistics(const std::vector<double>& sorted);

// Opens the plot: cleans and sorts the values, computes statistics, default
// bins, axes and filter bars. Values of 1000000000 and NaN are left out and
// counted; a warning tells how many. Fails when no value remains.
Status funPlotHistogram(std::vector<double> values, std::string_view quantity, HistogramModel& model, MessageLog& log);

// Scott's rule, at least one and at most 10000 bars; one bar centred on the
// value when all values are equal.
void setDefaultBins(HistogramModel& model);
// Bars of the given count and width starting at min.
void setBins(HistogramModel& model, int count, double width);
// Counts sorted values into the bars with a forward-only running index; the
// last bar takes values at its upper edge.
void funFillBars(HistogramModel& model);
// Axes fitted to the bars.
void setDefaultAxes(HistogramModel& model);

// Redraw after the user changed bar width or axis texts. Returns the
// message to show, empty on success; on failure the model keeps the
// previous plot (except for the restored default bins, which the message
// announces).
std::string funReplotHistogram(HistogramModel& model, std::string_view barWidthText, std::string_view xAxisText,
                               std::string_view yAxisText);

// "count of n (p%) in the range (lower; upper)".
std::string barLabel(const HistogramModel& model, std::size_t bar);

// Moves the filter bars; the lower one is always the smaller value.
void setFilterRange(HistogramModel& model, double lower, double upper);
FilterRequest filterRequest(const HistogramModel& model, FilterMode mode);
// Values inside [lower, upper].
std::size_t countInRange(const HistogramModel& model, double lower, double upper);

}  // namespace vexora
