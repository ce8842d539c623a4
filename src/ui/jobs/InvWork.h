#pragma once
// The window of a Data Inversion project: the settings grid with its section
// list, the message log, and the commands that load a configuration and a
// data file, save the configuration and the data, and start an inversion in
// a new project folder. Everything it computes is done by the core.

#include <filesystem>
#include <string_view>

#include <QPointer>
#include <QWidget>

#include "core/log/MessageLog.h"
#include "core/platform/Questions.h"
#include "core/platform/UserSettings.h"
#include "core/project/ProjectStore.h"
#include "ui/import/Form_DataMerge.h"
#include "ui/jobs/ResultsWindow.h"

class QCheckBox;
class QGridLayout;
class QLabel;
class QListWidget;
class QPushButton;

namespace vexora::ui {

class FileDialogs;
class MDIStart;
class MessageLogPanel;
class ParallelRunFrame;
class flexgridInputData;

class InvWork : public QWidget {
    Q_OBJECT
public:
    InvWork(ProjectStore& store, MessageLog& log, Questions& questions, UserSettings& userSettings,
            FileDialogs& fileDialogs, MDIStart& mainWindow, QWidget* parent = nullptr);

    flexgridInputData* grid() const { return grid_; }
    MessageLogPanel* logPanel() const { return logPanel_; }
    QCheckBox* ipInversionBox() const { return chkIPInv_; }
    QCheckBox* includeConfigurationBox() const { return chkIncludeCfg_; }
    ParallelRunFrame* parallelRun() const { return parallel_; }

    // Batch mode, while the main window's batch run goes on: the title says
    // so, the load command does nothing and the run asks nothing.
    void setBatchMode(bool on);
    bool batchMode() const { return batchMode_; }

    // The load behind "Load data file", also for a file named at start:
    // several files or an instrument sequence file go to the data merge
    // window, one data file is loaded and completed.
    void loadScheduleFiles(const QStringList& chosen);
    // The data merge window while it is open.
    Form_DataMerge* dataMerge() const { return merge_; }

    // The chosen file, or an empty path when cancelled or missing (after the
    // " not found!" message).
    std::filesystem::path chooseExistingFile(const QString& caption, std::string_view filter);
    void cmdLoadConfiguration_Click();
    void cmdInputScheduleFile_Click();
    void cmdInputTop_Click();
    // Shows the data merge window (opened once) and loads the files into it.
    void openDataMerge(const QStringList& files);
    void cmdViewData_Click();
    void cmdSetDefaults_Click();
    void cmdSaveConfiguration_Click();
    void cmdPrintScheduleandData_Click();
    void cmdPrintMesh_Click();
    void cmdViewMesh_Click();
    void cmdRunInverse_Click();
    // The results of the job that ended last in this workspace, or of the
    // folder of a chosen output data file.
    void cmdOpenResults_Click();
    // The results window last opened, while it is open.
    ResultsWindow* resultsWindow() const { return results_; }
    const std::filesystem::path& resultsFolder() const { return resultsFolder_; }

protected:
    void showEvent(QShowEvent* event) override;
    // Quitting the window quits the project: asked first, then the
    // project's data are emptied and its other windows closed.
    void closeEvent(QCloseEvent* event) override;

private:
    QPushButton* addCommand(QGridLayout* layout, int row, const char* name, const QString& caption,
                            const QString& label, const QString& tip, void (InvWork::*run)());
    void refreshSettings();
    void updateStates();
    // The save dialog with the overwrite question; empty when cancelled.
    QString chooseSaveFile(const QString& title, const char* filters, const QString& proposed = {});

    ProjectStore& store_;
    MessageLog& log_;
    Questions& questions_;
    UserSettings& userSettings_;
    FileDialogs& fileDialogs_;
    MDIStart& mainWindow_;
    QString dataFile_;
    bool batchMode_ = false;

    QListWidget* lstConfig_;
    flexgridInputData* grid_;
    MessageLogPanel* logPanel_;
    QCheckBox* chkIPInv_;
    QCheckBox* chkIncludeCfg_;
    QLabel* dimensions_;
    ParallelRunFrame* parallel_;
    std::vector<QPushButton*> dataCommands_;  // enabled once data are loaded
    QPushButton* cmdRunInverse_ = nullptr;
    std::filesystem::path resultsFolder_;  // of the job that ended last with results
    QPointer<ResultsWindow> results_;
    QPointer<Form_DataMerge> merge_;
};

// The window the explorer's "DI workspace" node opens; it also loads the
// data file named at start.
void registerInvWork(MDIStart& mainWindow, ProjectStore& store, MessageLog& log, Questions& questions,
                     UserSettings& userSettings, FileDialogs& fileDialogs);

}  // namespace vexora::ui
