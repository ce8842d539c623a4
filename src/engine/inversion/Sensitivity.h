#pragma once
// Sensitivities by reciprocity. With the total potential u_e of a unit
// current at every electrode e, the change of a quadrupole's V/I with the
// conductivity of block j needs no further solve:
//
//   dV/d ln sigma_j = -sigma_j (u_A - u_B)^T K_j (u_M - u_N),
//
// K_j the block's unit stiffness over its eight corners, absent poles
// dropped. The inversion's data are ln |V/I|, so J_kj = (dV_k/d ln sigma_j) / V_k.

#include <cstddef>
#include <span>
#include <vector>

#include "engine/forward/ForwardPass.h"
#include "engine/inversion/Jacobian.h"

namespace vexora {

// u = u_p + u_s of every plan electrode at every grid point, in single
// precision: the sensitivities need no more, and it halves the largest store.
struct ElectrodeFields {
    std::size_t gridPoints = 0;
    LargeVector<float> values;  // electrode after electrode
    std::span<const float> of(std::size_t electrode) const
    {
        return {values.data() + electrode * gridPoints, gridPoints};
    }
};

// One model with every electrode a source (prepareForward with
// everyElectrodeASource): the electrode fields and V/I per quadrupole.
Status modelFieldsAndResistances(const Mesh& mesh, const ForwardSetup& setup, std::span<const double> conductivity,
                                 const ComputeControl& control, int from, int to, std::string_view label,
                                 std::string_view source, MessageLog& log, ForwardSystem& system,
                                 ElectrodeFields& fields, std::vector<double>& resistance);

// The unit stiffness of every block, single precision, 64 values each.
std::vector<float> blockStiffnesses(const Mesh& mesh);

// Volume of every block (its trilinear map integrated by 2 x 2 x 2 Gauss points).
std::vector<double> blockVolumes(const Mesh& mesh);

// J for the quadrupoles `rows` (plan indices) over every block; `resistance`
// holds the V/I of the plan's quadrupoles, `stiffness` is blockStiffnesses'
// (symmetric, as a stiffness is). Tiles of blocks are shared out to
// `threads`; the calling thread reports the tiles done, 0 to 100.
void assembleJacobian(const Mesh& mesh, std::span<const double> conductivity, const QuadrupolePlan& plan,
                      const ElectrodeFields& fields, std::span<const float> stiffness,
                      std::span<const std::size_t> rows, std::span<const double> resistance, int threads,
                      Jacobian& jacobian, const Feedback& progress = {});

}  // namespace vexora
