#pragma once
// One data file of a merge, loaded through the data-file load and kept apart
// until the merge: the user may look at it, move, turn or renumber its
// electrodes, rename or reverse its cables.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/log/MessageLog.h"
#include "core/platform/Feedback.h"
#include "core/platform/Questions.h"
#include "core/settings/ColumnLayouts.h"
#include "core/survey/SurveyTables.h"

namespace vexora {

struct MergeBlock {
    std::filesystem::path file;
    Survey survey;                  // cable names prefixed with the block's number and "_"
    SequenceHeader sequenceHeader;  // data kind and base frequency of an instrument sequence file
    double ipScale = 0.0;           // the file's #data_ip_scale
    bool remoteTx = false;          // a remote A or B was added on the "Rem" cable
    bool remoteRx = false;          // a remote M or N was added
    bool reversed = false;          // its cables were reversed (reverseMergeBlock)
};

// Positions of the remote electrodes a block gets for absent poles, by pole.
struct RemotePosition {
    std::int32_t number;
    double x, y;
};
inline constexpr RemotePosition kRemotePositions[4] = {{1, -99, -99}, {2, 99, 99}, {3, -99, -99}, {4, 99, 99}};
inline constexpr std::string_view kRemoteCable = "Rem";

// Loads `file` as block `blockNumber` (its 1-based place in the file list)
// through the data-file load, with its questions and messages. Absent poles
// of an instrument sequence become electrodes of a cable "Rem" at
// kRemotePositions. Every cable name gets the prefix blockNumber + "_".
// Error, with the reason logged, when the file does not load; `block` is
// then untouched.
Status loadMergeBlock(const std::filesystem::path& file, int blockNumber, MergeBlock& block, MessageLog& log,
                      Questions& questions, const Feedback& feedback = {});

// What the "Manage electrodes" frame asks of a block.
struct BlockModification {
    double shiftX = 0, shiftY = 0, shiftZ = 0;
    double angle = 0;       // counter-clockwise about the origin, before the shift
    bool radians = false;   // the angle in radians rather than degrees
    double numberOffset = 0;  // added to every electrode number, rounded to a whole number
};

// Rotates and shifts the block's electrodes and topography as the import's
// roto-translation does, then adds the number offset to its electrodes and
// to every pole of its quadrupoles. Error, logged and the block untouched,
// when an electrode number would leave the 32-bit range.
Status modifyMergeBlock(MergeBlock& block, const BlockModification& modification, MessageLog& log);

inline constexpr std::string_view kCableNameUsed = "This cable name is already used, can't duplicate it.";

// Gives cable `cable` (1-based) of the block the name `name`. A name another
// cable of the block has is refused with kCableNameUsed, a name the data file
// cannot carry with the reason; both logged, the block untouched.
Status renameMergeCable(MergeBlock& block, std::int32_t cable, const std::string& name, MessageLog& log);

// Reverses every cable of the block with at least three electrodes (see
// reverseCable); remote cables stay. Error, logged and the block untouched,
// when a cable cannot be reversed.
Status reverseMergeBlock(MergeBlock& block, MessageLog& log);

}  // namespace vexora
