#pragma once
// "View mesh" of the workspaces: the project's mesh and its model written
// beside the viewer's command file, and the 3D viewer started on them.

#include <string_view>

#include "core/shell/ViewerScript.h"

namespace vexora {
class MessageLog;
class Questions;
class UserSettings;
struct ProjectStore;
}  // namespace vexora

namespace vexora::ui {

struct ShellEnvironment;

// Without a mesh: "No mesh or model to display!" and nothing else. The
// mesh workspace passes its own script tail.
void viewProjectMesh(const ProjectStore& store, MessageLog& log, Questions& questions, UserSettings& userSettings,
                     const ShellEnvironment& environment, std::string_view scriptTail = kWorkspaceSectionTail);

}  // namespace vexora::ui
