#pragma once
// Row orders of the quadrupole grid's "Sort Data" menu.

#include <cstdint>
#include <vector>

#include "core/fielddata/FieldDataTable.h"

namespace vexora {

enum class SortDirection { Increasing, Decreasing };

// The order (row indices, first row first) that sorting by the clicked
// column gives. Pole columns (1 to 8) sort on the electrode rows of the
// four poles, the clicked pole first: A B M N for A, B A M N for B, M N A B
// for M, N M A B for N; rows with equal keys keep their order, which is
// what sorting the whole table on the first key and then each run of equal
// keys on the next gives. Value columns (9 and above) sort on the value,
// or on its absolute value with `absolute`; rows without a value go last.
// Column 0 sorts on the ID. Decreasing is the increasing order reversed.
std::vector<std::uint32_t> quadSortOrder(const FieldDataRefs& refs, int column, SortDirection direction,
                                         bool absolute, int ipWindow);

// Sorts the table in place: every per-quadrupole array follows the order.
void sortQuadrupoles(Survey& survey, ReciprocalPairing& reciprocals, FieldDataValues& values, int column,
                     SortDirection direction, bool absolute, int ipWindow);

}  // namespace vexora
