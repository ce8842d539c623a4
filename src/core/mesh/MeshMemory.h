#pragma once
// Whether a mesh fits: the memory the node mesh and its models need, worked
// out from the line counts before anything is allocated, against the memory
// the process may still take (availableMemoryBytes). The forward model
// checks its own working set in the same way before it solves.

#include <cstdint>
#include <optional>
#include <string>

namespace vexora {

struct MeshMemoryEstimate {
    std::int64_t nodes = 0;  // halo included
    std::int64_t blocks = 0;
    double bytes = 0.0;      // double: a mistyped element size must not overflow
};

// Per node its coordinates and flag (26 bytes); per block its eight corners,
// boundary code, conductivity and IP value (58 bytes).
MeshMemoryEstimate estimateMeshMemory(std::int64_t nx, std::int64_t ny, std::int64_t nz);

// Nothing when the mesh fits in `available` bytes (0: nothing is known of
// the memory), otherwise the refusal: the line counts, the node count, the
// estimate and the available memory in MiB.
std::optional<std::string> meshMemoryRefusal(std::int64_t nx, std::int64_t ny, std::int64_t nz,
                                             std::uint64_t available);

}  // namespace vexora
