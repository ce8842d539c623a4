#include "core/mesh/MeshBuild.h"

#include "core/mesh/AdaptGrid.h"
#include "core/mesh/MeshSettings.h"
#include "core/mesh/NodeMesh.h"
#include "core/mesh/StartingModel.h"
#include "core/mesh/Topography.h"

namespace vexora {

namespace {

constexpr std::string_view kBuildSource = "cmdmakeMesh_click";

int noMesh(Mesh& mesh, MessageLog& log, std::string_view text)
{
    clearNodeMesh(mesh);
    mesh.terrainSurface.clear();
    mesh.followsTerrain = false;
    return log.error(kBuildSource, text);
}

// The terrain surface of the current lines, or false (logged) when the
// points cannot carry one.
bool terrainSurface(const ProjectStore& store, const MeshSettings& settings, std::vector<double>& surface,
                    MessageLog& log)
{
    if (settings.flatGrid == 1) return false;
    std::vector<TopographyPoint> points = meshTopography(store.survey, settings.electrodesInTopography == kYes);
    if (points.empty()) return false;
    const bool usable = BinandSort(points, store.mesh.lines, settings.dx, settings.dy, log) == kTopographyReady &&
                  InterpolateTerrainSurface(points, store.mesh.lines, surface, log) == kTopographyReady;
    if (!usable) log.subWriteToTextBox(std::string(kLineBreak) + "Topography not used: the mesh is flat.");
    return usable;
}

}  // namespace

int applyMeshSettings(ProjectStore& store, MessageLog& log)
{
    store.mesh.lines.clear();
    clearNodeMesh(store.mesh);
    const int made = MakeMeshXYZ(store.settings, store.mesh.lines, store.mesh.foreground);
    if (made != kMeshLinesMade) return log.error("cmdApplySet_Click", meshLinesMessage(made));
    return kStatusOk;
}

int funMakeMesh(ProjectStore& store, MessageLog& log, MeshBuildOutcome& outcome)
{
    outcome = {};
    Mesh& mesh = store.mesh;
    const MeshSettings settings = readMeshSettings(store.settings);

    std::vector<double> surface;
    mesh.followsTerrain = terrainSurface(store, settings, surface, log);
    mesh.terrainSurface = std::move(surface);
    const int made = NodeMesh(mesh, store.settings, log);
    if (made == kTerrainBelowBottom) return noMesh(mesh, log, kTerrainBelowBottomMessage);
    if (made != kNodeMeshMade) return noMesh(mesh, log, kGenericMeshErrorMessage);
    outcome.followsTerrain = mesh.followsTerrain;

    if (settings.updateSurfaceElectrodes == kYes) UpdateSurfaceElectrodes(mesh, store.survey.electrodes);
    if (settings.adaptGridToElectrodes == kYes) {
        outcome.adapted = true;
        outcome.adaptResult =
            AdaptGridToElectrodes(mesh, store.survey, {settings.dx, settings.dy, settings.dz}, outcome.adaptWarning);
        if (outcome.adaptResult != 0) log.subWriteToTextBox(std::string(kLineBreak) + outcome.adaptWarning);
    }
    if (FillResistivityAndIPBlocks(store.settings, mesh, store.models, log) != kStatusOk)
        return noMesh(mesh, log, kGenericMeshErrorMessage);

    mesh.present = true;
    log.subWriteToTextBox(std::string(kLineBreak) + "Mesh Generated");
    setSettingText(store.settings, Item::MeshType, mesh.userDefined ? "1-User-defined" : "0-Standard");
    return kStatusOk;
}

}  // namespace vexora
