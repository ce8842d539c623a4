#include "inversion/Sensitivity.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "forward/HexElement.h"
#include "inversion/ShareOut.h"

namespace vexora {

int modelFieldsAndResistances(const Mesh& mesh, const ForwardSetup& setup, std::span<const double> conductivity,
                              const ComputeControl& control, int from, int to, std::string_view label,
                              std::string_view source, MessageLog& log, ForwardSystem& system, ElectrodeFields& fields,
                              std::vector<double>& resistance)
{
    fields.gridPoints = mesh.nodeGrid.size();
    fields.values.assign(setup.plan.electrodes.size() * fields.gridPoints, 0.0f);
    // The sources are the electrodes themselves (everyElectrodeASource).
    return modelResistances(mesh, setup, conductivity, control, from, to, label, source, log, system, resistance,
                            [&](std::size_t s, const PoleSource& pole, std::span<const double> us) {
                                const std::size_t electrode = static_cast<std::size_t>(setup.plan.sources[s]);
                                std::vector<double> up(fields.gridPoints, 0.0);
                                primaryPotential(mesh, pole, setup.at[electrode], up);
                                float* field = fields.values.data() + electrode * fields.gridPoints;
                                for (std::size_t k = 0; k < fields.gridPoints; ++k)
                                    field[k] = static_cast<float>(up[k] + us[k]);
                            });
}

std::vector<float> blockStiffnesses(const Mesh& mesh)
{
    const std::int64_t blocks = blockCount(mesh);
    std::vector<float> stiffness(static_cast<std::size_t>(blocks) * 64);
    ElementMatrix k;
    for (std::int64_t e = 0; e < blocks; ++e) {
        blockUnitStiffness(mesh, e, k);
        std::copy(k.begin(), k.end(), stiffness.begin() + e * 64);
    }
    return stiffness;
}

std::vector<double> blockVolumes(const Mesh& mesh)
{
    constexpr double g = 0.57735026918962576;
    const std::int64_t blocks = blockCount(mesh);
    std::vector<double> volume(static_cast<std::size_t>(blocks));
    for (std::int64_t e = 0; e < blocks; ++e) {
        const ElementCorners3 c = blockCorners(mesh, e);
        double sum = 0;
        for (double zeta : {-g, g})
            for (double eta : {-g, g})
                for (double xi : {-g, g}) {
                    // d(x, y, z) / d(xi, eta, zeta) of the trilinear map.
                    std::array<std::array<double, 3>, 3> d{};
                    for (int s = 0; s < 8; ++s) {
                        const double sx = (s & 1) ? 1 : -1, sy = (s & 2) ? 1 : -1, sz = (s & 4) ? 1 : -1;
                        const double dn[3] = {sx * (1 + sy * eta) * (1 + sz * zeta) / 8,
                                              sy * (1 + sx * xi) * (1 + sz * zeta) / 8,
                                              sz * (1 + sx * xi) * (1 + sy * eta) / 8};
                        const double p[3] = {c[static_cast<std::size_t>(s)].x, c[static_cast<std::size_t>(s)].y,
                                             c[static_cast<std::size_t>(s)].z};
                        for (int a = 0; a < 3; ++a)
                            for (int b = 0; b < 3; ++b) d[a][b] += p[a] * dn[b];
                    }
                    sum += d[0][0] * (d[1][1] * d[2][2] - d[1][2] * d[2][1]) -
                           d[0][1] * (d[1][0] * d[2][2] - d[1][2] * d[2][0]) +
                           d[0][2] * (d[1][0] * d[2][1] - d[1][1] * d[2][0]);
                }
        volume[static_cast<std::size_t>(e)] = std::abs(sum);  // z runs downward in index order
    }
    return volume;
}

namespace {

// The eight corner values of (u_P - u_Q) for block corners, absent poles 0.
inline void cornerDifference(const ElectrodeFields& fields, std::int32_t p, std::int32_t q, const ElementCorners& corner,
                             double out[8])
{
    for (int s = 0; s < 8; ++s) {
        const std::size_t node = static_cast<std::size_t>(corner[static_cast<std::size_t>(s)] - 1);
        double v = 0;
        if (p >= 0) v += fields.values[static_cast<std::size_t>(p) * fields.gridPoints + node];
        if (q >= 0) v -= fields.values[static_cast<std::size_t>(q) * fields.gridPoints + node];
        out[s] = v;
    }
}

}  // namespace

void assembleJacobian(const Mesh& mesh, std::span<const double> conductivity, const QuadrupolePlan& plan,
                      const ElectrodeFields& fields, std::span<const float> stiffness,
                      std::span<const std::size_t> rows, std::span<const double> resistance, int threads,
                      Jacobian& jacobian)
{
    const std::size_t blocks = static_cast<std::size_t>(blockCount(mesh));
    jacobian.rows = rows.size();
    jacobian.cols = blocks;
    jacobian.values.assign(rows.size() * blocks, 0.0f);

    // Rows sharing their current electrodes share -sigma_j K_j (u_A - u_B):
    // computed once per pair and block, each row then costs a dot product
    // of eight per block.
    std::vector<std::size_t> order(rows.size());
    for (std::size_t r = 0; r < order.size(); ++r) order[r] = r;
    auto pair = [&](std::size_t r) {
        const auto& pole = plan.pole[rows[r]];
        return std::pair(pole[A], pole[B]);
    };
    std::sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) { return pair(x) < pair(y); });
    std::vector<std::size_t> groupStart;
    for (std::size_t g = 0; g < order.size(); ++g)
        if (g == 0 || pair(order[g]) != pair(order[g - 1])) groupStart.push_back(g);
    groupStart.push_back(order.size());

    auto work = [&](std::size_t firstGroup, std::size_t lastGroup) {
        std::vector<double> ka(blocks * 8);
        double a[8], b[8];
        for (std::size_t g = firstGroup; g < lastGroup; ++g) {
            const auto& current = plan.pole[rows[order[groupStart[g]]]];
            for (std::size_t j = 0; j < blocks; ++j) {
                cornerDifference(fields, current[A], current[B], mesh.elementNodes[j], a);
                const float* kj = stiffness.data() + j * 64;
                for (int s = 0; s < 8; ++s) {
                    double sum = 0;
                    for (int t = 0; t < 8; ++t) sum += kj[s * 8 + t] * a[t];
                    ka[j * 8 + static_cast<std::size_t>(s)] = -conductivity[j] * sum;
                }
            }
            for (std::size_t o = groupStart[g]; o < groupStart[g + 1]; ++o) {
                const std::size_t r = order[o];
                const auto& pole = plan.pole[rows[r]];
                const double inverseV = 1.0 / resistance[rows[r]];
                const std::span<float> row = jacobian.row(r);
                for (std::size_t j = 0; j < blocks; ++j) {
                    cornerDifference(fields, pole[M], pole[N], mesh.elementNodes[j], b);
                    double product = 0;  // b^T (-sigma_j K_j a)
                    for (int s = 0; s < 8; ++s) product += b[s] * ka[j * 8 + static_cast<std::size_t>(s)];
                    row[j] = static_cast<float>(product * inverseV);
                }
            }
        }
    };
    shareOut(groupStart.size() - 1, threads,
             [&](std::size_t, std::size_t firstGroup, std::size_t lastGroup) { work(firstGroup, lastGroup); });
}

}  // namespace vexora
