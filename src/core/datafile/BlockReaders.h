#pragma once
// Readers of the electrode, data and topography blocks of a data file. Each
// replaces its tables in `survey`; on error (result 1) the tables hold what
// was read so far and the caller discards them.

#include <string_view>

#include "core/log/MessageLog.h"
#include "core/platform/Feedback.h"
#include "core/survey/SurveyTables.h"
#include "core/settings/ColumnLayouts.h"

namespace vexora {

// The electrode block. A position (elevation included) that is not finite
// or lies beyond kFarthestCoordinate from the survey's centre refuses the
// block, naming the row (core/datafile/CoordinateChecks.h).
Status funLoadElectrodes(std::string_view text, const BlockBounds& bounds, const ElectrodeFormat& format,
                         Survey& survey, MessageLog& log);

// Derives the terrain elevation of every electrode (when the file has no
// elevation column) and its type (when it has no type column) from the
// layout of each cable: a surface line or a borehole.
Status funElecElevationAndArrangement(Survey& survey, const ElectrodeFormat& format, MessageLog& log);

// Which measured sets are taken from the calculated columns ("invert the
// synthetic data-set").
struct SyntheticChoice {
    bool resistance = false;
    bool ip = false;
};

// Stops without a message, returning 1, when the feedback asks to cancel.
Status funLoadData(std::string_view text, const BlockBounds& bounds, const DataFormat& format,
                   const SequenceHeader& sequence, const SyntheticChoice& synthetic, Survey& survey, MessageLog& log,
                   const Feedback& feedback = {});

// The topography block. A point that is not finite or lies beyond
// kFarthestCoordinate from the survey's centre (the electrodes' centre,
// the points' own without electrodes) refuses the block, as an electrode
// does its block.
Status funLoadTopography(std::string_view text, const BlockBounds& bounds, const TopographyFormat& format,
                         const std::vector<Electrode>& electrodes, std::vector<TopographyPoint>& topography,
                         MessageLog& log);

}  // namespace vexora
