#include "core/datafile/LoadCompletion.h"

#include "core/datafile/FormatChecks.h"
#include "core/mesh/DefaultMeshSettings.h"
#include "core/mesh/MeshFileImport.h"
#include "core/mesh/StartingModel.h"
#include "core/qc/GeometricFactorLimit.h"
#include "core/settings/Configuration.h"
#include "core/settings/SettingsTable.h"

namespace vexora {

namespace {

std::string trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

}  // namespace

Status applyCheckedConfiguration(SettingsTable& settings, std::string text, std::string_view source, MessageLog& log,
                                 AnomalyTags anomalies)
{
    SettingsTable next = settings;
    ElectrodeFormat electrodes;
    DataFormat data;
    TopographyFormat topography;
    const ConfigurationStatus read = applyConfigurationText(std::move(text), next, log, anomalies);
    if (read == ConfigurationStatus::NoTags) return log.error(source, "Error: No configuration tags found.");
    if (read != ConfigurationStatus::Read) return log.error(source, "Warning: critical error reading configuration.");
    if (funCheckFormatCfgForInput(next, electrodes, data, topography, log) != Status::Ok)
        return log.error(source, "Error: invalid input format");
    settings = std::move(next);
    return Status::Ok;
}

Status completeDataLoad(ProjectStore& store, std::string text, bool importMesh, MessageLog& log)
{
    // Without electrodes the table keeps its mesh settings (logged); the load goes on.
    (void)SetDefaultMeshSettings(store.survey, store.settings, store.mesh.lines, log);
    if (applyCheckedConfiguration(store.settings, std::move(text), "InvWork", log, AnomalyTags::AlreadyRead) !=
        Status::Ok)
        return Status::Error;
    log.subWriteToTextBox(geometricLimitLine(store.survey, store.settings) + kLineBreak);
    if (!importMesh) return Status::Ok;

    // "2-Imported(NAME)": a mesh of an earlier session, imported again.
    const std::string meshType = trimmed(settingText(store.settings, Item::MeshType));
    if (meshType.empty() || meshType[0] < '2' || meshType[0] > '9') return Status::Ok;
    const std::string name = meshType.size() > 12 ? meshType.substr(11, meshType.size() - 12) : std::string();
    if (funImportMesh(name, store.settings, store.mesh, store.models, log) != MeshFileStatus::Read) {
        log.subWriteToTextBox(name + " file not found. Mesh not imported." + kLineBreak);
        return Status::Ok;
    }
    log.subWriteToTextBox("Mesh imported from file " + name + kLineBreak);
    const std::string modelType = trimmed(settingText(store.settings, Item::ResistivityModelType));
    if (!modelType.empty() && modelType[0] > '0' && modelType[0] <= '9' &&
        FillResistivityAndIPBlocks(store.settings, store.mesh, store.models, log) == Status::Ok)
        log.subWriteToTextBox("Model imported from file " + name + kLineBreak);
    return Status::Ok;
}

bool isForDataMerge(const std::vector<std::filesystem::path>& files, std::string_view firstText)
{
    return files.size() > 1 || firstText.find("#ITitle") != std::string_view::npos;
}

}  // namespace vexora
