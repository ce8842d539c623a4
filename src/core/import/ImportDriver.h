#pragma once
// The import command of the field data window: the list of formats, the
// checks of a chosen file, and the importers run in order up to the filled
// temporary grids.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/import/ImportTables.h"
#include "core/import/tables/ImportFill.h"
#include "core/log/MessageLog.h"
#include "core/platform/Feedback.h"

namespace vexora {

enum class ImportFormatKind { SyscalBin, SyscalText, Ares, Ares2dm, Siber, Mae, Pasi, LundOhm, Stg };

struct ImportFormat {
    ImportFormatKind kind;
    const char* name;       // as the window lists it
    const char* alias;      // short name of the command line
    const char* extension;  // required extension (lower case); "" takes any
    const char* filter;     // file dialog filter
};

// The formats in the order of the window's list.
const std::vector<ImportFormat>& importFormats();
// By listed name (exact) or alias (letter case ignored).
const ImportFormat* findImportFormat(std::string_view nameOrAlias);

inline constexpr std::string_view kInvalidFileFormat = "Invalid file format!";
inline constexpr std::string_view kImportFailedMessage = "Error in importing data set: data-set not loaded.";
inline constexpr std::string_view kSequenceElectrodesWarning = "Invalid number of electrodes in sequence file!";
inline constexpr std::string_view kSequenceQuadrupolesWarning = "Invalid number of quadrupoles in sequence file!";

// The check of a chosen file: nothing when it may be read, otherwise the
// message to show ("Invalid file format! A file ending in .bin is expected."
// when the last three characters, lower-cased, differ from `extension`; the
// name and " not found!" when it does not exist). An empty extension takes
// any file.
std::optional<std::string> checkImportFileChoice(const std::string& fileName, std::string_view extension);

// Options of the binary import, as the open dialog collects them.
enum class ImportMode { Sequence = 1, ConversionTable = 2, Profile = 3, Grid = 4 };
struct BinImportOptions {
    ImportMode mode = ImportMode::Profile;
    std::filesystem::path binFile;
    std::filesystem::path sequenceFile;
    std::filesystem::path conversionFile;
    bool isProfile = true;
    bool snake = false;
    int numberingStart = 1;  // +1 Xmin, -1 Xmax, +2 Ymin, -2 Ymax
};

// Reads the binary file, extracts the schedule, links or renumbers by mode
// and fills the grids. 0, or the status of the failed step (1, 2 from the
// sequence link with its warning logged, 99 otherwise); on failure the
// working tables are emptied. A cancel between steps ends it with 99 and
// nothing logged.
ImportStatus funImportBinFile(const BinImportOptions& options, ImportSet& set, ImportGrids& grids, MessageLog& log,
                              const Feedback& feedback = {});

// What a text format may need beyond its file.
struct TextImportOptions {
    // Electrode spacing (m) for files that number the electrodes; above 0 it
    // replaces the spacing a file's header gives.
    double spacing = 0;
    // Electrodes per line of a 3D block file numbering its electrodes.
    int lineElectrodes = 0;
    // True electrode positions of a .stg survey; when empty, the
    // "<stem>_elec.csv" beside the file is used if there is one.
    std::filesystem::path electrodeFile;
};

// Which of those options a format reads; the others do not apply to it.
struct TextOptionUse {
    bool spacing = false, lineElectrodes = false, electrodeFile = false;
};
TextOptionUse textOptionsOf(ImportFormatKind kind);

// A text format: its importer, then the fill step; 0 or 99 with the tables
// emptied.
ImportStatus importTextFile(ImportFormatKind kind, const std::filesystem::path& path, ImportSet& set,
                            ImportGrids& grids, MessageLog& log, const Feedback& feedback = {},
                            const TextImportOptions& options = {});

}  // namespace vexora
