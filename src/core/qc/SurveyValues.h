#pragma once
// The values of one quantity for the histogram, taken from the quadrupoles
// still in use (skip flag 0).

#include <string>
#include <string_view>
#include <vector>

#include "core/log/MessageLog.h"
#include "core/survey/SurveyTables.h"

namespace vexora {

// "V/I", "V" (V/I x I, mV), "I" (mA), "K", "Rho" (V/I x K), "IP" (first
// window). A value computed from a "cannot be computed" input is that
// marker itself. "q" is kept only by the field-data window, so a loaded
// survey has none: that, an unknown name and absent values are logged
// errors (Error).
Status histogramValues(const Survey& survey, std::string_view quantity, bool ignoreZ, std::vector<double>& values,
                       MessageLog& log);

}  // namespace vexora
