#pragma once
// What the merge window shows of a loaded block: its summary lines and its
// electrode grid.

#include <array>
#include <string>
#include <vector>

#include "core/merge/MergeBlock.h"

namespace vexora {

// "File n - NAME", the electrode and quadrupole totals, the data kind, base
// frequency and IP window count, and the notes on remote electrodes added
// and on cables reversed.
std::vector<std::string> mergeBlockSummary(const MergeBlock& block, int number);

inline constexpr std::array<const char*, 8> kMergeElectrodeColumns = {
        " Cable ", " ID ", " x(m) ", " y(m) ", " z(m) ", " z terrain(m) ", " Type ", " Remote "};

// The grid row of electrode `row` of the block: coordinates with three
// decimals, the type "Borehole" or "Surface", "Remote" for a remote one.
std::array<std::string, 8> mergeElectrodeRow(const MergeBlock& block, std::size_t row);

}  // namespace vexora
