#pragma once
// What the inversion workspace computes: the completion after a data load,
// a configuration file load, the IP windows answer, the modelled-data check
// before a save and the proposed project name. The window only asks and
// shows.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/log/MessageLog.h"
#include "core/mesh/Mesh.h"
#include "core/platform/Questions.h"
#include "core/project/ProjectStore.h"
#include "core/settings/ItemCatalogue.h"
#include "core/shell/ViewerScript.h"

namespace vexora {

// Reads a configuration file into the settings: the configuration reader,
// then the input layout check. Logs name + " not found!", "Error: No
// configuration tags found.", "Warning: critical error reading
// configuration." or "Error: invalid input format" and returns 1 then; a
// failed load leaves the settings as they were.
int loadConfigurationFile(ProjectStore& store, const std::filesystem::path& path, MessageLog& log);

// Reads the topography block of a file (read like a data file: its
// configuration, the input layout check, then the block) into the survey
// and makes the settings follow it: the foreground's z range widened to the
// topography, the plot bounds' z range with a flat bottom, terrain with
// topography. Logs count + " total topography data points loaded." and
// "Topography loaded from file " + name + "."; on a failure the reason and
// name + " not loaded", and nothing changes.
int loadTopographyFile(ProjectStore& store, const std::filesystem::path& path, MessageLog& log);

// The part of a data file before its first block ("#elec_start",
// "#data_start" or "#topo_start", any case): all its configuration tags.
std::string_view configurationPart(std::string_view text);

// The completion of a data load in the workspace: default mesh settings
// from the electrodes, then the data file's configuration (its
// configurationPart) read again so that its settings win over the defaults.
// When "Type of mesh" then names an imported mesh ("2-Imported(NAME)"), the
// mesh file NAME is imported again ("Mesh imported from file " + NAME, or
// NAME + " file not found. Mesh not imported.") and, with an imported
// resistivity model type, the starting model rebuilt from it ("Model
// imported from file " + NAME). Returns 1 when the configuration was
// refused (logged as above).
int completeInversionLoad(ProjectStore& store, std::string_view configuration, MessageLog& log);

// A data file loaded as the workspace loads it, without its windows:
// funInputScheduleFile, then completeInversionLoad with the file's
// configuration, the file read once. Returns 0, or 1 (logged).
int loadInversionDataFile(ProjectStore& store, const std::filesystem::path& path, MessageLog& log,
                          Questions& questions);

// Several data files, or one whose text holds "#ITitle" (an instrument
// sequence file), are for the data merge window, which this release does not
// have: the message that says so, naming the files; "" for an ordinary load
// of one file. `firstText` is the text of the first file.
std::string dataMergeRefusal(const std::vector<std::filesystem::path>& files, std::string_view firstText);

// IpWindowsToMerge from the answer of the input box: nothing for an empty
// answer (cancel); answers above `windows` or below 0, and answers that are
// no number, become `windows`.
std::optional<int> ipWindowsToMergeAnswer(std::string_view answer, int windows);

// Calculated values are loaded but their output column is -1: saving would
// lose them. The items to set, in catalogue order.
std::vector<Item> missingModelledDataColumns(const ProjectStore& store);

// The centre of the viewer's sections: the middle of the mesh in x and y,
// at the top of the foreground (the origin for no lines).
SectionCentre meshCentre(const MeshLines& lines);

// The project name proposed for a data file: its folder and its name up to
// the first "." ("/d/site.2021.data" gives "/d/site").
std::filesystem::path proposedProjectName(const std::filesystem::path& dataFile);

}  // namespace vexora
