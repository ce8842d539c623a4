#pragma once
// Column layouts of the three data-file blocks, the instrument-sequence
// header and the positions of the blocks in a text.
//
// Column numbers are 16-bit: a positive value is a 1-based column, -1 means
// "not in the file", and 0 means "no tag seen" while a text is being read.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace vexora {

using Column = std::int16_t;
inline constexpr Column kNotUsed = -1;

struct ElectrodeFormat {
    Column columnCount = 0;
    Column cableFlag = 0;  // +1 cable column used, -1 not used
    Column cableColumn = 0;
    Column idColumn = 0;
    Column xColumn = 0, yColumn = 0, zColumn = 0;
    Column elevationColumn = 0;
    Column typeColumn = 0;
    bool operator==(const ElectrodeFormat&) const = default;
};

struct DataFormat {
    Column columnCount = 0;
    Column idColumn = 0;
    Column aCableColumn = 0, aElectrodeColumn = 0;
    Column bCableColumn = 0, bElectrodeColumn = 0;
    Column mCableColumn = 0, mElectrodeColumn = 0;
    Column nCableColumn = 0, nElectrodeColumn = 0;
    Column resistivityColumn = 0;
    std::vector<Column> ipWindowColumns;  // one per IP window; {-1} when none
    Column resistivityStdColumn = 0;
    std::vector<Column> ipStdColumns;  // one per IP window; {-1} when none
    Column calcResistivityColumn = 0, calcIpColumn = 0;
    Column calcResistivityStdColumn = 0, calcIpStdColumn = 0;
    Column dataKind = 0;  // 1 V/I, 2 apparent resistivity, 0 no tag seen yet
    double ipScale = 0.0;
    Column currentColumn = 0;
    Column skipColumn = 0;
    bool operator==(const DataFormat&) const = default;
};

struct TopographyFormat {
    Column columnCount = 0;
    Column xColumn = 0, yColumn = 0, zColumn = 0;
    bool operator==(const TopographyFormat&) const = default;
};

struct SequenceHeader {
    std::string dataKindName;  // empty for an ordinary data file
    double frequency = 0.0;
    std::int16_t stacks = 0;
    double delay = 0.0;
    double length = 0.0;
    double ipDelay = 0.0;
    bool chargeability = false;
    std::int16_t windowCount = 0;
    bool operator==(const SequenceHeader&) const = default;
};

// Character positions (0-based) of a block's lines in a text: `start` is the
// first character after the start marker's line, `end` one past the line
// break of the last line before the end marker. start < 0: block absent;
// end < start: the end marker is missing or comes first.
struct BlockBounds {
    long long start = -1;
    long long end = -1;
    bool present() const { return start >= 0; }
    bool closed() const { return end >= start; }
    bool operator==(const BlockBounds&) const = default;
};

// Largest positive column of a list (0 when none).
inline Column largestColumn(std::initializer_list<Column> columns)
{
    Column m = 0;
    for (Column c : columns) m = std::max(m, c);
    return m;
}
inline Column largestColumn(const std::vector<Column>& columns)
{
    Column m = 0;
    for (Column c : columns) m = std::max(m, c);
    return m;
}

}  // namespace vexora
