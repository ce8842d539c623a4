#pragma once
// Reading a mesh-and-model text file (*.vwer) into the project: the node
// mesh with its flags and boundary codes, and the resistivity or IP model.

#include <filesystem>
#include <string_view>

#include "core/log/MessageLog.h"
#include "core/mesh/Mesh.h"
#include "core/mesh/Models.h"
#include "core/settings/SettingsTable.h"

namespace vexora {

inline constexpr std::string_view kImportMeshSource = "Explorer - Import Mesh";

// Results of funImportMesh.
enum class [[nodiscard]] MeshFileStatus {
    Read = 0,
    NotAMeshFile = 1,  // line 1 is not "# version_info"
    Failed = 99,       // any other failure, logged
};

// Reads the file text. The header's line counts must be at least 2, the
// node count (nx+2)(ny+2)(nz+2) and the block count (nx-1)(ny-1)(nz-1);
// every node line holds three numbers, every block line eight node numbers
// within 1..NN and a value (in a resistivity file not negative, and 1/value
// an ordinary double). Sizes are checked against kMaxMeshNodes and the
// text's length before anything is allocated, and everything is read into
// staging arrays: on any failure (logged under kImportMeshSource) the mesh,
// the models and the settings are untouched.
//
// On success the lines are taken from the file's own nodes (X along the
// first row, Y along the first column, Z down the first node column), the
// node flags and boundary codes are made as NodeMesh makes them, the mesh is
// present and "Type of mesh" reads "2-Imported(" + `name` + ")". A
// resistivity file replaces the conductivity (1/value, a value 0 read as
// 1e-7) and reduces the IP model to one element; an IP file replaces the IP
// model (value / IP scale of the settings). The model read is marked
// imported and its type item set to "1-Imported". Electrode and quadrupole
// sections are not read.
MeshFileStatus importMeshText(std::string_view text, std::string_view name, SettingsTable& settings, Mesh& mesh,
                              Models& models, MessageLog& log);

// Reads the file at `path`; a file that cannot be read gives MeshFileStatus::Failed.
MeshFileStatus funImportMesh(const std::filesystem::path& path, SettingsTable& settings, Mesh& mesh, Models& models,
                             MessageLog& log);

}  // namespace vexora
