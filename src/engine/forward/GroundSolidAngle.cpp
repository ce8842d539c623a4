#include "engine/forward/GroundSolidAngle.h"

#include <cmath>
#include <numbers>

namespace vexora {

double groundSolidAngle(const std::function<double(double dx, double dy)>& height, double radius)
{
    // The integrand is smooth between facet edges and bounded everywhere:
    // the midpoint rule over 720 azimuths is good to a few 1e-5 of 2 pi.
    constexpr int kAzimuths = 720;
    const double step = 2 * std::numbers::pi / kAzimuths;
    double omega = 0;
    for (int k = 0; k < kAzimuths; ++k) {
        const double phi = (k + 0.5) * step;
        const double slope = height(radius * std::cos(phi), radius * std::sin(phi)) / radius;
        omega += 1 + slope / std::sqrt(1 + slope * slope);
    }
    return omega * step;
}

}  // namespace vexora
