#include "engine/script/JobSteps.h"

#include "core/datafile/FormatChecks.h"
#include "core/datafile/ScheduleLoader.h"
#include "core/datafile/ScheduleWriter.h"
#include "core/io/TextFile.h"
#include "core/mesh/AnomalyRefinement.h"
#include "core/mesh/MeshBuild.h"
#include "core/mesh/MeshOfLines.h"
#include "core/mesh/MeshFileFormat.h"
#include "core/mesh/MeshFileImport.h"
#include "core/mesh/MeshSettings.h"
#include "core/mesh/ViewerModelFile.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/settings/Configuration.h"
#include "engine/forward2d/ForwardDimension.h"
#include "engine/forward2d/LineForward.h"

namespace vexora {

namespace fs = std::filesystem;

Status loadJobDataFile(ProjectStore& store, const fs::path& path, MessageLog& log)
{
    // A design survey from the catalogue's settings: measured and calculated
    // columns load as they are.
    ProjectStore next;
    ScriptedQuestions questions = unattendedLoadQuestions();
    const DataLoadRequest request{path, ProjectType::SurveyDesign, true, false};
    if (funInputScheduleFile(next, request, log, questions) != LoadStatus::Loaded)
        return log.error("LOADCONFIGURATION", path.string() + " not loaded.");
    store = std::move(next);
    return Status::Ok;
}

Status generateJobMesh(ProjectStore& store, MessageLog& log)
{
    MeshBuildOutcome outcome;
    return generateJobMesh(store, log, outcome);
}

Status generateJobMesh(ProjectStore& store, MessageLog& log, MeshBuildOutcome& outcome)
{
    constexpr std::string_view source = "GENERATEMESH";
    switch (buildMeshFromSettings(store.settings, store.survey, store.mesh, store.models, log, outcome)) {
    case SettingsMeshStatus::Built: return Status::Ok;
    case SettingsMeshStatus::NoLines: return log.error(source, "no mesh lines.");
    case SettingsMeshStatus::NotBuilt: break;
    }
    return log.error(source, "mesh not generated.");
}

Status loadJobMesh(ProjectStore& store, const fs::path& path, MessageLog& log)
{
    constexpr std::string_view source = "LOADMESH";
    Mesh expectedMesh;
    const auto made = MakeMeshXYZ(store.settings, expectedMesh.lines, expectedMesh.foreground);
    if (made != MeshLinesStatus::Made)
        return log.error(source, "the configuration makes no mesh lines: " + std::string(meshLinesMessage(made)));
    (void)refineNearAnomalies(store.settings, store.survey.electrodes, expectedMesh);  // as the build does
    const MeshLines& expected = expectedMesh.lines;
    ProjectStore next = store;
    if (funImportMesh(path, next.settings, next.mesh, next.models, log) != MeshFileStatus::Read)
        return log.error(source, path.string() + " not loaded.");
    const auto counts = [](std::size_t x, std::size_t y, std::size_t z) {
        return std::to_string(x) + " x " + std::to_string(y) + " x " + std::to_string(z);
    };
    const Mesh& m = next.mesh;
    if (static_cast<std::size_t>(m.nx) != expected.x.size() || static_cast<std::size_t>(m.ny) != expected.y.size() ||
        static_cast<std::size_t>(m.nz) != expected.z.size())
        return log.error(source, path.string() + " has " + counts(static_cast<std::size_t>(m.nx),
                                                                   static_cast<std::size_t>(m.ny),
                                                                   static_cast<std::size_t>(m.nz)) +
                                     " mesh lines, the configuration makes " +
                                     counts(expected.x.size(), expected.y.size(), expected.z.size()) + ".");
    store = std::move(next);
    return Status::Ok;
}

Status runJobForwardModel(ProjectStore& store, MessageLog& log, const ComputeControl& control,
                          ForwardDimension dimension)
{
    std::optional<ElectrodeLine> line;
    if (chooseForwardDimension(store.survey, dimension, "RUNFORWARDMODEL", "No 2.5D forward model", log, line) !=
        Status::Ok)
        return Status::Error;
    CalculatedData calculated;
    LineModel model;
    const Status status =
        line ? (sampleLineModel(store.mesh, store.models, *line, store.survey, log, model) == Status::Ok
                    ? runLineForwardModel(*line, model, store.survey, store.settings, log, control, calculated)
                    : Status::Error)
             : runForwardModel(store.mesh, store.models, store.survey, store.settings, log, control, calculated);
    if (status != Status::Ok) return Status::Error;
    storeCalculatedData(store.survey, std::move(calculated));
    return Status::Ok;
}

Status saveJobMesh(const SettingsTable& settings, const Survey& survey, const Mesh& mesh, const Models& models,
                   const fs::path& path, MeshOutput output, MessageLog& log, const std::vector<double>* sensitivity)
{
    const std::string_view quantity = sensitivity ? "Sensitivity" : "RHO";
    if (output == MeshOutput::BoundsBinary) {
        if (modBinOutput(path, quantity, settings, survey, mesh, models, log, sensitivity) == ViewerFileStatus::Written)
            return Status::Ok;
        return log.error("SAVEMESH", path.string() + " not written.");
    }
    for (const bool ip : {false, true}) {
        if (ip && !(models.ipModelling && models.ip.size() == static_cast<std::size_t>(blockCount(mesh)))) break;
        const fs::path file = ip ? ipMeshPath(path) : path;
        if (OutputGlobalMesh(file, ip, survey, mesh, models, log) != Status::Ok)
            return log.error("SAVEMESH", file.string() + " not written.");
    }
    return Status::Ok;
}

fs::path ipMeshPath(const fs::path& path)
{
    fs::path ip = path;
    ip.replace_filename(path.stem().string() + "_IP" + path.extension().string());
    return ip;
}

void placeCalculatedColumns(ProjectStore& store)
{
    MessageLog scratch;  // the save's own layout check reports problems
    ScheduleLayouts layouts;
    if (funCheckFormatCfgForInput(store.settings, layouts.electrodes, layouts.data, layouts.topography, scratch) !=
        Status::Ok)
        return;
    Column next = static_cast<Column>(requiredColumns(layouts.data) + 1);
    const std::pair<bool, Item> calculated[] = {{store.survey.present.calcResistance, Item::CalcResistanceColumn},
                                                {store.survey.present.calcIp, Item::CalcIpColumn}};
    for (const auto& [present, item] : calculated)
        if (present && settingInteger(store.settings, item) == kNotUsed)
            setSettingText(store.settings, item, std::to_string(next++));
}

Status saveJobDataFile(ProjectStore& store, const fs::path& path, bool besideMeasured, MessageLog& log,
                       std::string_view date)
{
    constexpr std::string_view source = "SAVECONFIGURATION";
    if (besideMeasured) placeCalculatedColumns(store);
    ScheduleLayouts layouts;
    if (funCheckFormatCfgForOutput(store.settings, store.survey.present, store.survey.quadrupoles.ipWindows(),
                                   layouts.electrodes, layouts.data, layouts.topography, log) != Status::Ok)
        return log.error(source, "Error: invalid configuration parameters");
    const int merge = mergedIpWindows(store.survey, store.ipWindowsToMerge, log);
    std::string text = configurationText(store.settings, date.empty() ? currentDateText() : std::string(date));
    appendScheduleBlocks(text, store.survey, layouts, merge, false);
    std::string why;
    if (!writeFileAtomically(path, text, &why)) return log.error(source, path.string() + " not written: " + why);
    return Status::Ok;
}

}  // namespace vexora
