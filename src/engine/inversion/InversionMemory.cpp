#include "engine/inversion/InversionMemory.h"

#include <algorithm>
#include <cmath>

#include "core/import/GeometricFactor.h"
#include "core/mesh/Mesh.h"
#include "core/settings/SettingsTable.h"
#include "core/survey/SurveyTables.h"
#include "engine/forward/ForwardMemory.h"
#include "engine/forward/QuadrupolePlan.h"
#include "engine/inversion/InversionSettings.h"
#include "engine/solver/SolverChoice.h"

namespace vexora {

namespace {

std::string megabytesText(std::uint64_t bytes) { return std::to_string((bytes + (1u << 19)) >> 20) + " MB"; }

}  // namespace

InversionSize inversionSizeOf(const Mesh& mesh, const Survey& survey, const SettingsTable& settings)
{
    // A job's data file holds no skipped quadrupole, whatever the settings.
    const QuadrupolePlan plan = planQuadrupoles(survey, true);
    const QuadrupoleTable& table = survey.quadrupoles;
    std::int64_t data = 0;
    if (survey.present.resistance && table.resistance.size() == table.size())
        for (std::size_t k = 0; k < table.size(); ++k) {
            const double v = table.resistance[k];
            data += plan.computed[k] && std::isfinite(v) && v != 0 && v != kCannotCompute;
        }
    // Settings out of range stop the job itself; here they leave the defaults.
    InversionSettings inversion;
    MessageLog unused;
    (void)readInversionSettings(settings, inversion, unused);
    return {static_cast<std::int64_t>(mesh.nodeGrid.size()),
            blockCount(mesh),
            static_cast<std::int64_t>(plan.electrodes.size()),
            data,
            std::max(1, settingInteger(settings, Item::CpuThreads)),
            !inversion.linearisedTrials};
}

InversionMemory inversionMemoryPerRank(const InversionSize& size, int ranks, std::uint64_t availableBytes)
{
    const auto n = static_cast<std::uint64_t>(size.gridPoints), electrodes = static_cast<std::uint64_t>(size.electrodes);
    const auto blocks = static_cast<std::uint64_t>(size.blocks), data = static_cast<std::uint64_t>(size.data);
    const auto count = static_cast<std::uint64_t>(ranks < 1 ? 1 : ranks);
    InversionMemory memory;
    // Batches of up to eight sources per thread (the direct path's); 64
    // floats of unit stiffness per block.
    memory.forward = forwardMemoryEstimate(size.gridPoints, 8 * size.threads, size.threads, size.electrodes,
                                           size.electrodes) +
                     blocks * 64 * sizeof(float);
    const double factor = roughFactorBytes(static_cast<double>(n));
#ifdef VEXORA_HAVE_CHOLMOD
    if (availableBytes == 0 || factor <= static_cast<double>(availableBytes) / 2)
        memory.factor = static_cast<std::uint64_t>(std::llround(factor));
#else
    (void)factor, (void)availableBytes;
#endif
    memory.fields = (size.heldTrial ? 3 : 2) * electrodes * n * sizeof(float);
    // The largest share: rows are split as evenly as they go.
    memory.jacobian = (data + count - 1) / count * blocks * sizeof(float);
    return memory;
}

int ranksThatFit(const InversionSize& size, std::uint64_t availableBytes, int mostRanks)
{
    for (int ranks = 1; ranks <= mostRanks; ++ranks)
        if (inversionMemoryPerRank(size, ranks, availableBytes).total() <= availableBytes) return ranks;
    return 0;
}

std::string inversionMemoryText(const InversionMemory& memory, int ranks)
{
    std::string text = "about " + megabytesText(memory.total()) +
                       (ranks > 1 ? " per rank on " + std::to_string(ranks) + " ranks" : std::string()) +
                       " (forward model " + megabytesText(memory.forward);
    if (memory.factor > 0) text += ", direct factor " + megabytesText(memory.factor);
    return text + ", electrode fields " + megabytesText(memory.fields) + ", sensitivity matrix " +
           megabytesText(memory.jacobian) + ")";
}

}  // namespace vexora
