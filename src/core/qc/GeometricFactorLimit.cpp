#include "core/qc/GeometricFactorLimit.h"

#include <cmath>

#include "core/import/GeometricFactor.h"
#include "core/settings/NumberText.h"

namespace vexora {

std::size_t countAboveGeometricLimit(const Survey& survey, double limit)
{
    std::size_t count = 0;
    for (double k : funGeometricFactor(survey, false)) count += k == kCannotCompute || std::abs(k) > limit;
    return count;
}

std::string geometricLimitLine(const Survey& survey, const SettingsTable& settings)
{
    const double limit = settingNumber(settings, Item::GeometricFactorLimit);
    return "quadrupoles with |K| above " + formatNumber(limit) + " m: " +
           std::to_string(countAboveGeometricLimit(survey, limit));
}

}  // namespace vexora
