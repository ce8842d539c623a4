#pragma once
// Cables of a 3D layout derived from its geometry: a multi-channel
// instrument's 3D survey lays its electrodes in parallel lines, one cable
// each, while its files give positions only.

#include "core/import/ImportTables.h"

namespace vexora {

// Groups the set's electrodes into lines of a common y (to the millimetre)
// or of a common x, whichever gives fewer and so longer lines (y on a tie).
// A grouping counts only with two lines or more of at least two electrodes
// each; otherwise, as for a 2D line, the set keeps no lines. Lines are named
// by the coordinate they keep ("y0.5", "x-3") and ordered along it; the
// electrodes of a line are numbered 1..n along the other coordinate.
void groupElectrodesIntoLines(ImportSet& set);

}  // namespace vexora
