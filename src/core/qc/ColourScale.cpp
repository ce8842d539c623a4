#include "core/qc/ColourScale.h"

#include <algorithm>
#include <cmath>

namespace vexora {

namespace {

// Viridis at nine evenly spaced stops.
constexpr std::array<Rgb, 9> kViridis = {{{0x44, 0x01, 0x54},
                                          {0x48, 0x28, 0x78},
                                          {0x3e, 0x49, 0x89},
                                          {0x31, 0x68, 0x8e},
                                          {0x26, 0x82, 0x8e},
                                          {0x1f, 0x9e, 0x89},
                                          {0x35, 0xb7, 0x79},
                                          {0x6e, 0xce, 0x58},
                                          {0xfd, 0xe7, 0x25}}};
constexpr std::array<Rgb, 5> kBlueWhiteRed = {
    {{0x21, 0x66, 0xac}, {0x92, 0xc5, 0xde}, {0xf7, 0xf7, 0xf7}, {0xf4, 0xa5, 0x82}, {0xb2, 0x18, 0x2b}}};

template <std::size_t N>
Rgb interpolate(const std::array<Rgb, N>& stops, double t)
{
    const double at = std::clamp(t, 0.0, 1.0) * (N - 1);
    const std::size_t i = std::min(static_cast<std::size_t>(at), N - 2);
    const double f = at - static_cast<double>(i);
    const auto mix = [f](std::uint8_t a, std::uint8_t b) {
        return static_cast<std::uint8_t>(std::lround(a + f * (b - a)));
    };
    return {mix(stops[i].r, stops[i + 1].r), mix(stops[i].g, stops[i + 1].g), mix(stops[i].b, stops[i + 1].b)};
}

double percentile(std::vector<double>& sorted, double p)
{
    const double at = p * static_cast<double>(sorted.size() - 1);
    const std::size_t i = static_cast<std::size_t>(at);
    if (i + 1 >= sorted.size()) return sorted.back();
    return sorted[i] + (at - static_cast<double>(i)) * (sorted[i + 1] - sorted[i]);
}

}  // namespace

Rgb colourAt(ColourMap map, double position)
{
    return map == ColourMap::Sequential ? interpolate(kViridis, position) : interpolate(kBlueWhiteRed, position);
}

double ColourScale::position(double value) const
{
    const double a = logarithmic ? std::log10(low) : low, b = logarithmic ? std::log10(high) : high;
    const double v = logarithmic ? std::log10(std::max(value, 1e-300)) : value;
    return b > a ? std::clamp((v - a) / (b - a), 0.0, 1.0) : 0.5;
}

Rgb ColourScale::colour(double value) const
{
    return colourAt(map, position(value));
}

std::vector<double> ColourScale::ticks(int count) const
{
    std::vector<double> t;
    if (!(high > low) || !std::isfinite(high - low)) return {low};
    if (logarithmic && low > 0 && high / low >= 4) {
        const int first = static_cast<int>(std::floor(std::log10(low))), last = static_cast<int>(std::ceil(std::log10(high)));
        const bool few = last - first <= 2;
        for (int e = first; e <= last; ++e)
            for (double m : few ? std::vector<double>{1, 2, 5} : std::vector<double>{1}) {
                const double v = m * std::pow(10.0, e);
                if (v >= low * (1 - 1e-9) && v <= high * (1 + 1e-9)) t.push_back(v);
            }
        return t;
    }
    // Linear steps, also on a log scale spanning less than a factor four.
    const double raw = (high - low) / std::max(count, 1);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double step = raw / power < 1.5 ? power : raw / power < 3.5 ? 2 * power : raw / power < 7.5 ? 5 * power : 10 * power;
    // Counted, not accumulated: a step below the spacing of doubles near
    // the limits must not stall the loop.
    const double first = std::ceil(low / step);
    for (int i = 0; i <= 4 * std::max(count, 1); ++i) {
        const double v = (first + i) * step;
        if (v > high + 1e-9 * step) break;
        t.push_back(std::abs(v) < 1e-12 * step ? 0 : v);
    }
    return t;
}

ColourScale scaleFor(std::vector<double> values, ColourMap map, bool logarithmic)
{
    ColourScale scale;
    scale.map = map;
    scale.logarithmic = logarithmic;
    values.erase(std::remove_if(values.begin(), values.end(),
                                [&](double v) { return !std::isfinite(v) || (logarithmic && !(v > 0)); }),
                 values.end());
    // Nothing to show: a scale a log axis can still draw.
    if (values.empty()) {
        if (logarithmic) scale.low = 1, scale.high = 10;
        return scale;
    }
    std::sort(values.begin(), values.end());
    scale.low = percentile(values, 0.02);
    scale.high = percentile(values, 0.98);
    if (map == ColourMap::Diverging) {
        const double reach = std::max(std::abs(scale.low), std::abs(scale.high));
        scale.low = -reach, scale.high = reach;
    }
    if (!(scale.high > scale.low)) {
        const double pad = logarithmic ? 0 : std::max(std::abs(scale.low) * 0.1, 1.0);
        if (logarithmic) scale.low /= 1.5, scale.high *= 1.5;
        else scale.low -= pad, scale.high += pad;
    }
    return scale;
}

}  // namespace vexora
