#pragma once
// The window of a Survey Design project: load a configuration and a
// schedule (a data file, or an instrument sequence file converted as it
// loads), edit the settings with the starting model and its anomalies, save
// the schedule with the modelled data and optional noise, look at the mesh,
// and start a forward-modelling job in a new project folder. When the job
// ends its modelled data load back with one command, so that the designed
// anomaly shows in the data.

#include <filesystem>

#include <QWidget>

#include "core/log/MessageLog.h"
#include "core/platform/Questions.h"
#include "core/platform/UserSettings.h"
#include "core/project/ProjectStore.h"

class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace vexora::ui {

class FileDialogs;
class MDIStart;
class MessageLogPanel;
class flexgridInputData;

class ForwardWork : public QWidget {
    Q_OBJECT
public:
    ForwardWork(ProjectStore& store, MessageLog& log, Questions& questions, UserSettings& userSettings,
                FileDialogs& fileDialogs, MDIStart& mainWindow, QWidget* parent = nullptr);

    flexgridInputData* grid() const { return grid_; }
    QLabel* meshSizeLabel() const { return dimensions_; }
    QLineEdit* percentBox() const { return txtPercent_; }
    QLineEdit* constantBox() const { return txtConstant_; }
    QLineEdit* seedBox() const { return txtSeed_; }
    QCheckBox* ipModellingBox() const { return chkIPFw_; }
    QCheckBox* includeConfigurationBox() const { return chkIncludeCfg_; }
    // The modelled data of the forward job that ended last, or empty.
    const std::filesystem::path& modelledDataFile() const { return modelledData_; }

    // The load behind "Load schedule", also for a file named by a test.
    void loadSchedule(const std::filesystem::path& file);

    void cmdLoadConfiguration_Click();
    void cmdInputScheduleFile_Click();
    void cmdInputTop_Click();
    void cmdSetDefaults_Click();
    void cmdSaveConfiguration_Click();
    void cmdPrintScheduleandData_Click();
    void cmdViewMesh_Click();
    void cmdRunForward_Click();
    void cmdLoadModelledData_Click();
    void cmdViewData_Click();
    void cmdQuit_Click();

protected:
    void showEvent(QShowEvent* event) override;
    // Quitting the window quits the project, as the inversion workspace does.
    void closeEvent(QCloseEvent* event) override;

private:
    QPushButton* addCommand(QGridLayout* layout, int row, const char* name, const QString& caption,
                            const QString& label, const QString& tip, void (ForwardWork::*run)());
    void refreshSettings();
    void updateStates();
    // The modelled-data column questions before a save.
    void askModelledDataColumns();

    ProjectStore& store_;
    MessageLog& log_;
    Questions& questions_;
    UserSettings& userSettings_;
    FileDialogs& fileDialogs_;
    MDIStart& mainWindow_;
    std::filesystem::path scheduleFile_;
    std::filesystem::path modelledData_;

    QListWidget* lstConfig_;
    flexgridInputData* grid_;
    MessageLogPanel* logPanel_;
    QCheckBox* chkIPFw_;
    QCheckBox* chkIncludeCfg_;
    QLineEdit* txtPercent_;
    QLineEdit* txtConstant_;
    QLineEdit* txtSeed_;
    QLabel* dimensions_;
    std::vector<QWidget*> dataCommands_;  // enabled once a schedule is loaded
    QPushButton* cmdRunForward_ = nullptr;
    QPushButton* cmdLoadModelledData_ = nullptr;
};

// The window the explorer's "FM workspace" node opens.
void registerForwardWork(MDIStart& mainWindow, ProjectStore& store, MessageLog& log, Questions& questions,
                         UserSettings& userSettings, FileDialogs& fileDialogs);

}  // namespace vexora::ui
