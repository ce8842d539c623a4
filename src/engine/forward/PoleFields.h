#pragma once
// Pole solutions by singularity removal. For a unit current at a source the
// potential is u = u_p + u_s: u_p the analytic half-space field of the
// source (HalfSpaceField.h) with sigma0 the conductivity where the source
// lies, u_s the secondary potential from
//
//   K u_s = -(K_sigma - sigma0 K_1) u_p - integral_top sigma0 (du_p/dn) N dS
//           - integral_mixed (sigma0 du_p/dn + sigma (cos theta / r) u_p) N dS,
//
// the first surface term being the primary field's flux through the terrain
// surface (zero on flat ground, where u_p already has no normal flux). The
// mixed condition holds for the total field about the source's own position
// (SourceOuterCondition.h); the second surface term is what it leaves on the
// right-hand side, zero where sigma = sigma0 for a source on the surface.
// Dirichlet and Neumann faces apply to u_s. Potentials live on the node grid
// of the stencil matrices (halo entries zero).

#include <functional>
#include <span>
#include <vector>

#include "engine/forward/ForwardSystem.h"
#include "engine/forward/HalfSpaceField.h"
#include "engine/forward/MeshLocation.h"
#include "engine/solver/LinearSolver.h"

namespace vexora {

// The pole source at a located electrode: mirror plane at the surface above
// it, sigma0 of its block, and on the surface the strength that the ground's
// solid angle there asks for (GroundSolidAngle.h).
PoleSource poleSourceAt(const Mesh& mesh, const MeshPoint& at, std::span<const double> conductivity);

// u_p at every real node. A node on the source itself gets the value at a
// quarter of the shortest edge of the source's block, so that blocks of
// another conductivity touching the source see a finite field.
void primaryPotential(const Mesh& mesh, const PoleSource& source, const MeshPoint& at, std::span<double> up);

// The right-hand side above, zero on Dirichlet nodes. Blocks within two of
// the source's block take the volume term with the exact gradient of u_p
// (4 x 4 x 4 Gauss points), which the nodal values of u_p miss there.
void secondaryRightHandSide(const Mesh& mesh, const ForwardSystem& s, std::span<const double> conductivity,
                            const PoleSource& source, const MeshPoint& at, std::span<const double> up,
                            std::span<double> b);

// u at a located point: u_p analytically, u_s through the shape functions.
double totalPotential(const PoleSource& source, std::span<const double> us, const MeshPoint& at);

struct PoleRun {
    int solved = 0;
    SolveReport worst;
    int outerIterations = 0;  // most solves a source took for its own outer condition
    bool aborted = false;
};

// Solves the sources in batches of the solver's preferred size (the right-
// hand sides of a batch built on `threads` threads) and hands every solution
// to `onField(source index, its pole source, u_s at all nodes)`; the total
// potential at the nodes is primaryPotential + u_s. `aborted` is asked before
// each batch, `progress` told the number solved after it.
PoleRun solvePoleFields(const Mesh& mesh, const ForwardSystem& s, const LinearSolver& solver,
                        std::span<const MeshPoint> sources, std::span<const double> conductivity, int threads,
                        const std::function<void(std::size_t, const PoleSource&, std::span<const double> us)>& onField,
                        const std::function<bool()>& aborted, const std::function<void(int done)>& progress);

}  // namespace vexora
