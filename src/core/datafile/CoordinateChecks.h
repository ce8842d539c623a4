#pragma once
// Coordinates no survey has: a value that is not a finite number (1e309
// reads as infinity), or one farther than kFarthestCoordinate from the
// survey's centre. A single such row turns every distance, geometric factor
// and mesh line after it into nonsense, so its block is refused.

#include <string>
#include <vector>

#include "core/survey/SurveyTables.h"

namespace vexora {

inline constexpr double kFarthestCoordinate = 1e7;  // m, on any axis

// Per axis, the median of the finite coordinates: one wild row does not
// move it. (0, 0, 0) for no points.
TopographyPoint surveyCentre(const std::vector<Electrode>& electrodes);
TopographyPoint surveyCentre(const std::vector<TopographyPoint>& points);

// Empty for a usable point, otherwise what is wrong with it: "is not a
// finite number" or "lies more than 1e7 m from the survey's centre (X, Y, Z)".
std::string coordinateProblem(const TopographyPoint& point, const TopographyPoint& centre);

}  // namespace vexora
