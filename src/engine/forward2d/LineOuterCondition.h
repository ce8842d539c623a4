#pragma once
// Each source's own mixed outer condition on a line model from one factor
// per wavenumber. The shared matrix K_c takes the condition about one point
// for every source; the exact matrix of source j is
//
//   K_j = K_c + B_j - B_c,
//
// B_j the mixed term about source j: nonzero only on the ends and bottom.
// K_j is symmetric positive definite (cos theta >= 0 on the outer edges for
// any point inside), so conjugate gradients preconditioned by K_c^-1 reach
// it from K_c^-1 b in a few solves with the shared factor: far cheaper than
// a factor of its own, and exact to the tolerance. Since K_c z = r comes
// from the factor, K_j p needs only the boundary product.

#include <cstdint>
#include <span>
#include <vector>

#include "engine/forward2d/BandCholesky.h"

namespace vexora {

// One term of B_j - B_c: (i, j) and (j, i) with i >= j, once where i == j.
struct OuterTerm {
    std::int64_t i = 0, j = 0;
    double value = 0;
};

// Solves K_j x = b (x in place of b) until |b - K_j x| is within
// `tolerance` of the larger of |b| and the unit current, `factor` the
// Cholesky factor of K_c. The number of solves beyond the first, or -1 when
// `maxIterations` did not reach the tolerance.
int solveAboutSource(const BandMatrix& factor, std::span<const OuterTerm> difference, std::span<double> x,
                     double tolerance, int maxIterations);

}  // namespace vexora
