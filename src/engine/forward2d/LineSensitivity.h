#pragma once
// Sensitivities of a line model for the inversion: dV/dsigma_c of every
// quadrupole for every cell, from the pole solutions of every electrode
// without further solves. By Parseval's theorem for the cosine transform
// the 3D form -integral grad u_A . grad u_M dV over the cell's strip becomes
//
//   dV/dsigma_c = -(4 / pi) integral_0^inf U_A^T (K_c + k^2 M_c) U_M dk
//               = -2 sum_i weight_i U_A(k_i)^T (K_c + k_i^2 M_c) U_M(k_i),
//
// U the total nodal field (U_p + U_s) and the weights those of the
// potential (which carry 2 / pi), summed over A, B and M, N with their signs.

#include <span>
#include <string_view>
#include <vector>

#include "engine/forward2d/LineForward.h"

namespace vexora {

struct LineJacobian {
    std::size_t cells = 0;
    std::vector<double> values;  // quadrupole-major: values[q * cells + c]; zero rows for uncomputed quadrupoles
    const double* row(std::size_t q) const { return values.data() + q * cells; }
};

// V/I per quadrupole and the sensitivities for `conductivity`; `setup` must
// give every electrode a pole solution (prepareLineForward with
// everyElectrodeASource).
Status lineSensitivities(const LineGrid& grid, const LineSetup& setup, std::span<const double> conductivity,
                         const ComputeControl& control, std::string_view source, MessageLog& log,
                         std::vector<double>& resistance, LineJacobian& jacobian);

}  // namespace vexora
