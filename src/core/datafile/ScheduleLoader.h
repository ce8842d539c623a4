#pragma once
// Loading a whole data file: tag header, electrode, data and topography
// blocks, checks, and the conversion of apparent resistivities to V/I.

#include <filesystem>
#include <string>

#include "core/log/MessageLog.h"
#include "core/platform/Questions.h"
#include "core/project/ProjectStore.h"

namespace vexora {

// Loads the data file into the store. Returns 0 when loaded, 1 when not (the
// log says why). A failed load leaves the store exactly as it was before.
int funInputScheduleFile(ProjectStore& store, const std::filesystem::path& path, MessageLog& log,
                         Questions& questions);

// The reading step of funInputScheduleFile: the whole file, or 1 with its
// messages logged (name + " not found!" for a missing file).
int readScheduleFile(const std::filesystem::path& path, std::string& text, MessageLog& log);

// The same on text already in memory; `name` is used in messages.
int loadScheduleText(ProjectStore& store, std::string text, const std::string& name, MessageLog& log,
                     Questions& questions);

// Instrument sequence files mark an absent electrode by the fields "000,00":
// they become the remote electrode "Rem,01", which is added to the
// electrodes block. Only whole fields are replaced, never digits inside a
// number. Always returns 0.
int funPrepareSequenceText(std::string& text);

// Divides measured (and calculated) resistances and their standard
// deviations by the geometric factors: apparent resistivities become V/I.
// Warns about the quadrupoles whose factor cannot be computed.
void apparentResistivityToResistance(Survey& survey, bool ignoreZ, MessageLog& log);

}  // namespace vexora
