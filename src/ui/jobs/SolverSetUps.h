#pragma once
// The explorer's "Forward solver set up", "FM set up" and "Inverse solver
// set up" nodes show the solver set-up dialogs.

namespace vexora {
class MessageLog;
class Questions;
struct ProjectStore;
}  // namespace vexora

namespace vexora::ui {

class MDIStart;

void registerSolverSetUps(MDIStart& mainWindow, ProjectStore& store, MessageLog& log, Questions& questions);

}  // namespace vexora::ui
