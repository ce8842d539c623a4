#pragma once
// The explorer's mesh and model file nodes: "Import Mesh and Model", "Load
// Resistivity Model", "Load IP Model", the two "Export" nodes and the XYZ
// model import: a file dialog, then the core's command
// (core/mesh/ModelFileCommands.h, MeshExport.h, XyzImport.h) on the
// project's store. A cancelled dialog ends the command silently.

namespace vexora {
class MessageLog;
class Questions;
struct ProjectStore;
}  // namespace vexora

namespace vexora::ui {

class FileDialogs;
class MDIStart;

void registerModelFileOperations(MDIStart& window, ProjectStore& store, MessageLog& log, Questions& questions,
                                 FileDialogs& fileDialogs);

}  // namespace vexora::ui
