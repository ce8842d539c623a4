#pragma once
// What the inversion and forward workspaces share: a command as a button
// with a clickable label, the file choices with their checks, the section
// list and mesh-size labels, and the commands that do the same in both
// (set defaults, save configuration, show the mesh in the 3D viewer).

#include <filesystem>
#include <functional>
#include <string_view>

#include <QString>

#include "core/log/MessageLog.h"
#include "core/platform/Questions.h"
#include "core/platform/UserSettings.h"
#include "core/project/ProjectStore.h"
#include "core/shell/ExplorerTree.h"

class QGridLayout;
class QLabel;
class QListWidget;
class QPushButton;
class QWidget;

namespace vexora::ui {

class FileDialogs;
class flexgridInputData;
class MDIStart;
struct ShellEnvironment;

// The topography files every workspace loads.
inline constexpr std::string_view kTopographyFilter =
    "Topography (*.topo)|*.topo|Text (*.txt)|*.txt|CSV File(*.csv)|*.csv|Dat File(*.dat)|*.dat|All Files (*.*)|*.*";

// A workspace's body: `top` (commands and settings) above the message log,
// the commands kept when the split is dragged up, the split's sizes kept
// under `sizesKey`.
void layOutWorkspace(QWidget& workspace, QWidget* top, QWidget* logPanel, UserSettings& userSettings,
                     const char* sizesKey);

// The section list scrolls the settings grid to the clicked section; an
// edit in the grid calls `edited`, a ticked IP box in the grid `ipTicked`.
void linkSettingsGrid(QListWidget* list, flexgridInputData* grid, QWidget* owner, std::function<void()> edited,
                      std::function<void(bool)> ipTicked);

// A button in column 0 and beside it a label that clicks it; the command
// runs under runCommand with the button's name as source.
QPushButton* addWorkspaceCommand(QGridLayout* layout, int row, const char* name, const QString& caption,
                                 const QString& label, const QString& tip, MessageLog& log, Questions& questions,
                                 std::function<void()> run);

// The chosen existing file, or an empty path when cancelled or missing
// (after the " not found!" box).
std::filesystem::path chooseExistingFile(QWidget* parent, FileDialogs& dialogs, Questions& questions,
                                         const QString& caption, std::string_view filter);
// The save dialog with the overwrite question; empty when cancelled.
QString chooseSaveFile(QWidget* parent, FileDialogs& dialogs, Questions& questions, const QString& title,
                       std::string_view filters, const QString& proposed = {});
// A job's new project folder (its name chosen in the save dialog, ".VXRprj"
// added) made on disk; empty when cancelled, when the folder exists (said in
// a box) or when it cannot be made (logged under `source`).
std::filesystem::path chooseNewProjectFolder(QWidget* parent, FileDialogs& dialogs, Questions& questions,
                                             MessageLog& log, const char* source, const QString& title,
                                             std::string_view filters, const QString& proposed = {});

// The sections of the settings in the list (a click scrolls the grid there)
// and the mesh-size summary of the settings, the node count red when large.
void fillSectionList(QListWidget* list, const SettingsTable& settings);
void showMeshDimensions(QLabel* label, const SettingsTable& settings, bool forward);

// "Set defaults" after its question; true when the settings were reset.
bool setDefaultSettings(ProjectStore& store, UserSettings& userSettings, Questions& questions, MessageLog& log);
// "Save configuration" to a chosen file.
void saveConfigurationAs(QWidget* parent, const ProjectStore& store, FileDialogs& dialogs, Questions& questions,
                         MessageLog& log);

// Closing a workspace quits its project: asked first ("Do you really want to
// quit this ... project?"); on Yes the project's data are emptied and its
// other windows closed. True when the workspace may close.
bool quitProject(ProjectStore& store, MessageLog& log, Questions& questions, MDIStart& mainWindow,
                 TaskWindow workspace);

}  // namespace vexora::ui
