#pragma once
// The main window: a multiple-document frame whose client area holds the task
// windows, with the message log docked below. It holds no project data: the
// store, the log and the platform services belong to main().

#include <QMainWindow>
#include <QString>

class QDockWidget;
class QMdiArea;
class QMenu;

namespace vexora {
class MessageLog;
class Questions;
class UserSettings;
struct ProjectStore;
}  // namespace vexora

namespace vexora::ui {

class FileDialogs;
class MessageLogPanel;

class MDIStart : public QMainWindow {
    Q_OBJECT
public:
    MDIStart(ProjectStore& store, MessageLog& log, Questions& questions, UserSettings& userSettings,
             FileDialogs& fileDialogs, QWidget* parent = nullptr);

    QMdiArea* mdiArea() const { return mdiArea_; }
    MessageLogPanel* logPanel() const { return logPanel_; }

    // Loads a data file into the store as a Data Inversion load does (the
    // file named on the command line); the log tells the outcome.
    void loadDataFile(const QString& path);

private:
    void createLogDock();
    void createMenus();
    void mnuQuit_Click();

    ProjectStore& store_;
    MessageLog& log_;
    Questions& questions_;
    UserSettings& userSettings_;
    FileDialogs& fileDialogs_;

    QMdiArea* mdiArea_;
    MessageLogPanel* logPanel_ = nullptr;
    QDockWidget* logDock_ = nullptr;
    QMenu* fileMenu_ = nullptr;
};

}  // namespace vexora::ui
