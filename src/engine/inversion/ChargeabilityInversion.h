#pragma once
// The chargeability inversion after the resistivity inversion. By Seigel's
// definition, to first order in the chargeability eta of the blocks,
//
//   eta_a,k = sum_j (d ln rho_a,k / d ln rho_j) eta_j = -sum_j J_kj eta_j,
//
// with J the resistivity inversion's sensitivities at its final model: a
// linear problem, solved with the same smoothness-constrained update and
// roughness-factor rule, eta kept within 0 .. 0.99.

#include <span>
#include <vector>

#include "engine/inversion/InversionSettings.h"
#include "engine/inversion/Jacobian.h"
#include "core/project/ProjectStore.h"

namespace vexora {

// `jacobian` holds the rows `rows` (quadrupole indices) and is negated in
// place. The data are the mean of the IP windows over the IP scale. Fills
// the IP model and the calculated IP of those quadrupoles; returns 0, or 1
// with the reason logged and the store untouched.
int invertChargeability(ProjectStore& store, const InversionSettings& settings, Jacobian& jacobian,
                        std::span<const std::size_t> rows, int threads, MessageLog& log);

}  // namespace vexora
