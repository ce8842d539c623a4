#pragma once
// Quadrupoles measured twice in one instrument file. A repeat normally
// agrees with its first reading within the noise; one that differs by a
// large factor usually means the records were taken on another layout (a
// cable laid the other way round) and only look like the same electrodes.

#include <cstdint>
#include <vector>

#include "core/import/ImportTables.h"
#include "core/log/MessageLog.h"

namespace vexora {

// Repeats whose V/I differ from the first reading by more than this factor
// (either way, or with the other sign) are named in a warning.
inline constexpr double kRepeatDisagreementFactor = 1.1;

struct DisagreeingRepeat {
    std::size_t row = 0;    // 0-based row of the repeat
    std::size_t first = 0;  // 0-based row of the first reading
    double ratio = 0;       // repeat's V/I over the first's, after the sign of swapped poles
};

// Repeats are the same current pair and the same potential pair, each pair
// in either order (a swapped pair changes the sign of V/I). Records without
// current are not compared.
std::vector<DisagreeingRepeat> findDisagreeingRepeats(const ImportSet& set, double factor);

// The warning naming the disagreeing repeats (records counted from 1), or
// nothing when every repeat agrees.
void warnAboutDisagreeingRepeats(const ImportSet& set, double factor, MessageLog& log);

}  // namespace vexora
