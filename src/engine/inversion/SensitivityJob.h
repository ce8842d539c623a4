#pragma once
// The sensitivity job: the sensitivity of the log apparent resistivity to
// the log resistivity of every block, d ln rho_a / d ln rho_j = -J_kj,
// for one quadrupole (signed), or for all quadrupoles the cumulative
// sensitivity sum_k |J_kj| / volume_j. Relative output is divided by the
// largest absolute value.

#include <vector>

#include "engine/forward/ForwardModel.h"
#include "core/jobfiles/SensitivityRequest.h"

namespace vexora {

// One value per block in `sensitivity`; the survey's calculated V/I are
// those of the current model. Returns 0, or 1 with the reason logged and
// the survey untouched.
int generateSensitivity(ProjectStore& store, const SensitivityRequest& request, MessageLog& log,
                        const ComputeControl& control, std::vector<double>& sensitivity);

}  // namespace vexora
