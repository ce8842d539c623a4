#pragma once
// A cable laid out the other way round: the instrument numbered its
// electrodes from the far end, so the quadrupoles name electrode n where the
// electrode at the mirrored place along the cable was meant.

#include <cstdint>

#include "core/log/MessageLog.h"
#include "core/survey/SurveyTables.h"

namespace vexora {

// Shortest cable that is reversed: one or two electrodes are remote poles.
inline constexpr std::size_t kShortestReversibleCable = 3;

// Renumbers every quadrupole pole on `cable` from n to lowest + highest - n
// (N + 1 - n for electrodes 1..N); the electrodes keep their numbers and
// positions, so each quadrupole's electrodes run the other way along the
// cable. Error, logged and the survey untouched, when a renumbered pole
// names an electrode the cable lacks.
Status reverseCable(Survey& survey, std::int32_t cable, MessageLog& log);

// Cables with at least kShortestReversibleCable electrodes, ascending.
std::vector<std::int32_t> reversibleCables(const Survey& survey);

}  // namespace vexora
