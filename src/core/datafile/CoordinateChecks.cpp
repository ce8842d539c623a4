#include "core/datafile/CoordinateChecks.h"

#include <algorithm>
#include <cmath>

#include "core/settings/NumberText.h"

namespace vexora {

namespace {

// The median of the finite values.
double median(std::vector<double>& values)
{
    std::erase_if(values, [](double v) { return !std::isfinite(v); });
    if (values.empty()) return 0.0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

template <class Point>
TopographyPoint centreOf(const std::vector<Point>& points)
{
    const auto axisMedian = [&points](double Point::*member) {
        std::vector<double> values;
        values.reserve(points.size());
        for (const Point& p : points) values.push_back(p.*member);
        return median(values);
    };
    return {axisMedian(&Point::x), axisMedian(&Point::y), axisMedian(&Point::z)};
}

}  // namespace

TopographyPoint surveyCentre(const std::vector<Electrode>& electrodes) { return centreOf(electrodes); }

TopographyPoint surveyCentre(const std::vector<TopographyPoint>& points) { return centreOf(points); }

std::string coordinateProblem(const TopographyPoint& point, const TopographyPoint& centre)
{
    if (!std::isfinite(point.x) || !std::isfinite(point.y) || !std::isfinite(point.z)) return "is not a finite number";
    if (std::abs(point.x - centre.x) <= kFarthestCoordinate && std::abs(point.y - centre.y) <= kFarthestCoordinate &&
        std::abs(point.z - centre.z) <= kFarthestCoordinate)
        return {};
    return "lies more than " + formatNumber(kFarthestCoordinate) + " m from the survey's centre (" +
           formatNumber(centre.x) + ", " + formatNumber(centre.y) + ", " + formatNumber(centre.z) + ")";
}

}  // namespace vexora
