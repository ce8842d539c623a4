#pragma once
// The inverse cosine transform of a line model: the potential at the line,
//
//   u = (2 / pi) integral_0^inf U(k) dk,
//
// taken as sum weight_i U(k_i) over a few wavenumbers chosen for the
// survey's distances. The wavenumbers are spaced evenly in ln k over the
// range the distances call for; the weights are fitted by least squares so
// that the sum reproduces the transform of a point source,
// (2 / pi) integral K0(k r) dk = 1 / r, at every distance from `shortest`
// to `longest` (relative error, on a log-spaced set of distances). The
// secondary field of a layered or blocky earth is a superposition of such
// terms at distances no shorter than the nearest contact, so the same
// weights serve it.

#include <vector>

namespace vexora {

struct Wavenumbers {
    std::vector<double> k;
    std::vector<double> weight;  // (2 / pi) included
};

// `count` wavenumbers (at least 2) for distances from `shortest` to
// `longest` (0 < shortest < longest).
Wavenumbers lineWavenumbers(double shortest, double longest, int count);

// The largest |sum weight_i K0(k_i r) r - 1| over log-spaced r from
// `shortest` to `longest`: the quadrature's own error.
double wavenumberError(const Wavenumbers& w, double shortest, double longest);

}  // namespace vexora
