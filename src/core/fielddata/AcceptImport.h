#pragma once
// Taking an import into the project, as the Import button of the field data
// window does: the cable choice, the imported electrodes and quadrupoles
// appended to the project tables, terrain elevation and electrode type of
// the receiving cables, the values the window keeps, geometric factors, the
// data layout of the settings and the default mesh settings.

#include <string>
#include <string_view>

#include "core/fielddata/FieldDataTable.h"
#include "core/import/ImportTables.h"
#include "core/import/tables/ImportFill.h"
#include "core/log/MessageLog.h"

namespace vexora {

struct CableChoice {
    bool newCable = true;
    std::string name;          // new cable: the typed name
    std::int32_t existing = 0;  // existing cable: its 1-based index
};

enum class [[nodiscard]] AcceptStatus {
    Ok,
    NothingImported,
    InvalidCableName,   // the reason is logged
    ExistingCableName,  // "Existing cable name!"
    RemoteCable,        // "Remote cable: can't add electrodes to this cable!"
    CannotUseCable,     // "Can't use this cable!"
    ElectrodesNotLoaded,  // "Error: electrodes not loaded."
};

inline constexpr std::string_view kExistingCableName = "Existing cable name!";
inline constexpr std::string_view kRemoteCableRefused = "Remote cable: can't add electrodes to this cable!";
inline constexpr std::string_view kCannotUseCable = "Can't use this cable!";
inline constexpr std::string_view kElectrodesNotLoaded = "Error: electrodes not loaded.";

// The typed cable name trimmed, its spaces replaced by "_".
std::string cleanCableName(std::string_view typed);

// A cable holding remote electrodes ("Rem_" followed by a number).
bool isRemoteCable(std::string_view name);

// Everything an accepted import changes in the project, computed beside it.
struct AcceptedImport {
    Survey survey;
    FieldDataValues values;
    SettingsTable settings;
    MeshLines lines;
};

// Computes the accepted import from the project as it is, reading nothing
// but its arguments (so it may run off the window thread while the project
// stays untouched). Refusals are decided here, before anything would change;
// their message is for the caller to show (see the constants), but
// ElectrodesNotLoaded and InvalidCableName are logged under "cmdImportData".
AcceptStatus computeAcceptedImport(const ImportSet& set, const ImportGrids& grids, const CableChoice& choice,
                                   const ProjectStore& store, const FieldDataValues& values, AcceptedImport& accepted,
                                   MessageLog& log);

// Swaps a computed import into the project; cheap. The reciprocal pairing
// is cleared: it no longer matches the rows.
void takeAcceptedImport(AcceptedImport&& accepted, ProjectStore& store, FieldDataValues& values);

// Accepts the import: computed, then taken in when it is Ok. On any refusal
// the store is left as it was.
AcceptStatus acceptImportInto(const ImportSet& set, const ImportGrids& grids, const CableChoice& choice,
                              ProjectStore& store, FieldDataValues& values, MessageLog& log);

// The data columns the field data window writes: V/I, then the first IP
// window when there is one, then the current.
void setImportedDataLayout(SettingsTable& settings, bool hasIp);

}  // namespace vexora
