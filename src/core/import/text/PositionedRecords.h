#pragma once
// Text exports that give the poles' positions go the binary file's way: their
// rows become instrument records, the schedule extraction numbers the
// electrodes by position, and the electrodes are renumbered along the line
// (or line by line when they stand on more than one y).

#include <vector>

#include "core/import/ImportTables.h"
#include "core/import/syscal/SyscalBinary.h"
#include "core/log/MessageLog.h"

namespace vexora {

// Marks pole p (0..3 for A, B, M, N) of the record as a remote electrode.
void markRemotePole(SyscalRecord& record, int pole);

// Extraction and renumbering; 0 or 99 with the tables emptied.
ImportStatus importPositionedRecords(const std::vector<SyscalRecord>& records, ImportSet& set, MessageLog& log);

}  // namespace vexora
