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

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "engine/forward2d/LineForward.h"

namespace vexora {

// A cell next to a source, where the forward model's exact primary adds to
// the nodal one: the exact primary load less (K_c + k^2 M_c) U_p.
struct NearCell {
    std::size_t cell = 0;
    std::array<std::int64_t, 4> node{};
    std::array<double, 4> load{};
};

// The pole solutions of one model as the sensitivities need them.
struct LinePoleFields {
    std::size_t nodes = 0, waves = 0;
    std::vector<double> total;                // U_p + U_s per (source, wavenumber), node after node
    std::vector<std::vector<NearCell>> near;  // per (source, wavenumber)
    const double* of(std::size_t source, std::size_t wave) const { return total.data() + (source * waves + wave) * nodes; }
};

// lineResistances, keeping the fields of every source; `setup` must give
// every electrode a pole solution (prepareLineForward with everyElectrodeASource).
Status lineResistancesAndFields(const LineGrid& grid, const LineSetup& setup, std::span<const double> conductivity,
                                const ComputeControl& control, int from, int to, std::string_view source,
                                MessageLog& log, std::vector<double>& resistance, LinePoleFields& fields);

// dV/dsigma_c of the quadrupoles `rows` (plan indices) from the fields;
// `store(i, row)` gets that of rows[i], once each, from any of the setup's
// threads.
using LineSensitivityStore = std::function<void(std::size_t i, std::span<const double> row)>;
void lineSensitivityRows(const LineGrid& grid, const LineSetup& setup, const LinePoleFields& fields,
                         std::span<const std::size_t> rows, const LineSensitivityStore& store);

struct LineJacobian {
    std::size_t cells = 0;
    std::vector<double> values;  // quadrupole-major: values[q * cells + c]; zero rows for uncomputed quadrupoles
    const double* row(std::size_t q) const { return values.data() + q * cells; }
};

// V/I per quadrupole and the sensitivities of every computed one for `conductivity`.
Status lineSensitivities(const LineGrid& grid, const LineSetup& setup, std::span<const double> conductivity,
                         const ComputeControl& control, std::string_view source, MessageLog& log,
                         std::vector<double>& resistance, LineJacobian& jacobian);

}  // namespace vexora
