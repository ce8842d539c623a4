#pragma once
// The main window: a multiple-document frame whose client area holds the
// project explorer and the task windows, with the menus and toolbar of the
// workbench and the message log docked below. It holds no project data: the
// store, the log and the platform services belong to main().

#include <functional>
#include <map>
#include <memory>
#include <string_view>

#include <QColor>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPointer>
#include <QString>

#include "core/shell/ExplorerTree.h"
#include "core/shell/ExternalPrograms.h"
#include "ui/shell/Explorer.h"
#include "ui/shell/ShellEnvironment.h"
#include "ui/shell/TaskWindows.h"

class QDockWidget;
class QMdiArea;

namespace vexora::ui {
class HelpWindow;
}  // namespace vexora::ui
class QMenu;

namespace vexora {
class MessageLog;
class Questions;
class UserSettings;
struct ProjectStore;
}  // namespace vexora

namespace vexora::ui {

class CurrentLog;
class FileDialogs;
class MessageLogPanel;

// The tables of the data-set window the DataSet menu asks for.
enum class DataSetView { Electrodes, Quadrupoles, Plots };

// What the main window's keys ask of the open project's workspace.
enum class WorkspaceCommand { Save, Run };

class MDIStart : public QMainWindow {
    Q_OBJECT
public:
    MDIStart(ProjectStore& store, MessageLog& log, Questions& questions, UserSettings& userSettings,
             FileDialogs& fileDialogs, QWidget* parent = nullptr);
    MDIStart(ProjectStore& store, MessageLog& log, Questions& questions, UserSettings& userSettings,
             FileDialogs& fileDialogs, const ShellEnvironment& environment, QWidget* parent = nullptr);
    ~MDIStart() override;

    QMdiArea* mdiArea() const { return mdiArea_; }
    // The main window's own log box.
    MessageLogPanel* logPanel() const { return logPanel_; }
    const ShellEnvironment& environment() const { return environment_; }

    // Loads a data file into the store as a Data Inversion load does (the
    // file named on the command line), opening a Data Inversion project
    // first when none is open; the log tells the outcome. The registered
    // loader does it when it takes the file, so that a file named at start
    // takes the same road as one loaded in the workspace.
    void loadDataFile(const QString& path);
    // The loader returns false when it did not take the file.
    void setDataFileLoader(std::function<bool(const QString& path)> load) { dataFileLoader_ = std::move(load); }

    // File > Recent files: the recent files as menu entries, and the load
    // of one (a file gone is dropped from the list, with a log line).
    void fillRecentFiles(QMenu* menu);
    void mnuRecentFile_Click(const QString& path);

    // Projects.
    void mnuNewProject_Click(ProjectType type);
    // Closes the open project; false when its workspace refused to close.
    bool mnuCloseProject_Click();
    ProjectType projectType() const;
    // The end of a project whose workspace has agreed to quit: every other
    // task window, the explorer and its node list go. False when a window
    // refused to close.
    bool closeProjectWindows(TaskWindow workspace);

    // Explorer.
    Explorer* explorer() const { return explorer_; }
    QMdiSubWindow* explorerWindow() const { return explorerFrame_; }
    const ExplorerNodeList& explorerNodes() const { return nodes_; }
    void mnuViewExplorer_Click();
    // Adds "Data Set" under "Schedule" once a data set is loaded.
    void addDataSetNode();
    // Adds "MERGED_DATA" beside it once files are merged.
    void addMergedDataNode();
    // Shows the node's window or runs its command; a node whose window or
    // command nobody registered logs that it is not in this release.
    void TreeView1_NodeClick(std::size_t nodeIndex);
    // The node with the text (its `occurrence`-th), clicked; nothing when no
    // node has that text.
    void LinkMenusToTreeView(std::string_view nodeText, int occurrence = 1);

    // What later modules plug in: task windows, the explorer's file
    // operations, the log box of a workspace, the console and batch runs.
    TaskWindows& taskWindows() { return taskWindows_; }
    // Where a task window opens the first time: beside the explorer.
    QRect taskPlacement() const;
    void registerNodeOperation(NodeOperation operation, std::function<void()> run);
    void registerLogBox(QWidget* owner, MessageLogPanel* box);
    void setConsoleInversion(std::function<void(const QString& dataFile)> run) { consoleInversion_ = std::move(run); }
    void setBatchProcessing(std::function<void()> run) { batchProcessing_ = std::move(run); }
    // The workspace's road for Ctrl+S and F5; false when no open workspace
    // could do it (none open, nothing loaded).
    void registerWorkspaceCommand(WorkspaceCommand command, std::function<bool()> run);

    // File > Load data file (Ctrl+O): the chosen file is loaded as a
    // recent file is.
    void mnuLoadDataFile_Click();
    void mnuWorkspaceCommand_Click(WorkspaceCommand command);
    // Window menu: the open windows of the main window's area.
    void fillWindowList(QMenu* menu);

    // Tools and options.
    void mnuSequencer_Click();
    void mnuViewer_Click();
    void mnuRunViewerScript_Click();
    void mnuViewerManager_Click();
    void mnuConvertToVwer_Click();
    void mnuExportFullMesh_Click();
    void mnuHelp_Click();
    void mnuAbout_Click();
    void setTaskBackground(const QColor& colour);
    QColor taskBackground() const { return taskWindows_.background(); }

signals:
    void dataSetViewRequested(vexora::ui::DataSetView view);

protected:
    void closeEvent(QCloseEvent* event) override;
    // The sub-windows follow the size of the main window's area.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createLogDock();
    void restoreMainLogBox();
    void createMenus();
    void createWindowMenu();
    void restorePlace();
    void rememberPlace();
    void createToolBar();
    QAction* addCommand(QMenu* menu, const QString& text, const char* name, std::function<void()> run);
    void showExplorer();
    void mnuDataQualityControl_Click();
    void mnuDataSet_Click(DataSetView view);
    void mnuRunConsoleInversion_Click();
    void mnuQuit_Click();
    void mnuPath_Click(int mode);
    void mnuBackgroundOther_Click();
    void convertDataFile(int kind);
    ExternalStatus runExternal(std::string_view program, const std::filesystem::path& file = {});

    ProjectStore& store_;
    MessageLog& log_;
    Questions& questions_;
    UserSettings& userSettings_;
    FileDialogs& fileDialogs_;
    ShellEnvironment environment_;
    std::unique_ptr<ProcessLauncher> ownLauncher_;
    std::unique_ptr<FileSystemRoots> ownRoots_;

    QMdiArea* mdiArea_;
    QPointer<HelpWindow> help_;
    MessageLogPanel* logPanel_ = nullptr;
    QDockWidget* logDock_ = nullptr;
    CurrentLog* currentLog_ = nullptr;

    ExplorerNodeList nodes_;
    QString projectCaption_;
    QPointer<Explorer> explorer_;
    QPointer<QMdiSubWindow> explorerFrame_;
    TaskWindows taskWindows_;
    std::map<NodeOperation, std::function<void()>> nodeOperations_;
    std::function<void(const QString&)> consoleInversion_;
    std::function<void()> batchProcessing_;
    std::function<bool(const QString&)> dataFileLoader_;
    std::map<WorkspaceCommand, std::function<bool()>> workspaceCommands_;
};

}  // namespace vexora::ui
