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

namespace vexora {

struct ErrorModel {
    double percent = 5;       // % of |V/I|
    double constant = 0.0001; // ohm
    // % of each pole term of V/I, so it grows with their cancellation (see
    // core/import/GeometricFactor.h); 0, off, by default. Resistivity only.
    double potentialPercent = 0;
};

// Relative error of each datum: the standard deviation column when it holds
// a positive value for the datum (`standardDeviations` may be empty),
// otherwise percent/100 + constant / |V/I|. `fallbacks` counts the data that
// had a standard deviation column value of 0 or less.
std::vector<double> relativeErrors(std::span<const double> resistances, std::span<const double> standardDeviations,
                                   const ErrorModel& model, std::size_t& fallbacks);

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
