#pragma once
// Joining loaded blocks (MergeBlock.h) into the project's single electrode
// and quadrupole tables: the values every block has, the cables and
// electrodes of each block after those of the blocks before it, optionally
// the fusion of electrodes that coincide, then the settings of a fresh
// inversion workspace describing the merged columns.

#include <vector>

#include "core/log/MessageLog.h"
#include "core/merge/MergeBlock.h"
#include "core/project/ProjectStore.h"

namespace vexora {

inline constexpr double kDefaultMergeTolerance = 0.000001;

struct MergeOptions {
    double tolerance = kDefaultMergeTolerance;  // metres
    bool removeDuplicates = false;              // fuse electrodes closer than the tolerance
};

// The value columns kept: IP windows only when every block has them, and
// then the fewest; resistance deviations only when every block has them; IP
// deviations only when every block has them, as many as the IP windows.
struct CommonValues {
    std::size_t ipWindows = 0;
    bool resistanceStd = false;
    bool ipStd = false;
};
CommonValues commonValueSet(const std::vector<MergeBlock>& blocks);

// Merges `blocks` (the checked ones, in list order) into `store`: its
// survey, settings (reset to the defaults, then the merged column layout and
// default mesh settings) and mesh are replaced; quadrupoles are never
// dropped. Logs "Files merged: ", the names, and the electrode and
// quadrupole totals; warns about a block whose quadrupoles pair with the
// other blocks' only in the other cable orientation. Error, logged and the
// store untouched, for no blocks or when the merged tables fail their checks.
Status mergeBlocks(const std::vector<MergeBlock>& blocks, const MergeOptions& options, ProjectStore& store,
                   MessageLog& log);

}  // namespace vexora
