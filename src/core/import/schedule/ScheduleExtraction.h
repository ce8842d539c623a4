#pragma once
// From instrument records to numbered electrodes, quadrupoles and values, and
// the renumbering of electrodes by their position along a profile or grid.

#include <cstdint>
#include <vector>

#include "core/import/ImportTables.h"
#include "core/import/syscal/SyscalRecordsFwd.h"
#include "core/log/MessageLog.h"

namespace vexora {

// Records to the three working tables. Electrodes are numbered 1..n in order
// of first appearance (A, B, M, N, earlier records first); a pole at exactly
// the position of an earlier electrode gets its number, an absent pole 0.
// Returns 0, or 99 (source "funExtractSchedule") when there is no record.
ImportStatus funExtractSchedule(const std::vector<SyscalRecord>& records, ImportSet& set, MessageLog& log);

// Heap sort of keys[1..n] ascending carrying the starting positions along:
// order[k] is the starting position of the k-th smallest key and
// rank[order[k]] = k. Index 0 of the three arrays is unused. Ties come out in
// the order this particular heap sort gives them, which the numbering of
// equal coordinates depends on.
void subSortDoubleWithIndex(std::vector<double>& keys, std::vector<std::int32_t>& order,
                            std::vector<std::int32_t>& rank);

// Renumbers the electrodes 1..n by position. `numberingStart`: +1 / -1 along
// x ascending / descending, +2 / -2 along y. A grid is cut into lines of equal
// secondary coordinate, taken in ascending order; with `snake` the direction
// flips from line to line. Quadrupoles follow their electrodes. 0 or 99.
ImportStatus funRenumberElecAndQuad(ImportSet& set, bool isProfile, int numberingStart, bool snake, MessageLog& log);

}  // namespace vexora
