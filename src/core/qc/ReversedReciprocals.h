#pragma once
// Reciprocals recorded with the cable turned round. When the reciprocal
// measurements of a survey were taken with the cable laid the other way,
// their electrode numbers run the other way too: as recorded they pair with
// almost none of the normal measurements, reversed (see CableReversal.h)
// they pair with most.

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/survey/SurveyTables.h"

namespace vexora {

// Reciprocal pairs agree when the median of their percentage differences
// (100 |v1 - v2| / |mean|) is at most this. A symmetric array mirrored lands
// on the reciprocal positions of other quadrupoles too, but over a real
// earth not on their values.
inline constexpr double kReciprocalAgreementPercent = 5.0;

// Quadrupoles of a part checked at most, evenly spread over it.
inline constexpr std::size_t kOrientationSample = 2000;

struct ReversalPairs {
    std::size_t partSize = 0;   // quadrupoles of the part checked (at most kOrientationSample)
    std::size_t asTheyAre = 0;  // quadrupoles of the part with a reciprocal among the rest
    std::size_t reversed = 0;   // the same with the part's cables reversed
    double medianAsTheyAre = HUGE_VAL;  // median percentage difference of those pairs
    double medianReversed = HUGE_VAL;
};

// The part is the quadrupoles whose poles all lie on `cables`, the rest
// those with no pole on them. A quadrupole of the part pairs when the rest
// holds a quadrupole at the positions of its reciprocal (M N A B, each
// dipole in either order, a swapped dipole changing the sign of V/I;
// positions to the millimetre), each quadrupole of the rest pairing once,
// the closest reading first; a part of more than kOrientationSample
// quadrupoles is sampled. Reversed means every cable of `cables` with at
// least three electrodes reversed (see reverseCable); a quadrupole whose
// mirrored pole is not on its cable does not pair reversed.
ReversalPairs reciprocalPairsAcross(const Survey& survey, const std::vector<std::int32_t>& cables);

// The same for several parts (their cables in `parts`) in one pass over the
// survey's quadrupoles.
std::vector<ReversalPairs> reciprocalPairsOfParts(const Survey& survey,
                                                  const std::vector<std::vector<std::int32_t>>& parts);

// Whether the part pairs with the rest only reversed: reversed, at least
// half of its quadrupoles pair and agree (kReciprocalAgreementPercent); as
// it is, fewer pair or they agree less.
bool pairsOnlyReversed(const ReversalPairs& pairs);

// "Warning: ..." naming `what` when the part pairs only reversed; `isReversed` says whether it is as recorded or was
// reversed already.
std::optional<std::string> reversalWarning(const ReversalPairs& pairs, bool isReversed, std::string_view what);

// Every cable of at least three electrodes whose quadrupoles pair with those
// of the other cables only reversed (before the
// electrodes of the files were fused, a merged survey keeps each file on
// its own cables).
struct CableReversalHint {
    std::int32_t cable = 0;
    ReversalPairs pairs;
};
std::vector<CableReversalHint> cablesPairingReversed(const Survey& survey);

}  // namespace vexora
