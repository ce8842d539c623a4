#include "core/merge/MergeSummary.h"

#include <cstdlib>

#include "core/settings/NumberText.h"

namespace vexora {

std::vector<std::string> mergeBlockSummary(const MergeBlock& block, int number)
{
    const Survey& s = block.survey;
    const SequenceHeader& header = block.sequenceHeader;
    std::vector<std::string> lines = {
            "File " + std::to_string(number) + " - " + block.file.filename().string(),
            "Total electrodes: " + std::to_string(s.electrodes.size()),
            "Total quadrupoles: " + std::to_string(s.quadrupoles.size()),
            "Type of measurements: " + (header.dataKindName.empty() ? std::string("-") : header.dataKindName),
            "Base frequency: " + (header.frequency > 0 ? formatNumber(header.frequency) + " HZ" : std::string("-")),
            "Number of measured IP windows: " + std::to_string(s.quadrupoles.ipWindows()),
    };
    if (block.remoteTx) lines.emplace_back("Note: remote TX electrodes detected and added to the set.");
    if (block.remoteRx) lines.emplace_back("Note: remote RX electrodes detected and added to the set.");
    if (block.reversed) lines.emplace_back("Note: cables reversed (electrode n of N is now N + 1 - n).");
    return lines;
}

std::array<std::string, 8> mergeElectrodeRow(const MergeBlock& block, std::size_t row)
{
    const Survey& s = block.survey;
    const Electrode& e = s.electrodes[row];
    const std::string cable = e.cable >= 1 && static_cast<std::size_t>(e.cable) <= s.cableNames.size()
                                      ? s.cableNames[static_cast<std::size_t>(e.cable - 1)]
                                      : std::to_string(e.cable);
    return {cable,
            std::to_string(e.number),
            formatFixed(e.x, 3),
            formatFixed(e.y, 3),
            formatFixed(e.z, 3),
            formatFixed(e.elevation, 3),
            std::abs(e.type) == 1 ? "Borehole" : "Surface",
            e.type < 0 ? "Remote" : ""};
}

}  // namespace vexora
