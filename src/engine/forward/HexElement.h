#pragma once
// The trilinear hexahedron of the mesh: corner slot s sits at local
// coordinates (xi, eta, zeta) = (+-1, +-1, +-1) with bit 0 of s for xi, bit 1
// for eta and bit 2 for zeta (slots 0-3 the upper face, 4-7 the lower, as in
// the mesh's element corners).

#include <array>
#include <cmath>
#include <functional>

#include "core/mesh/Mesh.h"

namespace vexora {

using ElementCorners3 = std::array<NodePoint, 8>;
using ElementMatrix = std::array<double, 64>;  // row-major 8 x 8

// N_s(xi, eta, zeta) for the eight slots.
std::array<double, 8> trilinearShape(double xi, double eta, double zeta);

// K_ab = integral over the element of grad N_a . grad N_b (conductivity 1),
// by 2 x 2 x 2 Gauss quadrature (exact for parallelepipeds). The element
// matrix of conductivity sigma is sigma times this.
void unitStiffness(const ElementCorners3& corner, ElementMatrix& k);

// l_a = integral over the element of grad g . grad N_a for a field g given
// by its gradient, by 4 x 4 x 4 Gauss quadrature: for fields that vary
// faster than the element's own shape functions can follow.
void gradientLoad(const ElementCorners3& corner, const std::function<std::array<double, 3>(const NodePoint&)>& gradient,
                  std::array<double, 8>& load);

// A quadrilateral face: corners in (0,0), (1,0), (0,1), (1,1) order of its two
// local axes, bilinear between them.
using FaceCorners = std::array<NodePoint, 4>;

// Calls f(point, unit normal pointing away from `inside`, dA, N[4]) at the
// 2 x 2 Gauss points of the face, so that sum f * N_i approximates the
// surface integral of f N_i.
template <class F>
void forEachFaceGaussPoint(const FaceCorners& c, const NodePoint& inside, F&& f)
{
    constexpr double g = 0.57735026918962576;
    for (double v : {-g, g})
        for (double u : {-g, g}) {
            const std::array<double, 4> n = {(1 - u) * (1 - v) / 4, (1 + u) * (1 - v) / 4, (1 - u) * (1 + v) / 4,
                                             (1 + u) * (1 + v) / 4};
            const std::array<double, 4> du = {-(1 - v) / 4, (1 - v) / 4, -(1 + v) / 4, (1 + v) / 4};
            const std::array<double, 4> dv = {-(1 - u) / 4, -(1 + u) / 4, (1 - u) / 4, (1 + u) / 4};
            NodePoint p, tu, tv;
            for (int i = 0; i < 4; ++i) {
                p.x += n[i] * c[i].x, p.y += n[i] * c[i].y, p.z += n[i] * c[i].z;
                tu.x += du[i] * c[i].x, tu.y += du[i] * c[i].y, tu.z += du[i] * c[i].z;
                tv.x += dv[i] * c[i].x, tv.y += dv[i] * c[i].y, tv.z += dv[i] * c[i].z;
            }
            NodePoint normal{tu.y * tv.z - tu.z * tv.y, tu.z * tv.x - tu.x * tv.z, tu.x * tv.y - tu.y * tv.x};
            const double area = std::sqrt(normal.x * normal.x + normal.y * normal.y + normal.z * normal.z);
            if (area == 0.0) continue;
            const double outward =
                (p.x - inside.x) * normal.x + (p.y - inside.y) * normal.y + (p.z - inside.z) * normal.z < 0 ? -1.0
                                                                                                            : 1.0;
            normal = {outward * normal.x / area, outward * normal.y / area, outward * normal.z / area};
            f(p, normal, area, n);
        }
}

}  // namespace vexora
