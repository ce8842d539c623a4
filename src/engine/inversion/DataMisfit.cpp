#include "engine/inversion/DataMisfit.h"

#include <algorithm>
#include <cmath>

namespace vexora {

std::vector<double> robustFactors(std::span<const double> residuals, std::span<const double> errors,
                                  double threshold)
{
    std::vector<double> normalised(residuals.size());
    for (std::size_t i = 0; i < residuals.size(); ++i) normalised[i] = std::abs(residuals[i]) / errors[i];
    std::vector<double> sorted = normalised;
    const auto middle = sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2);
    std::nth_element(sorted.begin(), middle, sorted.end());
    const double scale = sorted.empty() ? 1.0 : std::max(1.0, 1.4826 * *middle);
    std::vector<double> factors(residuals.size(), 1.0);
    for (std::size_t i = 0; i < residuals.size(); ++i)
        if (normalised[i] > threshold * scale) factors[i] = threshold * scale / normalised[i];
    return factors;
}

double chiSquared(std::span<const double> residuals, std::span<const double> weights)
{
    if (residuals.empty()) return 0;
    double sum = 0;
    for (std::size_t i = 0; i < residuals.size(); ++i) {
        const double e = weights[i] * residuals[i];
        sum += e * e;
    }
    return sum / static_cast<double>(residuals.size());
}

double rmsPercent(std::span<const double> residuals)
{
    if (residuals.empty()) return 0;
    double sum = 0;
    for (double r : residuals) sum += r * r;
    return 100.0 * std::sqrt(sum / static_cast<double>(residuals.size()));
}

}  // namespace vexora
