#pragma once
// Loading a whole data file: tag header, electrode, data and topography
// blocks, checks, the conversion of apparent resistivities to V/I, and the
// workspace's completion. Every window, the command line and the core's job
// step load data files through funInputScheduleFile.

#include <filesystem>
#include <string>

#include "core/log/MessageLog.h"
#include "core/platform/Feedback.h"
#include "core/platform/Questions.h"
#include "core/project/ProjectStore.h"

namespace vexora {

// What a front end asks of a load.
struct DataLoadRequest {
    std::filesystem::path file;
    // Data Inversion asks whether calculated columns are the data to invert
    // and needs measured (or chosen calculated) resistances.
    ProjectType projectType = ProjectType::None;
    // The workspace completion after the blocks: default mesh settings, the
    // file's configuration again and, in a Data Inversion project, the
    // imported mesh it names.
    bool completeWorkspace = false;
    // Instrument sequence files ("#ITitle") load through the data merge
    // window: not loaded here, answered ForDataMerge.
    bool refuseInstrumentSequence = false;
};

// ForDataMerge: an instrument sequence file the request leaves to the data
// merge; nothing was loaded or logged.
enum class [[nodiscard]] LoadStatus { Loaded = 0, NotLoaded = 1, Cancelled = 2, ForDataMerge = 3 };

// The load: the file is read once, everything is built into `loaded` (its
// survey, settings, mesh and models replace those of `current`, which is
// only read) and the outcome is logged. On NotLoaded and Cancelled the log
// says why and `loaded` is to be dropped.
LoadStatus funInputScheduleFile(const ProjectStore& current, const DataLoadRequest& request, ProjectStore& loaded,
                                MessageLog& log, Questions& questions, const Feedback& feedback = {});

// The same, replacing the store only when the file has loaded.
LoadStatus funInputScheduleFile(ProjectStore& store, const DataLoadRequest& request, MessageLog& log,
                                Questions& questions, const Feedback& feedback = {});

// The same on text already in memory; request.file names it in messages.
LoadStatus loadScheduleText(ProjectStore& store, std::string text, const DataLoadRequest& request, MessageLog& log,
                            Questions& questions, const Feedback& feedback = {});

// Instrument sequence files mark an absent electrode by the fields "000,00":
// they become the remote electrode "Rem,01", which is added to the
// electrodes block. Only whole fields are replaced, never digits inside a
// number. Always returns Ok.
Status funPrepareSequenceText(std::string& text);

// Divides measured (and calculated) resistances and their standard
// deviations by the geometric factors: apparent resistivities become V/I.
// Warns about the quadrupoles whose factor cannot be computed.
void apparentResistivityToResistance(Survey& survey, bool ignoreZ, MessageLog& log);

}  // namespace vexora
