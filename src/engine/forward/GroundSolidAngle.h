#pragma once
// The solid angle the ground fills around a point of the terrain surface.
//
// Near a pole source the potential is 1 / (Omega sigma r), Omega that solid
// angle: 2 pi on a plane of any tilt, more at the foot of a slope, less on a
// crest. The mesh cannot resolve a singularity of the wrong strength, so the
// primary field of a surface source is scaled by 2 pi / Omega.
//
// With s(phi) the surface's slope leaving the point in azimuth phi, a ray at
// elevation theta lies in the ground below theta = atan s(phi), so
//
//   Omega = integral over phi of (1 + sin atan s(phi)) d phi.
//
// For a 2D slope break between slopes g1 and g2 (rising away from the point
// on each side) this is 2 pi + 2 atan g1 + 2 atan g2.

#include <functional>

namespace vexora {

// Omega from the surface's height h(dx, dy) relative to the point, sampled at
// `radius` around it (small against the surface's facets, large against
// rounding).
double groundSolidAngle(const std::function<double(double dx, double dy)>& height, double radius);

}  // namespace vexora
