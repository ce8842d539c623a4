#pragma once
// Exporting the mesh with its model and the settings that made it: a
// mesh-and-model file and a configuration file beside it.

#include <filesystem>

#include "core/log/MessageLog.h"
#include "core/platform/Questions.h"
#include "core/mesh/Mesh.h"
#include "core/mesh/Models.h"
#include "core/settings/SettingsTable.h"
#include "core/survey/SurveyTables.h"

namespace vexora {

// The configuration file of an exported mesh: the chosen name with only its
// last extension replaced by ".cnfg" ("/data/site.2021/mesh.vwer" gives
// "/data/site.2021/mesh.cnfg"; a name without extension gets one).
std::filesystem::path exportConfigurationPath(const std::filesystem::path& meshPath);

// subExportMesh after its save dialog: `meshPath` is the chosen name, `kind`
// 1 exports the resistivity model, any other value the IP model.
//  - no mesh: "No mesh or model to export!";
//  - an existing mesh or configuration file: the question NAME + " already
//    exists. Do you want to overwrite it?"; No ends the export;
//  - an IP export without an IP model of the conductivity's length: "No IP
//    model to export!";
//  - otherwise both files are written, "Mesh and model correctly exported."
//    is shown and "Dat and Configuration file NAME saved" logged.
// Returns Ok when both files were written, Error otherwise.
Status subExportMesh(const std::filesystem::path& meshPath, int kind, const SettingsTable& settings,
                     const Survey& survey, const Mesh& mesh, const Models& models, Questions& questions,
                     MessageLog& log);

}  // namespace vexora
