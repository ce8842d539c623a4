#include "engine/forward/HexElement.h"

#include <cmath>

namespace vexora {

namespace {

double corner(int s, int axis)
{
    return (s >> axis) & 1 ? 1.0 : -1.0;
}

}  // namespace

std::array<double, 8> trilinearShape(double xi, double eta, double zeta)
{
    std::array<double, 8> n{};
    for (int s = 0; s < 8; ++s)
        n[static_cast<std::size_t>(s)] =
            (1 + corner(s, 0) * xi) * (1 + corner(s, 1) * eta) * (1 + corner(s, 2) * zeta) / 8;
    return n;
}

namespace {

// Position, shape function gradients and |det J| at local coordinates.
struct GaussPointValues {
    NodePoint point;
    double grad[8][3];
    double weight;
};

GaussPointValues atLocal(const ElementCorners3& c, const double local[3])
{
    GaussPointValues v{};
    // dN_s / d(xi, eta, zeta)
    double dn[8][3];
    for (int s = 0; s < 8; ++s)
        for (int a = 0; a < 3; ++a) {
            double d = corner(s, a) / 8;
            for (int b = 0; b < 3; ++b)
                if (b != a) d *= 1 + corner(s, b) * local[b];
            dn[s][a] = d;
        }
    // Jacobian J(a, i) = d x_i / d local_a.
    double j[3][3] = {};
    for (std::size_t s = 0; s < 8; ++s) {
        double n = 1.0 / 8;
        for (int a = 0; a < 3; ++a) n *= 1 + corner(static_cast<int>(s), a) * local[a];
        v.point.x += n * c[s].x, v.point.y += n * c[s].y, v.point.z += n * c[s].z;
        for (std::size_t a = 0; a < 3; ++a) {
            j[a][0] += dn[s][a] * c[s].x;
            j[a][1] += dn[s][a] * c[s].y;
            j[a][2] += dn[s][a] * c[s].z;
        }
    }
    const double det = j[0][0] * (j[1][1] * j[2][2] - j[1][2] * j[2][1]) -
                       j[0][1] * (j[1][0] * j[2][2] - j[1][2] * j[2][0]) +
                       j[0][2] * (j[1][0] * j[2][1] - j[1][1] * j[2][0]);
    // grad N = J^-1 dN, with J^-1 from the adjugate.
    const double inv[3][3] = {
        {(j[1][1] * j[2][2] - j[1][2] * j[2][1]) / det, (j[0][2] * j[2][1] - j[0][1] * j[2][2]) / det,
         (j[0][1] * j[1][2] - j[0][2] * j[1][1]) / det},
        {(j[1][2] * j[2][0] - j[1][0] * j[2][2]) / det, (j[0][0] * j[2][2] - j[0][2] * j[2][0]) / det,
         (j[0][2] * j[1][0] - j[0][0] * j[1][2]) / det},
        {(j[1][0] * j[2][1] - j[1][1] * j[2][0]) / det, (j[0][1] * j[2][0] - j[0][0] * j[2][1]) / det,
         (j[0][0] * j[1][1] - j[0][1] * j[1][0]) / det}};
    for (int s = 0; s < 8; ++s)
        for (int i = 0; i < 3; ++i) v.grad[s][i] = inv[i][0] * dn[s][0] + inv[i][1] * dn[s][1] + inv[i][2] * dn[s][2];
    v.weight = std::abs(det);
    return v;
}

}  // namespace

void unitStiffness(const ElementCorners3& c, ElementMatrix& k)
{
    constexpr double g = 0.57735026918962576;
    k.fill(0.0);
    for (int q = 0; q < 8; ++q) {
        const double local[3] = {g * corner(q, 0), g * corner(q, 1), g * corner(q, 2)};
        const GaussPointValues v = atLocal(c, local);
        for (int a = 0; a < 8; ++a)
            for (int b = a; b < 8; ++b) {
                const double e = v.weight * (v.grad[a][0] * v.grad[b][0] + v.grad[a][1] * v.grad[b][1] +
                                             v.grad[a][2] * v.grad[b][2]);
                k[static_cast<std::size_t>(a * 8 + b)] += e;
                if (b != a) k[static_cast<std::size_t>(b * 8 + a)] += e;
            }
    }
}

void gradientLoad(const ElementCorners3& c, const std::function<std::array<double, 3>(const NodePoint&)>& gradient,
                  std::array<double, 8>& load)
{
    constexpr double x[4] = {-0.86113631159405258, -0.33998104358485626, 0.33998104358485626, 0.86113631159405258};
    constexpr double w[4] = {0.34785484513745386, 0.65214515486254614, 0.65214515486254614, 0.34785484513745386};
    load.fill(0.0);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k) {
                const double local[3] = {x[i], x[j], x[k]};
                const GaussPointValues v = atLocal(c, local);
                const std::array<double, 3> g = gradient(v.point);
                const double weight = w[i] * w[j] * w[k] * v.weight;
                for (std::size_t s = 0; s < 8; ++s)
                    load[s] += weight * (g[0] * v.grad[s][0] + g[1] * v.grad[s][1] + g[2] * v.grad[s][2]);
            }
}

}  // namespace vexora
