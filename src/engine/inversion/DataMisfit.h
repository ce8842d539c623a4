#pragma once
// Data, errors and misfit of the inversion. The data are the logarithms of
// the measured |V/I|, so a residual is a relative difference and the
// geometric factor cancels; the error of a datum is its relative error.
//
//   chi^2 = (1/N) sum_i (w_i r_i)^2,   w_i = robust_i / e_i
//   RMS   = 100 sqrt((1/N) sum_i r_i^2)   (percent)

#include <cstddef>
#include <span>
#include <vector>

#include "core/qc/DataErrors.h"

namespace vexora {

// Whether iteration `iteration` (0 for the first) takes new robust factors
// when `reweightIterations` of them do. The first never does: from the
// starting model the data of every body the model does not hold yet would
// look like outliers and be set aside before the update could fit them.
// The next `reweightIterations` iterations follow the residuals.
inline bool reweightsAt(int iteration, int reweightIterations)
{
    return iteration >= 1 && iteration <= reweightIterations;
}

// Robust (Huber) factors: 1 where the normalised residual |r_i| / (e_i s)
// is at most `threshold`, threshold / that beyond. An outlier then counts
// like its absolute value (an L1 misfit) instead of its square. The scale
// s = max(1, 1.4826 median |r_i / e_i|) is the typical misfit, which a few
// outliers do not move: far from the noise level, when every residual is
// large, no datum is singled out.
std::vector<double> robustFactors(std::span<const double> residuals, std::span<const double> errors,
                                  double threshold = 2.0);

double chiSquared(std::span<const double> residuals, std::span<const double> weights);
double rmsPercent(std::span<const double> residuals);

}  // namespace vexora
