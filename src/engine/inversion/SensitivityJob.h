#pragma once
// The sensitivity job: the sensitivity of the log apparent resistivity to
// the log resistivity of every block, d ln rho_a / d ln rho_j = -J_kj,
// for one quadrupole (signed), or for all quadrupoles the cumulative
// sensitivity sum_k |J_kj| / volume_j. Relative output is divided by the
// largest absolute value.

#include <vector>

#include "engine/forward/ForwardModel.h"
#include "core/jobfiles/SensitivityRequest.h"
#include "engine/inversion/Jacobian.h"

namespace vexora {

// The sensitivities of `request` for `models`' conductivity on `mesh`, over
// the quadrupoles of `survey` under the forward settings of `settings`.
// Returns Ok with one value per block in `sensitivity` and the model's V/I in
// `calculated`; Error with the reason logged and both untouched. With
// `whole`, for all quadrupoles, J of every computed quadrupole is kept there
// (rows in data order) for figures that need it all, such as a design's
// model resolution; otherwise J is assembled a few rows at a time.
Status generateSensitivity(const Mesh& mesh, const Models& models, const Survey& survey, const SettingsTable& settings,
                           const SensitivityRequest& request, MessageLog& log, const ComputeControl& control,
                           std::vector<double>& sensitivity, CalculatedData& calculated, Jacobian* whole = nullptr);

}  // namespace vexora
