#include "core/mesh/ModelFileCommands.h"

#include <algorithm>
#include <cmath>

#include "core/io/TextFile.h"
#include "core/mesh/MeshFileImport.h"
#include "core/mesh/ModelDescriptionFile.h"
#include "core/mesh/ViewerModelRead.h"
#include "core/platform/Application.h"

namespace vexora {

namespace {

namespace fs = std::filesystem;

// A refusal: the error box and the same text in the log.
Status refuse(std::string_view source, const std::string& text, Questions& questions, MessageLog& log)
{
    questions.showMessage(std::string(kApplicationTitle) + " - Error", text, MessageIcon::Critical);
    return log.error(source, text);
}

std::string firstLine(std::string_view text)
{
    std::string_view line = text.substr(0, text.find('\n'));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return std::string(line);
}

bool viewerModelFile(const std::string& bytes)
{
    ViewerModel model;
    std::string why;
    return readViewerModel(bytes, model, why) != ViewerReadStatus::NotViewerFile;
}

std::string viewerFileRefusal(const fs::path& path)
{
    return path.filename().string() +
           " is a 3D viewer model file, which holds the plotted region only: take the mesh-and-model file "
           "instead (an inversion writes it as InvFullMeshOutput.vwer, and the IP model as "
           "InvFullMeshOutput_IP.vwer).";
}

// The file's mesh is the project's when their line counts and nodes agree
// to the five decimals the file keeps.
bool sameMesh(const Mesh& a, const Mesh& b)
{
    if (a.nx != b.nx || a.ny != b.ny || a.nz != b.nz || a.nodeGrid.size() != b.nodeGrid.size()) return false;
    for (std::size_t k = 0; k < a.nodeGrid.size(); ++k) {
        const NodePoint& p = a.nodeGrid[k];
        const NodePoint& q = b.nodeGrid[k];
        const double tolerance = 1e-5 * (1 + std::max({std::abs(p.x), std::abs(p.y), std::abs(p.z)}));
        if (std::abs(p.x - q.x) > tolerance || std::abs(p.y - q.y) > tolerance || std::abs(p.z - q.z) > tolerance)
            return false;
    }
    return true;
}

}  // namespace

Status importMeshAndModel(const fs::path& path, SettingsTable& settings, Mesh& mesh, Models& models,
                          Questions& questions, MessageLog& log)
{
    std::string text;
    if (!readTextFile(path, text))
        return refuse(kImportMeshSource, path.filename().string() + " not found!", questions, log);
    Models read = models;
    read.conductivityImported = read.ipImported = false;
    MessageLog reading;
    const MeshFileStatus status = importMeshText(text, path.string(), settings, mesh, read, reading);
    if (status == MeshFileStatus::NotAMeshFile)
        return refuse(kImportMeshSource,
                      viewerModelFile(text) ? viewerFileRefusal(path)
                                            : path.filename().string() +
                                                  " is not a mesh-and-model file: its first line is not \"# "
                                                  "version_info\".",
                      questions, log);
    if (status != MeshFileStatus::Read)
        return refuse(kImportMeshSource, "Mesh and model not imported from " + path.filename().string() + ": " +
                                             reading.lastError(),
                      questions, log);
    const bool ip = read.ipImported;
    read.conductivityImported = read.conductivityImported || models.conductivityImported;
    read.ipImported = ip || models.ipImported;
    models = std::move(read);
    questions.showMessage(std::string(kApplicationTitle), "Mesh and model correctly imported.",
                          MessageIcon::Information);
    log.subWriteToTextBox(std::string(ip ? "Mesh and IP model" : "Mesh and resistivity model") +
                          " imported from file " + path.string() + kLineBreak);
    return Status::Ok;
}

Status loadModelFile(const fs::path& path, int kind, SettingsTable& settings, Mesh& mesh, Models& models,
                     Questions& questions, MessageLog& log)
{
    std::string text;
    if (!readTextFile(path, text) || firstLine(text) == "version_info")
        return subLoadRhoIPModel(path, kind, settings, questions, log);
    const bool resistivity = kind == 1;
    if (firstLine(text) != "# version_info") {
        if (viewerModelFile(text)) return refuse(kLoadModelSource, viewerFileRefusal(path), questions, log);
        questions.showMessage(std::string(kApplicationTitle) + " - Error", "Invalid file format.",
                              MessageIcon::Critical);
        return log.error(kLoadModelSource, path.string() + ": Invalid file format.");
    }
    if (!mesh.present)
        return refuse(kLoadModelSource,
                      "No mesh to put the model of " + path.filename().string() +
                          " on: import the mesh and model first (Import Mesh and Model).",
                      questions, log);
    // Read whole into copies; only the model of the requested kind is taken.
    SettingsTable readSettings = settings;
    Mesh readMesh = mesh;
    Models read = models;
    read.conductivityImported = read.ipImported = false;
    MessageLog reading;
    if (importMeshText(text, path.string(), readSettings, readMesh, read, reading) != MeshFileStatus::Read)
        return refuse(kLoadModelSource,
                      "Model not loaded from " + path.filename().string() + ": " + reading.lastError(), questions,
                      log);
    if (resistivity != read.conductivityImported)
        return refuse(kLoadModelSource,
                      path.filename().string() + " holds " + (resistivity ? "an IP" : "a resistivity") +
                          " model, not " + (resistivity ? "a resistivity" : "an IP") + " model.",
                      questions, log);
    if (!sameMesh(readMesh, mesh))
        return refuse(kLoadModelSource,
                      "The model of " + path.filename().string() + " belongs to a mesh of " +
                          std::to_string(readMesh.nx) + " x " + std::to_string(readMesh.ny) + " x " +
                          std::to_string(readMesh.nz) + " lines, not to the project's mesh (" +
                          std::to_string(mesh.nx) + " x " + std::to_string(mesh.ny) + " x " +
                          std::to_string(mesh.nz) + "): import it with Import Mesh and Model.",
                      questions, log);
    const Item typeItem = resistivity ? Item::ResistivityModelType : Item::IpModelType;
    (void)setSettingText(settings, typeItem, std::string(settingText(readSettings, typeItem)));
    if (resistivity) {
        models.conductivity = std::move(read.conductivity);
        models.conductivityImported = true;
    } else {
        models.ip = std::move(read.ip);
        models.ipScale = read.ipScale;
        models.ipImported = true;
    }
    reportModelLoaded(resistivity, path, questions, log);
    return Status::Ok;
}

}  // namespace vexora
