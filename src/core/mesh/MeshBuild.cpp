#include "core/mesh/MeshBuild.h"
#include "core/mesh/MeshOfLines.h"

#include <algorithm>

#include "core/mesh/AdaptGrid.h"
#include "core/mesh/AnomalyRefinement.h"
#include "core/mesh/MeshMemory.h"
#include "core/mesh/MeshSettings.h"
#include "core/mesh/NodeMesh.h"
#include "core/mesh/StartingModel.h"
#include "core/mesh/Topography.h"
#include "core/platform/AvailableMemory.h"

namespace vexora {

namespace {

constexpr std::string_view kBuildSource = "cmdmakeMesh_click";

Status noMesh(Mesh& mesh, MessageLog& log, std::string_view text)
{
    clearNodeMesh(mesh);
    mesh.terrainSurface.clear();
    mesh.followsTerrain = false;
    return log.error(kBuildSource, text);
}

// The terrain surface of the current lines, or false (logged) when the
// points cannot carry one.
bool terrainSurface(const Survey& survey, const MeshLines& lines, const MeshSettings& settings,
                    std::vector<double>& surface, MessageLog& log)
{
    if (settings.flatGrid == 1) return false;
    std::vector<TopographyPoint> points = meshTopography(survey, settings.electrodesInTopography == kYes);
    if (points.empty()) return false;
    const bool usable = BinandSort(points, lines, settings.dx, settings.dy, log) == TopographyStatus::Ready &&
                  InterpolateTerrainSurface(points, lines, surface, log) == TopographyStatus::Ready;
    if (!usable) log.subWriteToTextBox(std::string(kLineBreak) + "Topography not used: the mesh is flat.");
    return usable;
}

// Neither topography points nor any electrode height or elevation: the
// ground can only be modelled flat, which the user should know.
bool groundUnknown(const Survey& survey)
{
    return survey.topography.empty() && std::all_of(survey.electrodes.begin(), survey.electrodes.end(),
                                                    [](const Electrode& e) { return e.z == 0 && e.elevation == 0; });
}

}  // namespace

Status applyMeshSettings(const SettingsTable& settings, Mesh& mesh, MessageLog& log)
{
    mesh.lines.clear();
    clearNodeMesh(mesh);
    const auto made = MakeMeshXYZ(settings, mesh.lines, mesh.foreground);
    if (made != MeshLinesStatus::Made) return log.error("cmdApplySet_Click", meshLinesMessage(made));
    return Status::Ok;
}

Status funMakeMesh(SettingsTable& settings, Survey& survey, Mesh& mesh, Models& models, MessageLog& log,
                   MeshBuildOutcome& outcome, const Feedback& feedback)
{
    outcome = {};
    const MeshSettings chosen = readMeshSettings(settings);
    const auto cancelled = [&] {
        if (!feedback.cancelled()) return false;
        clearNodeMesh(mesh);
        return true;
    };

    if (const int added = refineNearAnomalies(settings, survey.electrodes, mesh))
        log.subWriteToTextBox(std::string(kLineBreak) + "Mesh lines added about electrodes next to anomalies: " +
                              std::to_string(added));
    const MeshLines& lines = mesh.lines;
    if (const auto refusal = meshMemoryRefusal(static_cast<std::int64_t>(lines.x.size()),
                                               static_cast<std::int64_t>(lines.y.size()),
                                               static_cast<std::int64_t>(lines.z.size()), availableMemoryBytes()))
        return noMesh(mesh, log, "Mesh refused: " + *refusal + ".");

    feedback.report(0, "Terrain");
    if (groundUnknown(survey)) log.warning(kBuildSource, kFlatGroundMessage);
    std::vector<double> surface;
    mesh.followsTerrain = terrainSurface(survey, mesh.lines, chosen, surface, log);
    mesh.terrainSurface = std::move(surface);
    if (cancelled()) return Status::Error;
    feedback.report(20, "Node mesh");
    const auto made = NodeMesh(mesh, settings, log);
    if (made == NodeMeshStatus::TerrainBelowBottom) return noMesh(mesh, log, kTerrainBelowBottomMessage);
    if (made != NodeMeshStatus::Made) return noMesh(mesh, log, kGenericMeshErrorMessage);
    outcome.followsTerrain = mesh.followsTerrain;
    if (cancelled()) return Status::Error;

    feedback.report(60, "Electrodes");
    if (chosen.updateSurfaceElectrodes == kYes) UpdateSurfaceElectrodes(mesh, survey.electrodes);
    if (chosen.adaptGridToElectrodes == kYes) {
        outcome.adapted = true;
        outcome.adaptResult =
            AdaptGridToElectrodes(mesh, survey, {chosen.dx, chosen.dy, chosen.dz}, outcome.adaptWarning);
        if (outcome.adaptResult != Status::Ok) log.subWriteToTextBox(std::string(kLineBreak) + outcome.adaptWarning);
    }
    if (cancelled()) return Status::Error;
    feedback.report(80, "Starting model");
    if (FillResistivityAndIPBlocks(settings, mesh, models, log) != Status::Ok)
        return noMesh(mesh, log, kGenericMeshErrorMessage);

    mesh.present = true;
    log.subWriteToTextBox(std::string(kLineBreak) + "Mesh Generated");
    setSettingText(settings, Item::MeshType, mesh.userDefined ? "1-User-defined" : "0-Standard");
    feedback.report(100, "Mesh Generated");
    return Status::Ok;
}

Status makeMeshOfLines(SettingsTable& settings, Survey& survey, Mesh& mesh, Models& models, MessageLog& log,
                       MeshBuildOutcome& outcome)
{
    // The starting model follows "Model IP Data" as last configured.
    models.ipModelling = settingInteger(settings, Item::ModelIp) == 1;
    return funMakeMesh(settings, survey, mesh, models, log, outcome);
}

SettingsMeshStatus buildMeshFromSettings(SettingsTable& settings, Survey& survey, Mesh& mesh, Models& models,
                                         MessageLog& log, MeshBuildOutcome& outcome)
{
    if (applyMeshSettings(settings, mesh, log) != Status::Ok) return SettingsMeshStatus::NoLines;
    if (makeMeshOfLines(settings, survey, mesh, models, log, outcome) != Status::Ok) return SettingsMeshStatus::NotBuilt;
    return SettingsMeshStatus::Built;
}

}  // namespace vexora
