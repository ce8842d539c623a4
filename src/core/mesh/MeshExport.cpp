#include "core/mesh/MeshExport.h"

#include <system_error>

#include "core/mesh/MeshFileFormat.h"
#include "core/platform/Application.h"
#include "core/settings/Configuration.h"

namespace vexora {

namespace {


std::string title(std::string_view suffix) { return std::string(kApplicationTitle) + std::string(suffix); }

bool mayWrite(const std::filesystem::path& path, Questions& questions)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return true;
    return confirmOverwrite(questions, title(" - Warning"), path.filename().string(), MessageIcon::Question);
}

}  // namespace

std::filesystem::path exportConfigurationPath(const std::filesystem::path& meshPath)
{
    std::filesystem::path path = meshPath;
    path.replace_extension(".cnfg");
    return path;
}

Status subExportMesh(const std::filesystem::path& meshPath, int kind, const SettingsTable& settings,
                     const Survey& survey, const Mesh& mesh, const Models& models, Questions& questions,
                     MessageLog& log)
{
    if (!mesh.present || models.conductivity.empty()) {
        questions.showMessage(title(" - Error"), "No mesh or model to export!", MessageIcon::Critical);
        return Status::Error;
    }
    const std::filesystem::path configuration = exportConfigurationPath(meshPath);
    if (!mayWrite(meshPath, questions) || !mayWrite(configuration, questions)) return Status::Error;
    const bool ip = kind != 1;
    if (ip && models.ip.size() != models.conductivity.size()) {
        questions.showMessage(title(" - Error"), "No IP model to export!", MessageIcon::Critical);
        return Status::Error;
    }
    if (OutputGlobalMesh(meshPath, ip, survey, mesh, models, log) != Status::Ok) return Status::Error;
    if (!WriteConfiguration(configuration, settings, log)) return Status::Error;
    questions.showMessage(std::string(kApplicationTitle), "Mesh and model correctly exported.",
                          MessageIcon::Information);
    log.subWriteToTextBox(std::string(kLineBreak) + "Dat and Configuration file " + meshPath.string() + " saved");
    return Status::Ok;
}

}  // namespace vexora
