#include "engine/inversion/Sensitivity.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>

#include "engine/Lanes.h"
#include "engine/VectorClones.h"
#include "engine/forward/HexElement.h"
#include "engine/inversion/ShareOut.h"

namespace vexora {

Status modelFieldsAndResistances(const Mesh& mesh, const ForwardSetup& setup, std::span<const double> conductivity,
                                 const ComputeControl& control, int from, int to, std::string_view label,
                                 std::string_view source, MessageLog& log, ForwardSystem& system,
                                 ElectrodeFields& fields, std::vector<double>& resistance)
{
    fields.gridPoints = mesh.nodeGrid.size();
    fields.values.assign(setup.plan.electrodes.size() * fields.gridPoints, 0.0f);
    // The sources are the electrodes themselves (everyElectrodeASource).
    const Status status =
        modelResistances(mesh, setup, conductivity, control, from, to, label, source, log, system, resistance,
                         [&](std::size_t s, const PoleSource& pole, std::span<const double> us) {
                             const std::size_t electrode = static_cast<std::size_t>(setup.plan.sources[s]);
                             std::vector<double> up(fields.gridPoints, 0.0);
                             primaryPotential(mesh, pole, setup.at[electrode], up);
                             float* field = fields.values.data() + electrode * fields.gridPoints;
                             for (std::size_t k = 0; k < fields.gridPoints; ++k)
                                 field[k] = static_cast<float>(up[k] + us[k]);
                         });
    // Each rank filled the fields of its own sources, zeros elsewhere: the
    // sum is exact.
    if (status == Status::Ok) control.ranks->sum(std::span<float>(fields.values));
    return status;
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

// The field of a pole over the grid, or nothing for an absent pole.
inline const float* poleField(const ElectrodeFields& fields, std::int32_t pole)
{
    return pole >= 0 ? fields.values.data() + static_cast<std::size_t>(pole) * fields.gridPoints : nullptr;
}

// Blocks per tile: the measuring electrodes' terms (8 bytes a block each),
// corner lists and the fields at their nodes stay in L2 while the rows of a
// current pair pass over them.
constexpr std::size_t kTileBlocks = 1024;


// terms[e * kTileBlocks + j - j0] = u_e^T (-sigma_j K_j (u_A - u_B)) for the
// measuring electrodes e and blocks [j0, j1). K_j is symmetric, so K_j a
// is the sum of its rows times a_t, which the vector units take whole.
VEXORA_VECTOR_CLONES
void pairTerms(const Mesh& mesh, const double* conductivity, const float* stiffness, const float* fa, const float* fb,
               const float* const* measuring, std::size_t count, std::size_t j0, std::size_t j1, double* terms)
{
    for (std::size_t j = j0; j < j1; ++j) {
        const ElementCorners& corner = mesh.elementNodes[j];
        std::size_t node[8];
        for (std::size_t s = 0; s < 8; ++s) node[s] = static_cast<std::size_t>(corner[s] - 1);
        const float* kj = stiffness + j * 64;
        Lanes low{}, high{};
        for (std::size_t t = 0; t < 8; ++t) {
            const double a = (fa ? static_cast<double>(fa[node[t]]) : 0.0) - (fb ? static_cast<double>(fb[node[t]]) : 0.0);
            low += loadFloats(kj + t * 8) * a;
            high += loadFloats(kj + t * 8 + 4) * a;
        }
        low *= -conductivity[j];
        high *= -conductivity[j];
        for (std::size_t e = 0; e < count; ++e) {
            const float* u = measuring[e];
            const Lanes ul{u[node[0]], u[node[1]], u[node[2]], u[node[3]]};
            const Lanes uh{u[node[4]], u[node[5]], u[node[6]], u[node[7]]};
            const Lanes p = ul * low + uh * high;
            terms[e * kTileBlocks + (j - j0)] = (p[0] + p[1]) + (p[2] + p[3]);
        }
    }
}

}  // namespace

void assembleJacobian(const Mesh& mesh, std::span<const double> conductivity, const QuadrupolePlan& plan,
                      const ElectrodeFields& fields, std::span<const float> stiffness,
                      std::span<const std::size_t> rows, std::span<const double> resistance, int threads,
                      Jacobian& jacobian, const Feedback& progress)
{
    const std::size_t blocks = static_cast<std::size_t>(blockCount(mesh));
    jacobian.rows = rows.size();
    jacobian.cols = blocks;
    jacobian.values.resize(rows.size() * blocks);  // every entry is written below

    // Rows sharing their current electrodes share -sigma_j K_j (u_A - u_B):
    // computed once per pair and block. The row of M, N is then
    // (u_M - u_N)^T of it, and as the rows of a pair share their measuring
    // electrodes too, u_e^T of it is formed once per electrode and each row
    // is a difference of two such terms.
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

    // A pair's current fields and measuring electrodes (sorted, each once).
    struct PairGroup {
        const float *fa = nullptr, *fb = nullptr;
        std::vector<std::int32_t> measuring;
        std::vector<const float*> measuringFields;
    };
    std::vector<PairGroup> groups(groupStart.size() - 1);
    std::size_t mostMeasuring = 0;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        PairGroup& group = groups[g];
        const auto& current = plan.pole[rows[order[groupStart[g]]]];
        group.fa = poleField(fields, current[A]);
        group.fb = poleField(fields, current[B]);
        for (std::size_t o = groupStart[g]; o < groupStart[g + 1]; ++o)
            for (int p : {M, N})
                if (plan.pole[rows[order[o]]][p] >= 0) group.measuring.push_back(plan.pole[rows[order[o]]][p]);
        std::sort(group.measuring.begin(), group.measuring.end());
        group.measuring.erase(std::unique(group.measuring.begin(), group.measuring.end()), group.measuring.end());
        for (std::int32_t e : group.measuring) group.measuringFields.push_back(poleField(fields, e));
        mostMeasuring = std::max(mostMeasuring, group.measuring.size());
    }

