#pragma once
// The one road from mesh lines to a mesh with its starting model, taken by
// the core job's GENERATEMESH, `vexora mesh` and the mesh workspace alike.

#include "core/mesh/MeshBuild.h"

namespace vexora {

// The mesh of the lines in `mesh`: the IP model is filled when "Model IP
// Data" is 1, then funMakeMesh.
Status makeMeshOfLines(SettingsTable& settings, Survey& survey, Mesh& mesh, Models& models, MessageLog& log,
                       MeshBuildOutcome& outcome);

}  // namespace vexora
