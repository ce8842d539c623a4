#include "engine/solver/StencilMatrix.h"

#include <algorithm>
#include <numeric>
#include <thread>

namespace vexora {

int upperSlot(int dx, int dy, int dz)
{
    // Neighbours sorted by (dz, dy, dx) are sorted by node offset, so the 13
    // after the centre of the 3x3x3 block are the later ones.
    const int block = (dx + 1) + 3 * (dy + 1) + 9 * (dz + 1);
    return block > 13 ? block - 13 : 0;
}

StencilMatrix makeStencilMatrix(std::int32_t nx, std::int32_t ny, std::int32_t nz)
{
    StencilMatrix a;
    a.nx = nx;
    a.ny = ny;
    a.nz = nz;
    a.strideY = nx + 2;
    a.strideZ = static_cast<std::int64_t>(nx + 2) * (ny + 2);
    for (int dz = -1; dz <= 1; ++dz)
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (const int slot = upperSlot(dx, dy, dz))
                    a.upperOffset[static_cast<std::size_t>(slot - 1)] = dx + dy * a.strideY + dz * a.strideZ;
    a.coefficients.assign(static_cast<std::size_t>(a.gridPoints() * kStencilSlots), 0.0);
    return a;
}

void addCoupling(StencilMatrix& a, std::int64_t k, int dx, int dy, int dz, double value)
{
    if (dx == 0 && dy == 0 && dz == 0) {
        a.row(k)[0] += value;
    } else if (const int slot = upperSlot(dx, dy, dz)) {
        a.row(k)[slot] += value;
    } else {
        const int back = upperSlot(-dx, -dy, -dz);
        a.row(k - a.upperOffset[static_cast<std::size_t>(back - 1)])[back] += value;
    }
}

namespace {

void multiplyPlanes(const StencilMatrix& a, const double* x, double* y, std::int32_t iz0, std::int32_t iz1)
{
    forEachRealNode(a, iz0, iz1, [&](std::int64_t k) {
        const double* r = a.row(k);
        double sum = r[0] * x[k];
        for (int s = 1; s <= kUpperNeighbours; ++s) {
            const std::int64_t o = a.upperOffset[static_cast<std::size_t>(s - 1)];
            sum += r[s] * x[k + o] + a.row(k - o)[s] * x[k - o];
        }
        y[k] = sum;
    });
}

}  // namespace

void multiply(const StencilMatrix& a, std::span<const double> x, std::span<double> y, int threads)
{
    std::fill(y.begin(), y.end(), 0.0);
    threads = std::clamp(threads, 1, a.nz);
    if (threads == 1) return multiplyPlanes(a, x.data(), y.data(), 1, a.nz + 1);
    std::vector<std::jthread> workers;
    workers.reserve(static_cast<std::size_t>(threads));
    for (int t = 0; t < threads; ++t) {
        const std::int32_t iz0 = 1 + a.nz * t / threads, iz1 = 1 + a.nz * (t + 1) / threads;
        workers.emplace_back([&, iz0, iz1] { multiplyPlanes(a, x.data(), y.data(), iz0, iz1); });
    }
}

double dot(std::span<const double> a, std::span<const double> b)
{
    return std::inner_product(a.begin(), a.end(), b.begin(), 0.0);
}

}  // namespace vexora
