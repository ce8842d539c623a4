#pragma once
// The explorer's "Import Mesh and Model", "Load Resistivity Model" and
// "Load IP Model": an open dialog, then the core's command
// (core/mesh/ModelFileCommands.h) on the project's store. A cancelled
// dialog ends the command silently.

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