    // A pair's values for the whole mesh are far larger than a cache, so
    // they are made and used a tile of blocks at a time, every pair passing
    // over a tile while its stiffnesses (256 KB) and the fields at its nodes
    // are in cache: taken pair by pair instead, the 64 floats of every
    // block's stiffness came from memory once per pair. Threads own whole
    // tiles of every row: the work is even and no row is shared.
    const std::size_t tiles = (blocks + kTileBlocks - 1) / kTileBlocks;
    std::atomic<std::size_t> tilesDone{0};
    auto work = [&](bool reporting, std::size_t firstTile, std::size_t lastTile) {
        std::vector<double> terms(mostMeasuring * kTileBlocks);
        for (std::size_t tile = firstTile; tile < lastTile; ++tile) {
            const std::size_t j0 = tile * kTileBlocks, j1 = std::min(blocks, j0 + kTileBlocks);
            for (std::size_t g = 0; g < groups.size(); ++g) {
                const PairGroup& group = groups[g];
                pairTerms(mesh, conductivity.data(), stiffness.data(), group.fa, group.fb,
                          group.measuringFields.data(), group.measuringFields.size(), j0, j1, terms.data());
                // Electrode e's terms over the tile, or nothing for an absent pole.
                auto termsOf = [&](std::int32_t e) -> const double* {
                    if (e < 0) return nullptr;
                    const auto at =
                        std::lower_bound(group.measuring.begin(), group.measuring.end(), e) - group.measuring.begin();
                    return terms.data() + static_cast<std::size_t>(at) * kTileBlocks;
                };
                for (std::size_t o = groupStart[g]; o < groupStart[g + 1]; ++o) {
                    const std::size_t r = order[o];
                    const auto& pole = plan.pole[rows[r]];
                    const double* tm = termsOf(pole[M]);
                    const double* tn = termsOf(pole[N]);
                    const double inverseV = 1.0 / resistance[rows[r]];
                    float* row = jacobian.values.data() + r * blocks;
                    for (std::size_t b = 0; b < j1 - j0; ++b)
                        row[j0 + b] = static_cast<float>(((tm ? tm[b] : 0.0) - (tn ? tn[b] : 0.0)) * inverseV);
                }
            }
            const std::size_t done = ++tilesDone;
            if (reporting) progress.report(static_cast<int>(100 * done / tiles), "sensitivities");
        }
    };
    // The progress goes where it was asked from: part 0 runs on the calling thread.
    shareOut(tiles, threads, [&](std::size_t part, std::size_t firstTile, std::size_t lastTile) {
        work(part == 0, firstTile, lastTile);
    });
}

}  // namespace vexora
