#pragma once
// A quadrupole table made of chosen rows of another, in the order given:
// every per-quadrupole column goes with its row, so a selection or a
// reordering never separates a value from its electrodes.

#include <cstddef>
#include <span>

#include "core/survey/SurveyTables.h"

namespace vexora {

// Rows listed more than once are taken more than once; a row past the end is
// a caller's fault and is not taken.
QuadrupoleTable quadrupoleRows(const QuadrupoleTable& table, std::span<const std::size_t> rows);

}  // namespace vexora
