#pragma once
// The relative errors of the inverted V/I: the standard deviation column or
// the error model (P % + C), plus, when it is on, the potential term
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

#include "core/survey/SurveyTables.h"
#include "engine/inversion/DataMisfit.h"

namespace vexora {

// One error per entry of `rows` (quadrupole rows of the survey, each with a
// V/I). `fallbacks` counts the data that had a standard deviation column
// value of 0 or less.
std::vector<double> surveyErrors(const Survey& survey, std::span<const std::size_t> rows, const ErrorModel& model,
                                 std::size_t& fallbacks);

}  // namespace vexora
