#include "core/mesh/ModelFileRead.h"

#include "core/io/TextFile.h"
#include "core/mesh/MeshFileImport.h"
#include "core/mesh/ModelSection.h"
#include "core/settings/SettingsTable.h"

namespace vexora {

Status readModelFile(const std::filesystem::path& path, ViewerModel& model, MessageLog& log)
{
    constexpr const char* kSource = "readModelFile";
    std::string bytes, why;
    if (!readTextFile(path, bytes, &why)) return log.error(kSource, path.string() + ": " + why);
    switch (readViewerModel(bytes, model, why)) {
    case ViewerReadStatus::Read: return Status::Ok;
    case ViewerReadStatus::Damaged: return log.error(kSource, path.string() + ": damaged viewer model file: " + why + ".");
    case ViewerReadStatus::NotViewerFile: break;
    }
    SettingsTable settings = defaultSettingsTable();
    Mesh mesh;
    Models models;
    if (importMeshText(bytes, path.filename().string(), settings, mesh, models, log) != MeshFileStatus::Read)
        return log.error(kSource, path.string() + " is neither a viewer model file nor a mesh-and-model file.");
    model = viewerModelOf(mesh, models);
    return Status::Ok;
}

}  // namespace vexora
