#pragma once
// The two files the field data window writes: the data file of the
// accepted survey and the current map (x, y, |I| per kept quadrupole).

#include <filesystem>
#include <string>

#include "core/fielddata/FieldDataTable.h"
#include "core/log/MessageLog.h"

namespace vexora {

struct FieldDataSaveOptions {
    bool omitRemoved = false;   // "Remove skipped data from file"
    bool includeConfiguration = false;  // "Include config."
};

// Writes the data file (with the configuration first when asked). When the
// duplicate-averaging flag is set, the written values of each group of
// repeated quadrupoles (a quadrupole and those the reciprocal check marked
// as its repetitions) are their mean, and the log gets "Duplicates
// averaged."; the window's tables stay as they are. Logs "Schedule file
// NAME saved." on success; "Error: invalid output format" when the layout
// is refused.
Status saveFieldData(const ProjectStore& store, const FieldDataValues& values, const std::filesystem::path& path,
                     const FieldDataSaveOptions& options, MessageLog& log);

// The current map text: "X(m)" TAB "Y(m)" TAB "I(mA)", then for every
// quadrupole not removed x and y of its B electrode (of A where B is a
// remote pole or names no electrode) and |I|, lines ending CR LF.
std::string currentMapText(const Survey& survey);

// Writes it atomically; Error (logged under "cmdSaveXYZ") when it cannot.
Status saveCurrentMap(const Survey& survey, const std::filesystem::path& path, MessageLog& log);

}  // namespace vexora
