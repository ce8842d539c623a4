#include "engine/inversion/InversionProgress.h"

#include <algorithm>
#include <cmath>

namespace vexora {

namespace {

// The starting model is one forward solve; an iteration and the
// chargeability inversion (its own sensitivities and updates) count 1 each.
constexpr double kStartUnits = 0.5;
// Each part keeps this share of an iteration whatever its timing: a part
// that took no measurable time in one iteration (a tiny problem, a busy
// machine) still moves the bar when it runs in the next.
constexpr double kLeastShare = 0.1;

}  // namespace

InversionProgress::InversionProgress(int maxIterations, bool chargeabilityFollows)
    : iterations_(std::max(maxIterations, 0)), totalUnits_(kStartUnits + iterations_ + (chargeabilityFollows ? 1 : 0))
{
}

int InversionProgress::percentOf(double units) const
{
    return std::clamp(static_cast<int>(std::floor(100 * units / totalUnits_)), 0, 100);
}

int InversionProgress::startModel(double fraction) const
{
    return percentOf(kStartUnits * std::clamp(fraction, 0.0, 1.0));
}

int InversionProgress::at(int iteration, IterationPart part, double fraction) const
{
    const std::size_t p = static_cast<std::size_t>(part);
    double within = std::clamp(fraction, 0.0, 1.0) * shares_[p];
    for (std::size_t before = 0; before < p; ++before) within += shares_[before];
    return percentOf(kStartUnits + std::clamp(iteration - 1, 0, iterations_) + within);
}

int InversionProgress::chargeability(double fraction) const
{
    return percentOf(kStartUnits + iterations_ + std::clamp(fraction, 0.0, 1.0));
}

void InversionProgress::measured(double sensitivitySeconds, double updateSeconds, double forwardSeconds)
{
    const double total = sensitivitySeconds + updateSeconds + forwardSeconds;
    if (!(total > 0)) return;
    const double timed = 1 - 3 * kLeastShare;
    shares_ = {kLeastShare + timed * sensitivitySeconds / total, kLeastShare + timed * updateSeconds / total,
               kLeastShare + timed * forwardSeconds / total};
}

}  // namespace vexora
