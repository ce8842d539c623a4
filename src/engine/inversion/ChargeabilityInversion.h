#pragma once
// The chargeability inversion after the resistivity inversion. By Seigel's
// definition, to first order in the chargeability eta of the blocks,
//
//   eta_a,k = sum_j (d ln rho_a,k / d ln rho_j) eta_j = -sum_j J_kj eta_j,
//
// with J the resistivity inversion's sensitivities at its final model: a
// linear problem, solved with the same smoothness-constrained update,
// roughness-factor rule, step halving and stall rule as the resistivity, on
// the logistic parameters of eta, which keep it within 0 .. 0.99. The data
// and their errors: IpData.h.

#include <span>
#include <vector>

#include "engine/inversion/BlockGrid.h"
#include "engine/inversion/InversionSettings.h"
#include "engine/inversion/Jacobian.h"
#include "core/log/MessageLog.h"
#include "core/mesh/Models.h"
#include "core/survey/SurveyTables.h"

namespace vexora {

// `jacobian` holds the rows `rows` (quadrupole indices); it is cut to the
// rows inverted and negated in place. The IP scale of `start` turns the IP
// values into fractions; its chargeability (when it has one per cell of
// `grid`, the parameters' layout) starts the inversion and is its reference; with the settings'
// startFromData a uniform, not imported one is replaced by the median
// apparent chargeability of the rows inverted and not skipped (clamped to
// 0 .. 0.99). Returns Ok with `chargeability` (per block) and
// `calculatedIp` (per quadrupole of the survey, the value that cannot be
// computed outside the rows inverted) filled, or Error with the reason
// logged and both untouched.
Status invertChargeability(const BlockGrid& grid, const Models& start, const Survey& survey,
                           const InversionSettings& settings, Jacobian& jacobian, std::span<const std::size_t> rows,
                           int threads, MessageLog& log, std::vector<double>& chargeability,
                           std::vector<double>& calculatedIp);

}  // namespace vexora
