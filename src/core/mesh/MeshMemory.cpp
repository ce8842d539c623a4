#include "core/mesh/MeshMemory.h"

#include <cmath>

namespace vexora {

namespace {

constexpr double kBytesPerNode = 24.0 + 2.0;
constexpr double kBytesPerBlock = 32.0 + 2.0 + 8.0 + 8.0 + 8.0;
constexpr double kMiB = 1024.0 * 1024.0;

std::string mebibytes(double bytes) { return std::to_string(static_cast<long long>(std::llround(bytes / kMiB))); }

}  // namespace

MeshMemoryEstimate estimateMeshMemory(std::int64_t nx, std::int64_t ny, std::int64_t nz)
{
    MeshMemoryEstimate e;
    e.nodes = (nx + 2) * (ny + 2) * (nz + 2);
    e.blocks = nx >= 2 && ny >= 2 && nz >= 2 ? (nx - 1) * (ny - 1) * (nz - 1) : 0;
    e.bytes = static_cast<double>(e.nodes) * kBytesPerNode + static_cast<double>(e.blocks) * kBytesPerBlock;
    return e;
}

std::optional<std::string> meshMemoryRefusal(std::int64_t nx, std::int64_t ny, std::int64_t nz,
                                             std::uint64_t available)
{
    const MeshMemoryEstimate e = estimateMeshMemory(nx, ny, nz);
    if (available == 0 || e.bytes <= static_cast<double>(available)) return std::nullopt;
    return "a mesh of " + std::to_string(nx) + " x " + std::to_string(ny) + " x " + std::to_string(nz) +
           " lines (" + std::to_string(e.nodes) + " nodes) needs about " + mebibytes(e.bytes) + " MiB, " +
           mebibytes(static_cast<double>(available)) + " MiB are available";
}

}  // namespace vexora
