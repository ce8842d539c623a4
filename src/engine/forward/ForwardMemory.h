#pragma once
// What the forward model will need in memory, known before it allocates
// (the memory there is: core/platform/AvailableMemory.h).

#include <cstdint>

namespace vexora {

// Bytes for the three stencil matrices, the Dirichlet marks, `batch` sets of
// source vectors (primary, right-hand side, solution), the iteration vectors
// of `threads` solves and the electrode potential table.
std::uint64_t forwardMemoryEstimate(std::int64_t gridPoints, int batch, int threads, std::int64_t sources,
                                    std::int64_t electrodes);

}  // namespace vexora
