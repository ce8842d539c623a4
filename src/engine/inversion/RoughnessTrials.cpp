#include "engine/inversion/RoughnessTrials.h"

#include <algorithm>

namespace vexora {

std::vector<double> roughnessTrialFactors(double lambda, double multiplier, int trials)
{
    std::vector<double> factors(static_cast<std::size_t>(std::max(trials, 1)));
    double value = lambda;
    for (double& f : factors) {
        f = value;
        value /= multiplier;
    }
    return factors;
}

std::size_t chooseRoughnessTrial(std::span<const RoughnessTrial> trials, double currentChiSquared, double factor)
{
    // Trials come with decreasing lambda: the first one meeting a test is the smoothest.
    for (std::size_t t = 0; t < trials.size(); ++t)
        if (trials[t].chiSquared <= 1.0) return t;
    for (std::size_t t = 0; t < trials.size(); ++t)
        if (trials[t].chiSquared <= factor * currentChiSquared) return t;
    std::size_t best = 0;
    for (std::size_t t = 1; t < trials.size(); ++t)
        if (trials[t].chiSquared < trials[best].chiSquared) best = t;
    return best;
}

StepJudgement judgeStep(double before, double after, double lambda, int retries)
{
    if (before - after >= kLeastImprovement * before) return {StepVerdict::Improved, lambda, 0};
    if (retries < kRoughnessRetries) return {StepVerdict::Retry, lambda / 2, retries + 1};
    return {StepVerdict::Stop, lambda, retries};
}

}  // namespace vexora
