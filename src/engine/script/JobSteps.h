#pragma once
// The steps of a core job over a project store, shared by the script
// commands and `vexora forward`. Each returns Ok, or Error with the reason
// logged; a failed step leaves files as they were.

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include "core/log/MessageLog.h"
#include "core/mesh/MeshBuild.h"
#include "core/project/ProjectStore.h"
#include "engine/forward/ForwardModel.h"
#include "engine/forward2d/ForwardDimension.h"
#include "engine/script/ScriptParser.h"

namespace vexora {

// LOADCONFIGURATION: loads a data file as the inversion workspace does, with
// the command line's answers (geometric factors with z, calculated values
// kept as calculated): its configuration and blocks, then the mesh settings
// derived from the electrodes with the file's own settings over them, so a
// file with the full configuration is taken as written and a short one
// gets the workspace's defaults.
Status loadJobDataFile(ProjectStore& store, const std::filesystem::path& path, MessageLog& log);

// GENERATEMESH: the lines of the settings, then the mesh workspace's chain
// (which refuses a mesh larger than the memory there is); `outcome` tells
// whether the grid was adapted to the electrodes.
Status generateJobMesh(ProjectStore& store, MessageLog& log, MeshBuildOutcome& outcome);
Status generateJobMesh(ProjectStore& store, MessageLog& log);

// LOADMESH: a mesh-and-model text file whose line counts must be those the
// configuration makes.
Status loadJobMesh(ProjectStore& store, const std::filesystem::path& path, MessageLog& log);

// RUNFORWARDMODEL: the forward model of the store's mesh and models under
// its settings, the calculated columns put into its survey. With a line of
// electrodes whose ground does not change across it and `dimension` Two or
// Automatic, the 2.5D model of the mesh's model under the line
// (engine/forward2d/ForwardDimension.h, LineForward.h).
Status runJobForwardModel(ProjectStore& store, MessageLog& log, const ComputeControl& control = {},
                          ForwardDimension dimension = ForwardDimension::Three);

// SAVEMESH: the viewer's binary model of the plotted region (resistivity)
// or the mesh-and-model text file of the whole mesh, for `models` on `mesh`
// (the settings give the plotted region, the survey the electrodes); with
// an IP model of the mesh (models.ipModelling) the text file of the IP
// model goes beside it, at ipMeshPath.
// With `sensitivity` (one value per block), the binary viewer model holds
// the quantity "Sensitivity" instead of the resistivity model.
Status saveJobMesh(const SettingsTable& settings, const Survey& survey, const Mesh& mesh, const Models& models,
                   const std::filesystem::path& path, MeshOutput output, MessageLog& log,
                   const std::vector<double>* sensitivity = nullptr);

// The IP model's text file beside the resistivity one: NAME_IP.EXT.
std::filesystem::path ipMeshPath(const std::filesystem::path& path);

// V1: every calculated quantity the survey holds whose column is -1 gets the
// next free column of the data block (calculated V/I first, then calculated
// IP), so it is written beside the measured values instead of being dropped.
void placeCalculatedColumns(ProjectStore& store);

// SAVECONFIGURATION: the full configuration followed by the electrode, data
// and topography blocks, written at once; with `besideMeasured` (V1) after
// placeCalculatedColumns. `date` follows "#date= " (empty: today).
Status saveJobDataFile(ProjectStore& store, const std::filesystem::path& path, bool besideMeasured, MessageLog& log,
                       std::string_view date = {});

}  // namespace vexora
