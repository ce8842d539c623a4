#pragma once
// Turning a data file into a viewer file (or a full mesh export) through the
// numerical core: a two-line script "Temp.txt" and the core program started
// on it with RUNSCRIPT.

#include <filesystem>
#include <string>

#include "core/log/MessageLog.h"
#include "core/platform/ProcessLauncher.h"

namespace vexora {

enum class DataFileConversion {
    ViewerModel,  // "Convert Vexora data file to vwer": SAVEMESH ... BOUNDS BIN
    FullMesh,     // "Export full mesh and resistivity from Vexora data file": SAVEMESH ... FULL TXT
};

inline constexpr std::string_view kConversionScriptName = "Temp.txt";

// The input path without its last five characters (the length of ".data"),
// followed by ".vwer", whatever the extension.
std::filesystem::path convertedFileName(const std::filesystem::path& input);

// Writes the script into the application folder (or, when that cannot be
// written, into the per-user data folder) and starts the core program of the
// application folder in the application folder. Returns Ok when started; Error
// with "Menu Convert" errors in the log (the reason, then the input name
// followed by " not converted") otherwise.
Status convertDataFile(const std::filesystem::path& input, DataFileConversion kind,
                       const std::filesystem::path& applicationFolder, const std::filesystem::path& userDataFolder,
                       ProcessLauncher& launcher, MessageLog& log);

}  // namespace vexora
