#pragma once
// The viewer script (*.ohm): the mesh file to show and three orthogonal
// sections through a centre point.

#include <filesystem>
#include <string>
#include <string_view>

#include "core/log/MessageLog.h"
#include "core/mesh/Mesh.h"

namespace vexora {

struct SectionCentre {
    double x = 0, y = 0, z = 0;
};

// The centre of the sections through a mesh: its middle in x and y, at the
// top of the foreground (the origin for no lines).
SectionCentre meshCentre(const MeshLines& lines);

// The five numbers after the centre belong to the viewer; the mesh
// workspace shows its sections differently from the other workspaces.
inline constexpr std::string_view kWorkspaceSectionTail = " 0 2 10 1 0";
inline constexpr std::string_view kMeshWorkspaceSectionTail = " 0 1 10 1 0";

inline constexpr std::string_view kViewerScriptName = "Temp.ohm";
inline constexpr std::string_view kViewerMeshName = "ViewMesh.vwer";

// The script text, CR LF line ends.
std::string viewerScriptText(const std::filesystem::path& meshFile, const SectionCentre& centre,
                             std::string_view tail = kWorkspaceSectionTail);

// Writes the script; Error with a logged error when the file cannot be written.
Status WriteViewerScript(const std::filesystem::path& scriptFile, const std::filesystem::path& meshFile,
                         const SectionCentre& centre, MessageLog& log, std::string_view tail = kWorkspaceSectionTail);

// The folder of "Temp.ohm" and "ViewMesh.vwer": the application folder when
// it can be written, otherwise the per-user data folder.
std::filesystem::path viewerWorkFolder(const std::filesystem::path& applicationFolder,
                                       const std::filesystem::path& userDataFolder);

}  // namespace vexora
