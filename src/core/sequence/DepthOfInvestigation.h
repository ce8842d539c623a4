#pragma once
// The median depth of investigation of a quadrupole on a homogeneous half-
// space: the depth above which thin horizontal layers give half of the
// measured signal (Edwards 1977). A pole-pole at distance r is sensitive to
// a layer at depth z in proportion to z / (r^2 + 4 z^2)^(3/2), so the part
// above depth Z is 1/r - 1/sqrt(r^2 + 4 Z^2); a quadrupole adds its four
// pole pairs with the signs of the geometric factor:
//
//   G(Z) = sum s_PQ (1/r_PQ - 1/sqrt(r_PQ^2 + 4 Z^2)),  (s_AM, s_AN, s_BM, s_BN) = (+, -, -, +)
//
// and the median depth solves G(Z) = G(infinity) / 2. It is 0.866 r for a
// pole-pole, 0.519 a for a Wenner of spacing a.

#include "core/import/GeometricFactor.h"

namespace vexora {

// Horizontal distances only (the half-space has no topography); absent
// poles contribute nothing. 0 when the quadrupole measures nothing (S = 0).
double medianDepthOfInvestigation(const Point3 pole[4], const bool present[4]);

}  // namespace vexora
