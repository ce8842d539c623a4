#pragma once
// Making a mesh as the mesh workspace does: the lines from the settings,
// then the chain terrain - node mesh - surface electrodes - electrode
// adaptation - starting model.

#include <string>
#include <string_view>

#include "core/log/MessageLog.h"
#include "core/mesh/Mesh.h"
#include "core/mesh/Models.h"
#include "core/platform/Feedback.h"
#include "core/settings/SettingsTable.h"
#include "core/survey/SurveyTables.h"

namespace vexora {

// The workspace's apply command: empties the lines and makes them from the
// settings. Returns Ok, or Error with MakeMeshXYZ's message logged (the lines
// then stay empty and no mesh is present).
Status applyMeshSettings(const SettingsTable& settings, Mesh& mesh, MessageLog& log);

struct MeshBuildOutcome {
    bool followsTerrain = false;  // the terrain was usable and followed
    bool adapted = false;         // AdaptGridToElectrodes ran
    Status adaptResult = Status::Ok;
    std::string adaptWarning;
};

inline constexpr std::string_view kFlatGroundMessage =
    "No topography and no electrode heights: the ground is modelled flat.";

// Builds the node mesh of the current lines and its starting model, once
// the mesh is known to fit in the memory the process may still take
// (a survey without topography points and with every electrode at z = 0 and
// elevation 0 gets the warning kFlatGroundMessage first). Lines not edited
// by hand are first refined about the electrodes next to an anomaly's side
// (`#refine_near_anomalies`, AnomalyRefinement.h; the count added logged):
//  1. the topography points (a copy; with `#use_elec_in_topography` 1 the
//     electrodes are added); the terrain is followed when `#flat_grid` is
//     not 1 and there are points;
//  2. BinandSort and the terrain surface; when either fails (logged) the
//     mesh is built flat instead;
//  3. NodeMesh;
//  4. with `#update_z_surface_electrodes` 1, the surface electrodes move
//     onto the mesh surface;
//  5. with `#adapt_grid_to_electrodes` 1, AdaptGridToElectrodes; its warning
//     is logged after a line break;
//  6. FillResistivityAndIPBlocks; then "Mesh Generated" is logged and
//     `#mesh_type` set.
// Returns Ok, or Error with the reason logged under "cmdmakeMesh_click"; after a
// failure no mesh is present (the survey's tables are untouched). Reads the
// settings and the survey; writes the mesh, its models, "Type of mesh" and,
// with step 4, the electrodes' z. The feedback hears of each step; a cancel
// between steps ends the build as a failure would, logging nothing.
Status funMakeMesh(SettingsTable& settings, Survey& survey, Mesh& mesh, Models& models, MessageLog& log,
                   MeshBuildOutcome& outcome, const Feedback& feedback = {});

// The whole build from the settings, as a job's GENERATEMESH and the forward
// workspace's view mesh do: the lines, then funMakeMesh with the starting
// model following "Model IP Data". NoLines: applyMeshSettings failed;
// NotBuilt: funMakeMesh failed (both logged).
enum class [[nodiscard]] SettingsMeshStatus { Built, NoLines, NotBuilt };
SettingsMeshStatus buildMeshFromSettings(SettingsTable& settings, Survey& survey, Mesh& mesh, Models& models,
                                         MessageLog& log, MeshBuildOutcome& outcome);

}  // namespace vexora
