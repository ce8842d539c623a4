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

}  // namespace vexora
