#include "ui/model/MeshViewing.h"

#include "core/mesh/MeshFileFormat.h"
#include "core/platform/Application.h"
#include "core/project/ProjectStore.h"
#include "core/shell/ExternalPrograms.h"
#include "core/shell/ViewerScript.h"
#include "ui/shell/ShellEnvironment.h"

namespace vexora::ui {

void viewProjectMesh(const ProjectStore& store, MessageLog& log, Questions& questions, UserSettings& userSettings,
                     const ShellEnvironment& environment, std::string_view scriptTail)
{
    if (!store.mesh.present) {
        questions.showMessage(std::string(kApplicationTitle) + " - Error", "No mesh or model to display!",
                              MessageIcon::Critical);
        return;
    }
    const std::filesystem::path folder = viewerWorkFolder(environment.applicationFolder, environment.userDataFolder);
    const std::filesystem::path meshFile = folder / kViewerMeshName;
    const std::filesystem::path script = folder / kViewerScriptName;
    if (OutputGlobalMesh(meshFile, false, store.survey, store.mesh, store.models, log) != Status::Ok) return;
    if (WriteViewerScript(script, meshFile, meshCentre(store.mesh.lines), log, scriptTail) != Status::Ok) return;
    ExternalEnvironment external{userSettings, questions, *environment.launcher, *environment.roots,
                                 log,          nullptr,   environment.userDataFolder, environment.applicationFolder};
    // Nothing follows the start: a program not started was reported to the user.
    (void)RunExternal(external, kViewerProgram, script);
}

}  // namespace vexora::ui
