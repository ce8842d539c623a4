#pragma once
// Quadrupoles whose |K| lies above the settable limit: near-null readings,
// a small difference of large potentials, where a small error in the
// positions or the model is a large one in V/I. The load and `vexora check`
// report how many there are.

#include <cstddef>
#include <string>

#include "core/settings/SettingsTable.h"
#include "core/survey/SurveyTables.h"

namespace vexora {

// Quadrupoles with |K| (with z) above `limit`, those whose K cannot be
// computed included.
std::size_t countAboveGeometricLimit(const Survey& survey, double limit);

// "quadrupoles with |K| above LIMIT m: N", the limit from the settings.
std::string geometricLimitLine(const Survey& survey, const SettingsTable& settings);

}  // namespace vexora
