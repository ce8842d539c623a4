#pragma once
// The diagonal of the model resolution matrix of a survey,
//
//   Res = (J^T W^2 J + lambda R^T R)^-1 J^T W^2 J,
//
// R the inversion's roughness (Roughness.h): how much of a change of block
// j's log resistivity an inversion at roughness factor lambda recovers
// in block j itself (1: all of it, 0: none).
//
// Res is never formed. Its diagonal is probed (Tang and Saad): the blocks
// are coloured by (ix mod p, iy mod p, iz mod p), every colour gives one
// probe v, its blocks +1 or -1 at random, the others 0, and
// Res_jj ~ v_j (Res v)_j, each Res v one conjugate-gradient solve of the
// inversion's own update (GaussNewtonStep). The error of block j is the sum
// of Res_ji v_i v_j over blocks i of its colour, all at least p blocks away:
// a resolution kernel decays with distance and the random signs make the
// remainder cancel on average, so the cost is p^3 solves whatever the mesh.
// Where the grid has no more than p blocks along every axis, each probe holds
// one block and the diagonal is exact (to the solver's tolerance).

#include <cstdint>
#include <span>
#include <vector>

#include "engine/inversion/BlockGrid.h"
#include "engine/inversion/GaussNewtonStep.h"
#include "engine/inversion/Jacobian.h"

namespace vexora {

struct ResolutionOptions {
    double lambda = 1;          // roughness factor
    RoughnessWeights weights;   // the inversion's defaults
    std::size_t colours = 3;    // p, blocks between two of one colour along an axis
    std::uint32_t seed = 1;     // of the probes' signs: the figures are reproducible
    UpdateLimits limits{20, 1e-3};  // a little beyond the inversion's own update
    int threads = 1;
};

struct ResolutionEstimate {
    std::vector<double> diagonal;  // one value per block
    std::size_t probes = 0;        // conjugate-gradient solves made
    bool exact = false;            // each probe held one block
    int worstIterations = 0;       // the longest solve
};

// `dataWeights` one per row of `j` (1 / relative error; all 1 for a designed
// survey, whose errors are not known: lambda then carries the ratio).
ResolutionEstimate resolutionDiagonal(const Jacobian& j, std::span<const double> dataWeights, const BlockGrid& grid,
                                      const ResolutionOptions& options);

}  // namespace vexora
