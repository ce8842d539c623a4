#include "engine/forward/ForwardMemory.h"

#include "engine/solver/StencilMatrix.h"

namespace vexora {

namespace {
// A thread's lockstep batch of eight iterative solves: five vectors per
// system and three shared ones, per grid point, and the multigrid levels'
// three vectors per system (an eighth of the points, then a 64th ...).
constexpr std::uint64_t kIterationDoublesPerThread = 5 * 8 + 3 + 4;
// The multigrid levels below the finest: their matrices and diagonals.
constexpr std::uint64_t kCoarseLevelBytes = 4 * sizeof(double);
}  // namespace

std::uint64_t forwardMemoryEstimate(std::int64_t gridPoints, int batch, int threads, std::int64_t sources,
                                    std::int64_t electrodes)
{
    const std::uint64_t n = static_cast<std::uint64_t>(gridPoints);
    const std::uint64_t perPoint = 3 * kStencilSlots * sizeof(double) + 1 + kCoarseLevelBytes +
                                   3 * sizeof(double) * static_cast<std::uint64_t>(batch) +
                                   kIterationDoublesPerThread * sizeof(double) * static_cast<std::uint64_t>(threads);
    return n * perPoint +
           2 * sizeof(double) * static_cast<std::uint64_t>(sources) * static_cast<std::uint64_t>(electrodes);
}

}  // namespace vexora
