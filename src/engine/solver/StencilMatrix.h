#pragma once
// A symmetric matrix with the 27-point pattern of a structured hexahedral
// node grid, stored per grid point as its diagonal and its 13 couplings to
// neighbours further on in node order (the other 13 are those neighbours'
// couplings back). Grid points carry the mesh's halo of one node on every
// side: the halo's rows and couplings stay zero, so neighbour access needs no
// bounds test. Index k of a grid point is its node number minus one.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace vexora {

inline constexpr int kUpperNeighbours = 13;
inline constexpr int kStencilSlots = kUpperNeighbours + 1;  // diagonal first

struct StencilMatrix {
    std::int32_t nx = 0, ny = 0, nz = 0;  // real nodes per axis
    std::int64_t strideY = 0, strideZ = 0;
    std::array<std::int64_t, kUpperNeighbours> upperOffset{};
    std::vector<double> coefficients;  // kStencilSlots per grid point

    std::int64_t gridPoints() const { return strideZ * (nz + 2); }
    double* row(std::int64_t k) { return coefficients.data() + k * kStencilSlots; }
    const double* row(std::int64_t k) const { return coefficients.data() + k * kStencilSlots; }
    std::int64_t index(std::int64_t ix, std::int64_t iy, std::int64_t iz) const
    {
        return iz * strideZ + iy * strideY + ix;
    }
};

// Zero matrix on a grid of nx * ny * nz real nodes.
StencilMatrix makeStencilMatrix(std::int32_t nx, std::int32_t ny, std::int32_t nz);

// Slot (1..13) of the coupling from a node to its neighbour at (dx, dy, dz),
// each -1..1, when that neighbour comes later in node order; 0 otherwise.
int upperSlot(int dx, int dy, int dz);

// Adds `value` to A(k, k + offset of (dx, dy, dz)) and its mirror entry.
void addCoupling(StencilMatrix& a, std::int64_t k, int dx, int dy, int dz, double value);

// y = A x over the real nodes (halo entries of y set to 0), the z planes
// shared among `threads` threads.
void multiply(const StencilMatrix& a, std::span<const double> x, std::span<double> y, int threads = 1);

// Calls f(k) for every real node in ascending order over planes iz0..iz1-1.
template <class F>
void forEachRealNode(const StencilMatrix& a, std::int32_t iz0, std::int32_t iz1, F&& f)
{
    for (std::int32_t iz = iz0; iz < iz1; ++iz)
        for (std::int32_t iy = 1; iy <= a.ny; ++iy) {
            const std::int64_t base = a.index(0, iy, iz);
            for (std::int32_t ix = 1; ix <= a.nx; ++ix) f(base + ix);
        }
}

// The same in descending order over every real node.
template <class F>
void forEachRealNodeBackward(const StencilMatrix& a, F&& f)
{
    for (std::int32_t iz = a.nz; iz >= 1; --iz)
        for (std::int32_t iy = a.ny; iy >= 1; --iy) {
            const std::int64_t base = a.index(0, iy, iz);
            for (std::int32_t ix = a.nx; ix >= 1; --ix) f(base + ix);
        }
}

double dot(std::span<const double> a, std::span<const double> b);

}  // namespace vexora
