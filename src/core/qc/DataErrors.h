#pragma once
// The errors of measured V/I, as the inversion weighs them and as its
// results are judged: the standard deviation column or the error model
// (P % + C), plus, when it is on, the potential term
//
//   e_i += (G / 100) * sum |terms| / |S|   ( = (G / 100) |K| / K0 )
//
// the error G % of each pole potential carried into V/I by their
// cancellation. It is added to every datum, those with a standard deviation
// too: it stands for the electrode positions and the model, which repeated
// readings do not show. Near-null quadrupoles, with |K| far above K0, then
// weigh little in the inversion.

#include <cstddef>
#include <span>
#include <vector>

#include "core/settings/SettingsTable.h"
#include "core/survey/SurveyTables.h"

namespace vexora {

struct ErrorModel {
    double percent = 5;       // % of |V/I|
    double constant = 0.0001; // ohm
    // % of each pole term of V/I, so it grows with their cancellation (see
    // core/import/GeometricFactor.h); 0, off, by default. Resistivity only.
    double potentialPercent = 0;
};

// The error model the settings give the resistivity (`resistivity` true) or
// the IP data; unchecked.
ErrorModel settingsErrorModel(const SettingsTable& table, bool resistivity);

// Relative error of each datum: the standard deviation column when it holds
// a positive value for the datum (`standardDeviations` may be empty),
// otherwise percent/100 + constant / |V/I|. `fallbacks` counts the data that
// had a standard deviation column value of 0 or less.
std::vector<double> relativeErrors(std::span<const double> resistances, std::span<const double> standardDeviations,
                                   const ErrorModel& model, std::size_t& fallbacks);

// One relative error per entry of `rows` (quadrupole rows of the survey,
// each with a V/I). `fallbacks` counts the data that had a standard
// deviation column value of 0 or less.
std::vector<double> surveyErrors(const Survey& survey, std::span<const std::size_t> rows, const ErrorModel& model,
                                 std::size_t& fallbacks);

}  // namespace vexora
