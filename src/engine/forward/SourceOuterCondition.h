#pragma once
// The mixed outer condition about each source's own position. The shared
// system K_c takes the mixed term with one coefficient for all sources, so
// that one matrix (one factorisation) serves them all; the exact system of
// source j is
//
//   K_j = K_c + B_j - B_c,
//
// B_j the mixed term about source j: a boundary-only difference. K_j is
// symmetric positive definite (cos theta >= 0 on the faces of a box around
// the source), so conjugate gradients preconditioned by K_c^-1 (the shared
// solver) reach it from K_c^-1 b in a few iterations. Since K_c z = r comes
// from the solver, K_j p needs only the boundary product: no stencil product.

#include <span>

#include "engine/forward/ForwardSystem.h"
#include "engine/solver/LinearSolver.h"

namespace vexora {

// Turns x_j = K_c^-1 b_j (count systems stored one after the other) into
// K_j^-1 b_j, about[j] the position of source j, until |b - K_j x| is within
// `tolerance` of the larger of |b| and the unit current. iterations counts
// the solves with K_c beyond the first.
SolveReport solveAboutSources(const ForwardSystem& s, const LinearSolver& solver, std::span<const NodePoint> about,
                              std::span<const double> b, std::span<double> x, int count, double tolerance,
                              int maxIterations);

}  // namespace vexora
