#include "core/qc/Histogram.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/io/Blanks.h"
#include "core/qc/ReciprocalCheck.h"
#include "core/settings/LenientNumber.h"
#include "core/settings/NumberText.h"

namespace vexora {

namespace {

constexpr int kMaxAxisTicks = 1000;
// Tick counts are computed from a quotient of doubles: 0.3 / 0.1 must give 3.
constexpr double kTickSlack = 1e-9;

}  // namespace

const std::vector<std::string>& histogramQuantityNames()
{
    static const std::vector<std::string> names = {"V/I", "V", "I", "K", "Rho", "q", "IP"};
    return names;
}

std::optional<HistogramQuantity> histogramQuantity(std::string_view name)
{
    static const HistogramQuantity table[] = {
            {"V/I", "V/I (Ohm)", 6}, {"V", "V (mV)", 3}, {"I", "I (mA)", 3}, {"K", "K", 3},
            {"Rho", "Rho (Ohm m)", 3}, {"q", "q", 3}, {"IP", "IP", 3},
            {std::string(kResidualQuantity), "ln(d_obs / d_calc) / error", 3}};
    for (const HistogramQuantity& q : table)
        if (q.name == name) return q;
    return std::nullopt;
}

std::optional<AxisRange> parseAxisText(std::string_view text)
{
    double parts[3];
    for (int k = 0; k < 3; ++k) {
        const std::size_t colon = text.find(':');
        if ((k < 2) != (colon != std::string_view::npos)) return std::nullopt;
        const std::string_view piece = trimBlanks(text.substr(0, colon));
        const auto [end, error] = std::from_chars(piece.data(), piece.data() + piece.size(), parts[k]);
        if (error != std::errc() || end != piece.data() + piece.size() || piece.empty()) return std::nullopt;
        text = colon == std::string_view::npos ? std::string_view() : text.substr(colon + 1);
    }
    const AxisRange range{parts[0], parts[1], parts[2]};
    if (!(range.step > 0) || !(range.last >= range.first) || !std::isfinite(range.first) ||
        !std::isfinite(range.last))
        return std::nullopt;
    if ((range.last - range.first) / range.step > kMaxAxisTicks) return std::nullopt;
    return range;
}

std::string axisText(const AxisRange& range, int)
{
    return formatNumber(range.first) + ":" + formatNumber(range.step) + ":" + formatNumber(range.last);
}

std::vector<double> axisTicks(const AxisRange& range)
{
    std::vector<double> ticks;
    if (!(range.step > 0) || !(range.last >= range.first)) return ticks;
    const double span = (range.last - range.first) / range.step;
    if (span > kMaxAxisTicks) return ticks;
    const int count = static_cast<int>(std::floor(span + kTickSlack)) + 1;
    for (int k = 0; k < count; ++k) ticks.push_back(range.first + k * range.step);
    return ticks;
}

AxisRange niceAxis(double low, double high, int ticks)
{
    if (!(high > low)) {
        // One value: a unit (or tenth of the value) either side.
        const double half = low != 0 ? std::abs(low) * 0.1 : 1.0;
        low -= half;
        high += half;
    }
    const double rough = (high - low) / std::max(ticks, 1);
    const double decade = std::pow(10.0, std::floor(std::log10(rough)));
    const double fraction = rough / decade;
    const double step = (fraction <= 1 ? 1 : fraction <= 2 ? 2 : fraction <= 5 ? 5 : 10) * decade;
    AxisRange range;
    range.step = step;
    range.first = std::floor(low / step + kTickSlack) * step;
    range.last = std::ceil(high / step - kTickSlack) * step;
    if (range.last <= range.first) range.last = range.first + step;
    return range;
}

HistogramStatistics histogramStatistics(const std::vector<double>& sorted)
{
    HistogramStatistics stats;
    const std::size_t n = sorted.size();
    stats.count = n;
    if (n == 0) return stats;
    stats.min = sorted.front();
    stats.max = sorted.back();
    double sum = 0;
    for (double v : sorted) sum += v;
    stats.mean = sum / static_cast<double>(n);
    double squares = 0;
    for (double v : sorted) squares += (v - stats.mean) * (v - stats.mean);
    stats.stdDev = n > 1 ? std::sqrt(squares / static_cast<double>(n - 1)) : 0.0;
    // The lower of the two middle values for an even count.
    stats.median = n % 2 ? sorted[n / 2] : sorted[n / 2 - 1];
    return stats;
}

void setBins(HistogramModel& model, int count, double width)
{
    model.binCount = count;
    model.binWidth = width;
    model.bins.assign(static_cast<std::size_t>(count), HistogramBin{});
    double start = model.stats.min;
    if (model.stats.max == model.stats.min) start -= width / 2;  // a lone bar centred on the value
    for (int k = 0; k < count; ++k) {
        model.bins[static_cast<std::size_t>(k)].lower = start + k * width;
        model.bins[static_cast<std::size_t>(k)].upper = start + (k + 1) * width;
    }
    funFillBars(model);
}

void setDefaultBins(HistogramModel& model)
{
    const HistogramStatistics& s = model.stats;
    const double range = std::abs(s.max - s.min);
    if (!(range > 0) || !(s.stdDev > 0) || !std::isfinite(range) || !std::isfinite(s.stdDev)) {
        setBins(model, 1, s.min != 0 ? std::abs(s.min) * 0.1 : 1.0);
        return;
    }
    // Scott's rule: width 3.5 sigma / n^(1/3).
    const double width0 = 3.5 * s.stdDev / std::cbrt(static_cast<double>(s.count));
    const double count = std::clamp(std::round(range / width0), 1.0, static_cast<double>(kMaxHistogramBins));
    setBins(model, static_cast<int>(count), range / count);
}

void funFillBars(HistogramModel& model)
{
    if (model.bins.empty()) return;
    for (HistogramBin& bin : model.bins) bin.count = 0;
    const std::size_t last = model.bins.size() - 1;
    std::size_t k = 0;
    for (double v : model.values) {
        while (k < last && !(v < model.bins[k].upper)) ++k;
        ++model.bins[k].count;
    }
}

void setDefaultAxes(HistogramModel& model)
{
    if (model.bins.empty()) return;
    model.xAxis = niceAxis(model.bins.front().lower, model.bins.back().upper, 6);
    std::int32_t highest = 1;
    for (const HistogramBin& bin : model.bins) highest = std::max(highest, bin.count);
    // Some room above the highest bar, so that it does not touch the frame.
    model.yAxis = niceAxis(0, highest * 1.05, 5);
    model.yAxis.first = 0;
}

Status funPlotHistogram(std::vector<double> values, std::string_view quantity, HistogramModel& model, MessageLog& log)
{
    constexpr char kSource[] = "funPlotHistogram";
    const std::optional<HistogramQuantity> q = histogramQuantity(quantity);
    if (!q) return log.error(kSource, "Unknown quantity " + std::string(quantity) + ".");
    HistogramModel next;
    next.quantity = *q;
    std::size_t notComputed = 0, notANumber = 0;
    std::erase_if(values, [&](double v) {
        if (!std::isfinite(v)) return ++notANumber, true;
        if (v == kCannotCompute) return ++notComputed, true;
        return false;
    });
    if (notComputed + notANumber > 0)
        log.warning(kSource, std::to_string(notComputed) + " values not computed (1000000000) and " +
                                     std::to_string(notANumber) + " values not a number left out of the " +
                                     q->name + " histogram.");
    if (values.empty()) return log.error(kSource, "No " + q->name + " values to plot.");
    std::sort(values.begin(), values.end());
    // Values near the largest doubles have a spread (or a variance) that
    // overflows: no bin width can be made of it.
    if (!std::isfinite(values.back() - values.front()))
        return log.error(kSource, "The " + q->name + " values span " + formatNumber(values.front()) + " to " +
                                      formatNumber(values.back()) +
                                      ", more than a histogram can divide into bins. No histogram plotted.");
    next.values = std::move(values);
    next.stats = histogramStatistics(next.values);
    next.stats.excludedNotComputed = notComputed;
    next.stats.excludedNotANumber = notANumber;
    setDefaultBins(next);
    setDefaultAxes(next);
    next.filterMin = next.stats.min;
    next.filterMax = next.stats.max;
    model = std::move(next);
    return Status::Ok;
}

std::string funReplotHistogram(HistogramModel& model, std::string_view barWidthText, std::string_view xAxisText,
                               std::string_view yAxisText)
{
    const std::optional<AxisRange> x = parseAxisText(xAxisText);
    if (!x) return "Invalid range in X axis specification.";
    const std::optional<AxisRange> y = parseAxisText(yAxisText);
    if (!y) return "Invalid range in Y axis specification.";
    if (y->first != 0) return "Y axis should start from 0";
    model.xAxis = *x;
    model.yAxis = *y;
    const double width = lenientNumber(barWidthText);
    const double range = std::abs(model.stats.max - model.stats.min);
    double count = 1;
    if (width > 0 && range > 0) {
        const double quotient = range / width;
        count = std::trunc(quotient);
        if (quotient - count > 0) count += 1;
    }
    if (!(width > 0) || count > kMaxHistogramBins) {
        setDefaultBins(model);
        return "Number of bins > 10000. Defaults restored.";
    }
    setBins(model, static_cast<int>(count), width);
    return {};
}

std::string barLabel(const HistogramModel& model, std::size_t bar)
{
    const HistogramBin& b = model.bins.at(bar);
    const std::size_t n = model.values.size();
    const double percent = n ? b.count * 100.0 / static_cast<double>(n) : 0.0;
    const int d = model.quantity.decimals;
    return std::to_string(b.count) + " of " + std::to_string(n) + " (" + formatFixed(percent, 2) +
           "%) in the range (" + formatFixed(b.lower, d) + "; " + formatFixed(b.upper, d) + ")";
}

void setFilterRange(HistogramModel& model, double lower, double upper)
{
    if (lower > upper) std::swap(lower, upper);
    model.filterMin = lower;
    model.filterMax = upper;
}

FilterRequest filterRequest(const HistogramModel& model, FilterMode mode)
{
    return {model.quantity.unitLabel, model.filterMin, model.filterMax, mode};
}

std::size_t countInRange(const HistogramModel& model, double lower, double upper)
{
    const auto from = std::lower_bound(model.values.begin(), model.values.end(), lower);
    const auto to = std::upper_bound(model.values.begin(), model.values.end(), upper);
    return to > from ? static_cast<std::size_t>(to - from) : 0;
}

}  // namespace vexora
