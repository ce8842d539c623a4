#pragma once
// The primary field of a pole source: the potential of a unit current in a
// homogeneous half-space of conductivity sigma0 bounded by the horizontal
// plane z = mirrorZ,
//
//   u_p(r) = (1 / r + 1 / r') / (4 pi sigma0),
//
// r the distance to the source and r' to its image mirrored at that plane
// (for a source on the surface, 1 / (2 pi sigma0 r)), times the source's
// strength: 2 pi over the ground's solid angle where a surface source sits on
// a slope break (GroundSolidAngle.h), 1 elsewhere.

#include <array>

#include "core/mesh/Mesh.h"

namespace vexora {

struct PoleSource {
    NodePoint position;
    double mirrorZ = 0;       // the surface height above the source
    double conductivity = 0;  // sigma0: the block the source lies in
    double strength = 1;
};

double halfSpacePotential(const PoleSource& source, const NodePoint& p);
std::array<double, 3> halfSpaceGradient(const PoleSource& source, const NodePoint& p);

}  // namespace vexora
