#pragma once
// What follows a data load in a workspace: default mesh settings from the
// electrodes, the file's tags read again so that its settings win over those
// defaults, and in a Data Inversion project the mesh (and model) an earlier
// session imported.

#include <string>
#include <string_view>
#include <vector>
#include <filesystem>

#include "core/log/MessageLog.h"
#include "core/project/ProjectStore.h"
#include "core/settings/Configuration.h"

namespace vexora {

// The configuration reader and the input layout check on a copy of the
// settings, adopted only when both accept the text. Logs under `source`
// "Error: No configuration tags found.", "Warning: critical error reading
// configuration." or "Error: invalid input format" and returns Error then.
// `anomalies` as for applyConfigurationText.
Status applyCheckedConfiguration(SettingsTable& settings, std::string text, std::string_view source, MessageLog& log,
                                 AnomalyTags anomalies = AnomalyTags::Add);

// The completion: default mesh settings, then `text` applied again (messages
// as above, source "InvWork") but for its anomalies, which the load's first
// read already added, then the count of quadrupoles above the |K| limit
// ("quadrupoles with |K| above LIMIT m: N"). `text` must be the whole text the load read
// its tags from, as it read them (line ends normalised, comments removed):
// the load takes tags from anywhere in the file, later ones winning, so any
// other text could settle the column layouts differently from the layouts
// the data were read with. With `importMesh`, when
// "Type of mesh" then names an imported mesh ("2-Imported(NAME)"), the mesh
// file NAME is imported again ("Mesh imported from file " + NAME, or NAME +
// " file not found. Mesh not imported.") and, with an imported resistivity
// model type, the starting model rebuilt from it ("Model imported from
// file " + NAME). Returns Error when the configuration was refused.
Status completeDataLoad(ProjectStore& store, std::string text, bool importMesh, MessageLog& log);

// Several data files, or one whose text holds "#ITitle" (an instrument
// sequence file), load through the data merge window rather than as the
// workspace's one data file. `firstText` is the text of the first file.
bool isForDataMerge(const std::vector<std::filesystem::path>& files, std::string_view firstText);

}  // namespace vexora
