#pragma once
// The choice of the roughness factor at each iteration.
//
// The trials of an iteration are lambda_t = lambda * q^-t, t = 0 .. T-1,
// from the current factor lambda down, q the multiplier. Each trial's misfit
// is the chi^2 its update would give. The chosen trial is:
//  1. the largest lambda (the smoothest model) whose misfit reaches the
//     noise level (chi^2 <= 1), if any does;
//  2. otherwise the largest lambda whose misfit is at most
//     factor * (current chi^2), factor < 1: the smoothest model that still
//     lowers the misfit by the fraction 1 - factor;
//  3. otherwise the trial of smallest misfit.
// The chosen lambda is where the next iteration's trials start.
//
// A step that does not lower chi^2 by kLeastImprovement (compared under the
// weights the step was taken with) halves the roughness factor and the
// iteration is tried again from there, kRoughnessRetries times in a row at
// most: a too smooth update stalls before the data are fitted.

#include <cstddef>
#include <span>
#include <vector>

namespace vexora {

struct RoughnessTrial {
    double lambda = 0;
    double chiSquared = 0;
};

std::vector<double> roughnessTrialFactors(double lambda, double multiplier, int trials);

// Index of the chosen trial; the trials come in the order of
// roughnessTrialFactors (decreasing lambda).
std::size_t chooseRoughnessTrial(std::span<const RoughnessTrial> trials, double currentChiSquared, double factor);

inline constexpr double kLeastImprovement = 0.01;
inline constexpr int kRoughnessRetries = 3;
// A step that raised the misfit is tried again at half length this often.
inline constexpr int kStepHalvings = 2;
// chi^2 this far above 1 still counts as the noise level.
inline constexpr double kNoiseLevelTolerance = 0.01;

inline bool atNoiseLevel(double chiSquared) { return chiSquared <= 1.0 + kNoiseLevelTolerance; }

enum class StepVerdict { Improved, Retry, Stop };

struct StepJudgement {
    StepVerdict verdict = StepVerdict::Improved;
    double lambda = 0;  // where the next trials start
    int retries = 0;    // failed steps in a row so far
};

// Judges a step from chi^2 `before` to chi^2 `after` (both under the same
// weights; infinity when no step was accepted), taken at roughness factor
// `lambda` after `retries` failed steps in a row.
StepJudgement judgeStep(double before, double after, double lambda, int retries);

}  // namespace vexora
