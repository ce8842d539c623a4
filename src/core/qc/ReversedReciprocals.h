#pragma once
// Reciprocals recorded with the cable turned round. When the reciprocal
// measurements of a survey were taken with the cable laid the other way,
// their electrode numbers run the other way too: as recorded they pair with
// almost none of the normal measurements, reversed (see CableReversal.h)
// they pair with most.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/survey/SurveyTables.h"

namespace vexora {

struct ReversalPairs {
    std::size_t asTheyAre = 0;  // quadrupoles of the part with a reciprocal among the rest
    std::size_t reversed = 0;   // the same with the part's cables reversed
};

// The part is the quadrupoles whose poles all lie on `cables`, the rest
// those with no pole on them. A quadrupole of the part pairs when the rest
// holds a quadrupole at the positions of its reciprocal (M N A B, each
// dipole in either order; positions to the millimetre), each quadrupole of
// the rest pairing once. Reversed means every cable of `cables` with at
// least three electrodes reversed; when that is impossible `reversed` is 0.
ReversalPairs reciprocalPairsAcross(const Survey& survey, const std::vector<std::int32_t>& cables);

// "Warning: ..." naming `what` when the part pairs with more quadrupoles
// reversed than as it is; `isReversed` says whether it is as recorded or was
// reversed already.
std::optional<std::string> reversalWarning(const ReversalPairs& pairs, bool isReversed, std::string_view what);

// Every cable of at least three electrodes whose quadrupoles pair with those
// of the other cables more often reversed than as recorded (before the
// electrodes of the files were fused, a merged survey keeps each file on
// its own cables).
struct CableReversalHint {
    std::int32_t cable = 0;
    ReversalPairs pairs;
};
std::vector<CableReversalHint> cablesPairingReversed(const Survey& survey);

}  // namespace vexora
