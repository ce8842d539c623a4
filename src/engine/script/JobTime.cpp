#include "engine/script/JobTime.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vexora {

namespace {

constexpr int kFirstEstimatePercent = 3;

std::string clockText(double seconds)
{
    const long total = std::lround(std::clamp(seconds, 0.0, 1e9));
    char text[32];
    if (total >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
    else std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
    return text;
}

}  // namespace

std::string jobTimeText(double elapsedSeconds, int percent)
{
    const std::string elapsed = "Elapsed " + clockText(elapsedSeconds);
    if (percent >= 100) return elapsed;
    if (percent < kFirstEstimatePercent) return elapsed + ", estimating the time left...";
    return elapsed + ", about " + clockText(elapsedSeconds * (100 - percent) / percent) + " left";
}

}  // namespace vexora
