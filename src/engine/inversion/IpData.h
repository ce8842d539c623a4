#pragma once
// The data of the chargeability inversion: per inverted quadrupole the mean
// of its IP windows over the IP scale (a fraction), with the error
//
//   e = (P / 100) |eta_a| + C / scale
//
// P % of the value and C in the IP unit (mV/V for the scale 1000): a field
// reading of a few mV/V is as uncertain as a large one, so the constant term
// carries most of the weight. Apparent chargeabilities below 0 or above the
// highest (in the IP unit; never above 1, which no chargeability below 1
// gives) are counted, and left out when the settings say so: a reading of
// hundreds of mV/V on a weak signal is noise that would dominate the fit.
// That noise grows as the primary voltage falls (on field lines the spread
// of readings under 1 mV is tens of times that above 100 mV), so readings
// on less than the least voltage are left out too.

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "core/survey/SurveyTables.h"
#include "engine/inversion/DataMisfit.h"

namespace vexora {

struct IpData {
    std::vector<std::size_t> rows;  // quadrupoles inverted
    std::vector<double> values;     // fractions
    std::vector<double> errors;     // fractions
    std::vector<std::size_t> kept;  // index in the offered rows of each one inverted
    std::size_t negative = 0;       // among the offered rows
    std::size_t aboveRange = 0;     // above the highest
    std::size_t unreadable = 0;     // no number: always left out
    std::size_t weak = 0;           // in range, but on too small a primary voltage
};

// The IP data of `rows` (quadrupoles with IP windows in `survey`).
// `leastVoltage` in mV, 0 for no limit; the survey's currents in mA.
IpData selectIpData(const Survey& survey, std::span<const std::size_t> rows, double scale, const ErrorModel& errors,
                    double highest, bool leaveOutOfRange, double leastVoltage);

// The highest apparent chargeability inverted, as a fraction.
double highestFraction(double highest, double scale);

// "mV/V" for the scale 1000, otherwise "in the IP unit": the unit of the
// IP values times `scale`, as a log line names it after a number.
std::string ipUnit(double scale);

}  // namespace vexora
