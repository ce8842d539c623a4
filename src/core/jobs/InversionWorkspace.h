#pragma once
// What the inversion workspace computes: a configuration file load, a
// topography file load, the IP windows answer, the modelled-data check
// before a save and the proposed project name. The window only asks and
// shows.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/log/MessageLog.h"
#include "core/project/ProjectStore.h"
#include "core/settings/ItemCatalogue.h"

namespace vexora {

// Reads a configuration file into the settings: the configuration reader,
// then the input layout check. Logs name + " not found!", "Error: No
// configuration tags found.", "Warning: critical error reading
// configuration." or "Error: invalid input format" and returns Error then; a
// failed load leaves the settings as they were.
Status loadConfigurationFile(ProjectStore& store, const std::filesystem::path& path, MessageLog& log);

// Reads the topography block of a file (read like a data file: its
// configuration, the input layout check, then the block) into the survey
// and makes the settings follow it: the foreground's z range widened to the
// topography, the plot bounds' z range with a flat bottom, terrain with
// topography. Logs count + " total topography data points loaded." and
// "Topography loaded from file " + name + "."; on a failure the reason and
// name + " not loaded", and nothing changes.
Status loadTopographyFile(ProjectStore& store, const std::filesystem::path& path, MessageLog& log);

// IpWindowsToMerge from the answer of the input box: nothing for an empty
// answer (cancel); answers above `windows` or below 0, and answers that are
// no number, become `windows`.
std::optional<int> ipWindowsToMergeAnswer(std::string_view answer, int windows);

// Calculated values are loaded but their output column is -1: saving would
// lose them. The items to set, in catalogue order.
std::vector<Item> missingModelledDataColumns(const ProjectStore& store);

// The project name proposed for a data file: its folder and its name up to
// the first "." ("/d/site.2021.data" gives "/d/site").
std::filesystem::path proposedProjectName(const std::filesystem::path& dataFile);

}  // namespace vexora
