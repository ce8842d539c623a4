#include "ui/model/ModelFileOperations.h"

#include "core/mesh/MeshExport.h"
#include "core/mesh/ModelFileCommands.h"
#include "core/mesh/XyzImport.h"
#include "core/project/ProjectStore.h"
#include "core/shell/ExplorerTree.h"
#include "ui/platform/FileDialogs.h"
#include "ui/platform/RunHandler.h"
#include "ui/platform/TextConversion.h"
#include "ui/shell/MainWindow.h"

namespace vexora::ui {

namespace {

constexpr const char* kMeshFilter =
    "Output (*.vwer)|*.vwer|Text (*.txt)|*.txt|CSV File(*.csv)|*.csv|Dat File(*.dat)|*.dat|All Files (*.*)|*.*";
// The model description files' filter, and the mesh-and-model files whose
// model can be loaded too.
constexpr const char* kExportFilter = "Viewer File(*.vwer)|*.vwer|All Files (*.*)|*.*";
constexpr const char* kXyzFilter =
    "XYZ (*.xyz)|*.xyz|Text (*.txt)|*.txt|CSV File(*.csv)|*.csv|Dat File(*.dat)|*.dat|All Files (*.*)|*.*";
constexpr const char* kModelFilter = "Config (*.cnfg)|*.cnfg|Text (*.txt)|*.txt|CSV File(*.csv)|*.csv|Dat "
                                     "File(*.dat)|*.dat|Output (*.vwer)|*.vwer|All Files (*.*)|*.*";

}  // namespace

void registerModelFileOperations(MDIStart& window, ProjectStore& store, MessageLog& log, Questions& questions,
                                 FileDialogs& fileDialogs)
{
    const auto chosen = [&window, &fileDialogs](const char* title, const char* filter) {
        return toFilePath(fileDialogs.openFileName(&window, QString::fromLatin1(title), toQtFilters(filter)));
    };
    window.registerNodeOperation(NodeOperation::ImportMesh, [&, chosen] {
        runHandler(log, "Explorer - Import Mesh", [&] {
            const std::filesystem::path path = chosen("Import Mesh and Model", kMeshFilter);
            if (path.empty()) return;
            (void)importMeshAndModel(path, store.settings, store.mesh, store.models, questions, log);
        });
    });
    // The node reads resistivity and, when a fifth column is named, IP.
    window.registerNodeOperation(NodeOperation::ImportXyz, [&, chosen] {
        runHandler(log, kLoadXyzSource, [&] {
            const std::filesystem::path path = chosen("Import XYZ-RHO/IP file", kXyzFilter);
            if (path.empty()) return;
            (void)subImportXYZ(path, 2, store.settings, store.survey, store.mesh, store.models, questions, log);
        });
    });
    for (const int kind : {1, 2}) {
        window.registerNodeOperation(
            kind == 1 ? NodeOperation::ExportMeshResistivity : NodeOperation::ExportMeshIp, [&, kind] {
                runHandler(log, "subExportMesh", [&] {
                    // Without a mesh the export says so before any dialog.
                    if (!store.mesh.present) {
                        (void)subExportMesh({}, kind, store.settings, store.survey, store.mesh, store.models,
                                            questions, log);
                        return;
                    }
                    // The export asks about existing files itself.
                    const QString name = fileDialogs.saveFileName(&window, QStringLiteral("Save as"), QString(),
                                                                  toQtFilters(kExportFilter));
                    if (name.isEmpty()) return;
                    (void)subExportMesh(toFilePath(name), kind, store.settings, store.survey, store.mesh,
                                        store.models, questions, log);
                });
            });
        window.registerNodeOperation(
            kind == 1 ? NodeOperation::LoadResistivityModel : NodeOperation::LoadIpModel, [&, chosen, kind] {
                runHandler(log, "subLoadRhoIPModel", [&] {
                    const std::filesystem::path path =
                        chosen(kind == 1 ? "Load Resistivity Model" : "Load IP Model", kModelFilter);
                    if (path.empty()) return;
                    (void)loadModelFile(path, kind, store.settings, store.mesh, store.models, questions, log);
                });
            });
    }
}

}  // namespace vexora::ui
