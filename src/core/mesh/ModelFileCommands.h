#pragma once
// The explorer's model file commands after their open dialogs:
//
// - "Import Mesh and Model" reads a mesh-and-model file (an exported mesh,
//   or an inversion's InvFullMeshOutput.vwer) into the project;
// - "Load Resistivity Model" and "Load IP Model" read a model description
//   file (core/mesh/ModelDescriptionFile.h), or put the model of a
//   mesh-and-model file of that kind (an inversion's
//   InvFullMeshOutput.vwer, InvFullMeshOutput_IP.vwer) on the project's
//   mesh, which must be the mesh of the file.
//
// Each failure shows its message (and logs it) and leaves the settings, the
// mesh and the models as they were. A 3D viewer model file (binary, only the
// plotted region) is named as such, with the file to take instead.

#include <filesystem>

#include "core/log/MessageLog.h"
#include "core/mesh/Mesh.h"
#include "core/mesh/Models.h"
#include "core/platform/Questions.h"
#include "core/settings/SettingsTable.h"

namespace vexora {

// Success: "Mesh and model correctly imported." and the log line "Mesh and
// resistivity model imported from file PATH" (or "IP model").
Status importMeshAndModel(const std::filesystem::path& path, SettingsTable& settings, Mesh& mesh, Models& models,
                          Questions& questions, MessageLog& log);

// `kind` 1 resistivity, 2 IP. Success as the model description load says it.
Status loadModelFile(const std::filesystem::path& path, int kind, SettingsTable& settings, Mesh& mesh,
                     Models& models, Questions& questions, MessageLog& log);

}  // namespace vexora
