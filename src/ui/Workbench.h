#pragma once
// The windows and runs this build plugs into the main window. The
// application and the window tests build their main window through it alike.

namespace vexora {
class MessageLog;
class Questions;
class UserSettings;
struct ProjectStore;
}  // namespace vexora

namespace vexora::ui {

class FileDialogs;
class MDIStart;

void plugInWorkbench(MDIStart& window, ProjectStore& store, MessageLog& log, Questions& questions,
                     UserSettings& userSettings, FileDialogs& fileDialogs);

}  // namespace vexora::ui
