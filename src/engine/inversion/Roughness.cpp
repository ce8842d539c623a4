#include "engine/inversion/Roughness.h"

#include <cassert>

namespace vexora {

namespace {

// Calls visit(i, j, w) once for every pair of neighbouring blocks.
template <class Visit>
void forEachNeighbourPair(const BlockGrid& g, const RoughnessWeights& w, Visit&& visit)
{
    for (std::size_t iz = 0; iz < g.nz; ++iz)
        for (std::size_t iy = 0; iy < g.ny; ++iy)
            for (std::size_t ix = 0; ix < g.nx; ++ix) {
                const std::size_t i = g.index(ix, iy, iz);
                if (ix + 1 < g.nx) visit(i, i + 1, w.x);
                if (iy + 1 < g.ny) visit(i, i + g.nx, w.y);
                if (iz + 1 < g.nz) visit(i, i + g.nx * g.ny, w.z);
            }
}

}  // namespace

void applyRoughnessNormal(const BlockGrid& grid, const RoughnessWeights& weights, std::span<const double> m,
                          std::span<double> out)
{
    assert(m.size() == grid.size() && out.size() == grid.size());
    std::fill(out.begin(), out.end(), 0.0);
    forEachNeighbourPair(grid, weights, [&](std::size_t i, std::size_t j, double w) {
        const double d = w * (m[i] - m[j]);
        out[i] += d;
        out[j] -= d;
    });
}

double roughnessNorm(const BlockGrid& grid, const RoughnessWeights& weights, std::span<const double> m)
{
    double sum = 0;
    forEachNeighbourPair(grid, weights, [&](std::size_t i, std::size_t j, double w) {
        const double d = m[i] - m[j];
        sum += w * d * d;
    });
    return sum;
}

void roughnessNormalDiagonal(const BlockGrid& grid, const RoughnessWeights& weights, std::span<double> out)
{
    std::fill(out.begin(), out.end(), 0.0);
    forEachNeighbourPair(grid, weights, [&](std::size_t i, std::size_t j, double w) {
        out[i] += w;
        out[j] += w;
    });
}

}  // namespace vexora
