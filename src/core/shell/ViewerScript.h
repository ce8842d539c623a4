#pragma once
// The viewer script (*.ohm): the mesh file to show and three orthogonal
// sections through a centre point. Written by the workbench, read by the
// viewer program.

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

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

// One SECTION line: the plane's name ("xy", "yz", "xz"), its normal and a
// point on it.
struct ViewerScriptSection {
    std::string plane;
    std::array<double, 3> normal{};
    SectionCentre point;
};

struct ViewerScript {
    std::filesystem::path modelFile;  // FILENAME, relative names taken from the script's folder
    int splashSeconds = 0;
    bool electrodes = true;
    std::vector<ViewerScriptSection> sections;
};

// Whether the bytes start as a script does (first line FILENAME, SECTION,
// SPLASHSCREEN, ELECTRODES or #EXIT), not as a model file.
bool looksLikeViewerScript(std::string_view bytes);

// Reads a script with any line ends up to #EXIT. A line the viewer does not
// know, or a SECTION line without its normal and point, is logged as a
// warning under "readViewerScript" with its number and skipped. Error, with
// `script` untouched, when there is no FILENAME line.
Status readViewerScript(std::string_view text, const std::filesystem::path& scriptFolder, ViewerScript& script,
                        MessageLog& log);

enum class [[nodiscard]] ScriptFileRead { Script, NotAScript, Unreadable };

// Reads `path` as a script when its first line says it is one. Only the
// file's head is read to decide, so a model file given in its place is not
// read twice. NotAScript (also for a file that cannot be opened: the model
// reader says why) leaves `script` untouched; Unreadable is a script that
// could not be read or names no model file, logged.
ScriptFileRead readViewerScriptFile(const std::filesystem::path& path, ViewerScript& script, MessageLog& log);

}  // namespace vexora
