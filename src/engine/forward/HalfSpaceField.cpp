#include "engine/forward/HalfSpaceField.h"

#include <cmath>
#include <numbers>

namespace vexora {

double halfSpacePotential(const PoleSource& s, const NodePoint& p)
{
    const double dx = p.x - s.position.x, dy = p.y - s.position.y, dz = p.z - s.position.z;
    const double dzImage = p.z - (2 * s.mirrorZ - s.position.z);
    const double r = std::sqrt(dx * dx + dy * dy + dz * dz);
    const double rImage = std::sqrt(dx * dx + dy * dy + dzImage * dzImage);
    return s.strength * (1 / r + 1 / rImage) / (4 * std::numbers::pi * s.conductivity);
}

std::array<double, 3> halfSpaceGradient(const PoleSource& s, const NodePoint& p)
{
    const double dx = p.x - s.position.x, dy = p.y - s.position.y, dz = p.z - s.position.z;
    const double dzImage = p.z - (2 * s.mirrorZ - s.position.z);
    const double r = std::sqrt(dx * dx + dy * dy + dz * dz);
    const double rImage = std::sqrt(dx * dx + dy * dy + dzImage * dzImage);
    const double a = 1 / (r * r * r), b = 1 / (rImage * rImage * rImage);
    const double c = -s.strength / (4 * std::numbers::pi * s.conductivity);
    return {c * (a + b) * dx, c * (a + b) * dy, c * (a * dz + b * dzImage)};
}

}  // namespace vexora
