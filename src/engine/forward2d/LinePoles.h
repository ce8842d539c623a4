#pragma once
// Pole solutions of a line model in the wavenumber domain. A unit current
// at a point of the line's plane, its field cosine-transformed along the
// strike, gives at wavenumber k
//
//   -div(sigma grad U) + k^2 sigma U = delta / 2.
//
// By singularity removal U = U_p + U_s: U_p the transform of the half-space
// potential of the source,
//
//   U_p = strength (K0(k r) + K0(k r')) / (4 pi sigma0),
//
// r to the source and r' to its image mirrored at the surface line above it
// (the surface's tangent there; at a slope break the mean of the two
// slopes), sigma0 the cell holding the source, and for a surface source the
// strength 2 pi / Omega that the ground's solid angle Omega = 2 pi + 2 atan g1
// + 2 atan g2 at a break between slopes g1, g2 rising away asks for. U_s from
// bilinear parallelograms,
//
//   (K_sigma + k^2 M_sigma + B) U_s = -(K_sigma - sigma0 K_1 + k^2 (M_sigma - sigma0 M_1)) U_p
//                                     - integral_top sigma0 dU_p/dn N dl
//                                     - integral_outer (sigma0 dU_p/dn + sigma alpha U_p) N dl,
//
// the top term the primary's flux through the terrain (zero on flat ground
// and on the straight stretch through a source), B the mixed condition
// dU/dn + alpha U = 0 on the total field at the ends and bottom,
// alpha = k K1(k r) / K0(k r) cos theta about the source itself (what U_p
// meets there: the outer term vanishes where sigma = sigma0 for a surface
// source on flat ground). The cells within two of the source's take the
// volume term with the exact U_p at 4 x 4 Gauss points. Each wavenumber
// gets one band factorisation, its mixed condition about the sources'
// centre, corrected to each source's own by LineOuterCondition.h.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "engine/forward2d/BandCholesky.h"
#include "engine/forward2d/LineGrid.h"
#include "engine/forward2d/LineWavenumbers.h"

namespace vexora {

struct LineSource {
    LinePoint at;
    double conductivity = 0;  // sigma0: the cell holding the source
    double strength = 1;
    double imageS = 0, imageZ = 0;  // the source mirrored at the surface line above it
};

LineSource lineSourceAt(const LineGrid& grid, const LinePoint& at, std::span<const double> conductivity);

// U_p at (s, z) for wavenumber k.
double linePrimary(const LineSource& source, double k, double s, double z);

// The half-space potential of the source at (s, z) of its plane,
// strength (1 / r + 1 / r') / (4 pi sigma0): what the primary transforms back to.
double linePrimaryPotential(const LineSource& source, double s, double z);

// Unit element matrices of cell (is, id): stiffness and mass, 4 x 4
// row-major in the corner order of LinePoint (2 x 2 Gauss points, exact for
// parallelograms).
struct CellMatrices {
    std::array<double, 16> stiffness{}, mass{};
};
CellMatrices cellMatrices(const LineGrid& grid, int is, int id);

// Those of every cell, in cell order: the same for every model, source and wavenumber.
std::vector<CellMatrices> gridCellMatrices(const LineGrid& grid);

// Cells within two of the source's take the exact U_p.
bool nearSource(const LineSource& source, int is, int id);

// integral over cell (is, id) of grad U_p . grad N_a + k^2 U_p N_a, U_p exact
// at 4 x 4 Gauss points, for the four corners a.
std::array<double, 4> exactPrimaryLoad(const LineGrid& grid, const LineSource& source, double k, int is, int id);

// K_sigma + k^2 M_sigma + B with the mixed condition about (aboutS, aboutZ),
// factored: what every source at wavenumber k shares. False when it is not
// positive definite. `cells` from gridCellMatrices.
struct LineSystem {
    double k = 0, aboutS = 0, aboutZ = 0;
    BandMatrix factor;
};
[[nodiscard]] bool factorLineSystem(const LineGrid& grid, std::span<const CellMatrices> cells,
                                    std::span<const double> conductivity, double k, double aboutS, double aboutZ,
                                    LineSystem& system);

// U_p at every node (the source's own node takes the value a quarter of
// its cell's shorter edge away) and U_s with the source's own outer
// condition, for one source at the wavenumber of `shared`. False when the
// correction from the shared factor does not converge.
[[nodiscard]] bool solveLinePole(const LineGrid& grid, std::span<const CellMatrices> cells,
                                 std::span<const double> conductivity, const LineSource& source,
                                 const LineSystem& shared, std::vector<double>& up, std::vector<double>& us);

using LineFieldSink =
    std::function<void(std::size_t source, std::size_t wavenumber, std::span<const double> up, std::span<const double> us)>;

struct LinePoleRun {
    int solved = 0;  // sources
    bool failed = false;
    bool aborted = false;
};

// Every source at every wavenumber over `threads` threads, each solution
// handed to `onField` (which must take calls from several threads for
// different sources). `aborted` is asked before each source, `progress`
// told the number of sources done.
LinePoleRun solveLinePoles(const LineGrid& grid, std::span<const double> conductivity,
                           std::span<const LineSource> sources, const Wavenumbers& wavenumbers, int threads,
                           const LineFieldSink& onField, const std::function<bool()>& aborted,
                           const std::function<void(int done)>& progress);

}  // namespace vexora
