#include "ui/jobs/InvWork.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

#include "core/datafile/StartupConfiguration.h"
#include "core/datafile/FormatChecks.h"
#include "core/datafile/LoadCompletion.h"
#include "core/datafile/MeshSettingsOnReload.h"
#include "core/datafile/ScheduleWriter.h"
#include "core/io/TextFile.h"
#include "core/jobs/ConsoleInversion.h"
#include "core/jobs/InversionWorkspace.h"
#include "core/jobs/JobResults.h"
#include "core/jobs/ParallelRun.h"
#include "core/jobs/ProjectFolder.h"
#include "core/jobs/RurVexora.h"
#include "core/mesh/DefaultMeshSettings.h"
#include "core/mesh/MeshDimensions.h"
#include "core/mesh/MeshFileFormat.h"
#include "core/platform/Application.h"
#include "core/project/ProjectReset.h"
#include "core/settings/Configuration.h"
#include "core/project/EditSettingItem.h"
#include "core/settings/SettingsTable.h"
#include "core/shell/ExplorerTree.h"
#include "ui/import/Form_DataMerge.h"
#include "ui/jobs/InversionRuns.h"
#include "ui/jobs/JobFollower.h"
#include "ui/jobs/ParallelRunFrame.h"
#include "ui/jobs/ResultsWindow.h"
#include "ui/jobs/WorkspaceParts.h"
#include "ui/log/MessageLogPanel.h"
#include "ui/model/MeshViewing.h"
#include "ui/platform/FileDialogs.h"
#include "ui/platform/RunHandler.h"
#include "ui/platform/TextConversion.h"
#include "ui/settings/flexgridInputData.h"
#include "ui/shell/DataFileLoading.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/WindowPlaces.h"

namespace vexora::ui {

namespace {

namespace fs = std::filesystem;

constexpr const char* kConfigurationFilter =
    "Config (*.cnfg)|*.cnfg|Text (*.txt)|*.txt|CSV File(*.csv)|*.csv|Dat File(*.dat)|*.dat|All Files (*.*)|*.*";
constexpr const char* kDataFilter =
    "Data file (*.data)|*.data|Text (*.txt)|*.txt|CSV File(*.csv)|*.csv|Dat File(*.dat)|*.dat|All Files (*.*)|*.*";
constexpr const char* kMeshFilter =
    "Output (*.vwer)|*.vwer|Text (*.txt)|*.txt|CSV File(*.csv)|*.csv|Dat File(*.dat)|*.dat|All Files (*.*)|*.*";
constexpr const char* kProjectFolderFilter = "Inversion Project Folder (*.*)|*.*|";
constexpr const char* kResultsFilter =
    "Inversion output data (InvDataOutput.data)|InvDataOutput.data|Data file (*.data)|*.data|All Files (*.*)|*.*";

}  // namespace

InvWork::InvWork(ProjectStore& store, MessageLog& log, Questions& questions, UserSettings& userSettings,
                 FileDialogs& fileDialogs, MDIStart& mainWindow, QWidget* parent)
    : QWidget(parent),
      store_(store),
      log_(log),
      questions_(questions),
      userSettings_(userSettings),
      fileDialogs_(fileDialogs),
      mainWindow_(mainWindow),
      lstConfig_(new QListWidget),
      grid_(new flexgridInputData(store, questions, log)),
      logPanel_(new MessageLogPanel(log, questions, fileDialogs)),
      chkIPInv_(new QCheckBox(tr("Invert IP data"))),
      chkIncludeCfg_(new QCheckBox(tr("Include configuration in data file"))),
      dimensions_(new QLabel),
      parallel_(new ParallelRunFrame(store, userSettings, fileDialogs, questions))
{
    setObjectName(QStringLiteral("InvWork"));
    setWindowTitle(tr("Inversion workspace"));
    lstConfig_->setObjectName(QStringLiteral("lstConfig"));
    grid_->setObjectName(QStringLiteral("flexgridInputData"));
    chkIPInv_->setObjectName(QStringLiteral("chkIPInv"));
    chkIncludeCfg_->setObjectName(QStringLiteral("chkIncludeCfg"));
    logPanel_->logToFileBox()->setObjectName(QStringLiteral("ChkLOG"));
    dimensions_->setObjectName(QStringLiteral("lblMeshDimensions"));

    auto* commands = new QGridLayout;
    addCommand(commands, 0, "cmdLoadConfiguration", tr("Load"), tr("Load configuration"),
               tr("Read the settings from a configuration file"), &InvWork::cmdLoadConfiguration_Click);
    addCommand(commands, 1, "cmdInputSchedFile", tr("Load"), tr("Load data file"),
               tr("Load a data file: electrodes, data, topography and the settings it holds (Ctrl+O)"),
               &InvWork::cmdInputScheduleFile_Click);
    dataCommands_.push_back(addCommand(commands, 2, "cmdInputTop", tr("Load"), tr("Load topography"),
                                       tr("Read topography points from a file"), &InvWork::cmdInputTop_Click));
    dataCommands_.push_back(addCommand(commands, 3, "cmdViewData", tr("View"), tr("View data"),
                                       tr("Show the tables of the loaded data set"), &InvWork::cmdViewData_Click));
    addCommand(commands, 4, "cmdSetDefaults", tr("Set"), tr("Set defaults"),
               tr("Replace every setting with its default value"), &InvWork::cmdSetDefaults_Click);
    addCommand(commands, 5, "cmdSaveConfiguration", tr("Save"), tr("Save configuration"),
               tr("Write the settings to a configuration file"), &InvWork::cmdSaveConfiguration_Click);
    dataCommands_.push_back(addCommand(commands, 6, "cmdPrintScheduleandData", tr("Save"), tr("Save schedule and data"),
                                       tr("Write the electrodes, data and topography to a data file (Ctrl+S)"),
                                       &InvWork::cmdPrintScheduleandData_Click));
    dataCommands_.push_back(addCommand(commands, 7, "cmdPrintMesh", tr("Save"), tr("Save mesh"),
                                       tr("Write the mesh and its models to a viewer file"),
                                       &InvWork::cmdPrintMesh_Click));
    dataCommands_.push_back(addCommand(commands, 8, "cmdViewMesh", tr("View"), tr("View mesh"),
                                       tr("Show the mesh and its models in the 3D viewer"),
                                       &InvWork::cmdViewMesh_Click));
    cmdRunInverse_ = addCommand(commands, 9, "cmdRunInverse", tr("Run"), tr("Run inversion"),
                                tr("Start the inversion of the loaded data in a new project folder (F5)"),
                                &InvWork::cmdRunInverse_Click);
    dataCommands_.push_back(cmdRunInverse_);
    addCommand(commands, 10, "cmdOpenResults", tr("Open"), tr("Open results"),
               tr("Show the results of the inversion job that ended last, or of a job folder's output data"),
               &InvWork::cmdOpenResults_Click);
    chkIPInv_->setToolTip(tr("Invert the IP data as well as the resistivities"));
    chkIncludeCfg_->setToolTip(tr("Write the settings into the saved data file, so that it reloads with them"));
    commands->addWidget(chkIPInv_, 11, 0, 1, 2);
    commands->addWidget(chkIncludeCfg_, 12, 0, 1, 2);

    auto* left = new QVBoxLayout;
    left->addLayout(commands);
    left->addWidget(dimensions_);
    left->addWidget(lstConfig_, 1);

    auto* right = new QVBoxLayout;
    right->addWidget(grid_, 1);
    right->addWidget(parallel_);

    auto* top = new QHBoxLayout;
    top->addLayout(left);
    top->addLayout(right, 1);
    auto* topWidget = new QWidget;
    topWidget->setLayout(top);

    layOutWorkspace(*this, topWidget, logPanel_, userSettings_, "InvWorkSplitter");
    linkSettingsGrid(lstConfig_, grid_, this, [this] { refreshSettings(); },
                     [this](bool ticked) { chkIPInv_->setChecked(ticked); });

    mainWindow_.registerLogBox(this, logPanel_);
    refreshSettings();
    updateStates();
}

QPushButton* InvWork::addCommand(QGridLayout* layout, int row, const char* name, const QString& caption,
                                 const QString& label, const QString& tip, void (InvWork::*run)())
{
    return addWorkspaceCommand(layout, row, name, caption, label, tip, log_, questions_, [this, run] { (this->*run)(); });
}

void InvWork::showEvent(QShowEvent* event)
{
    // A data set may have been loaded elsewhere (the file named at start).
    refreshSettings();
    updateStates();
    QWidget::showEvent(event);
}

void InvWork::closeEvent(QCloseEvent* event)
{
    if (quitProject(store_, log_, questions_, mainWindow_, TaskWindow::InvWork)) event->accept();
    else event->ignore();
}

void InvWork::setBatchMode(bool on)
{
    batchMode_ = on;
    setWindowTitle(on ? tr("Inversion workspace - BATCH PROCESSING") : tr("Inversion workspace"));
}

void InvWork::refreshSettings()
{
    grid_->refresh();
    fillSectionList(lstConfig_, store_.settings);
    showMeshDimensions(dimensions_, store_.settings, false);
    parallel_->refreshEstimate();
}

void InvWork::updateStates()
{
    const bool loaded = store_.survey.dataLoaded;
    for (QPushButton* command : dataCommands_) command->setEnabled(loaded);
    chkIncludeCfg_->setEnabled(loaded);
    chkIPInv_->setEnabled(loaded && store_.survey.present.ip);
}

QString InvWork::chooseSaveFile(const QString& title, const char* filters, const QString& proposed)
{
    return ui::chooseSaveFile(this, fileDialogs_, questions_, title, filters, proposed);
}

fs::path InvWork::chooseExistingFile(const QString& caption, std::string_view filter)
{
    return ui::chooseExistingFile(this, fileDialogs_, questions_, caption, filter);
}

void InvWork::cmdLoadConfiguration_Click()
{
    const fs::path path = chooseExistingFile(tr("Load configuration"), kConfigurationFilter);
    if (!path.empty() && loadConfigurationFile(store_, path, log_) == Status::Ok) refreshSettings();
}

void InvWork::cmdInputScheduleFile_Click()
{
    if (batchMode_) return;  // the batch run loads its files itself
    if (refuseSecondDataFile(store_, questions_)) return;
    const QStringList chosen =
        fileDialogs_.openFileNames(this, tr("Load multiple data files"), toQtFilters(kDataFilter));
    if (!chosen.isEmpty()) loadScheduleFiles(chosen);
}

void InvWork::loadScheduleFiles(const QStringList& chosen)
{
    if (chosen.isEmpty()) return;
    std::vector<fs::path> files;
    for (const QString& file : chosen) files.push_back(toFilePath(file));
    if (isForDataMerge(files, {})) return openDataMerge(chosen);
    const fs::path& path = files.front();
    const DataLoadRequest request{path, ProjectType::DataInversion, true, true};
    const LoadStatus status = loadDataFileInWindow(this, store_, request, log_, questions_, userSettings_);
    if (status == LoadStatus::ForDataMerge) return openDataMerge(chosen);
    if (status != LoadStatus::Loaded) return;
    dataFile_ = chosen.front();
    refreshSettings();
    updateStates();
    mainWindow_.addDataSetNode();
    log_.subWriteToTextBox("Schedule file " + path.string() + " loaded" + kLineBreak);
}

void InvWork::openDataMerge(const QStringList& files)
{
    if (merge_ == nullptr) {
        merge_ = new Form_DataMerge(store_, log_, questions_, fileDialogs_, this);
        merge_->setWindowFlag(Qt::Window);
        merge_->setAttribute(Qt::WA_DeleteOnClose);
        connect(merge_, &Form_DataMerge::merged, this, [this](const QString& firstFile) {
            dataFile_ = firstFile;
            refreshSettings();
            updateStates();
            mainWindow_.addDataSetNode();
            mainWindow_.addMergedDataNode();
        });
    }
    merge_->show();
    merge_->raise();
    merge_->addFiles(files);
}

void InvWork::cmdInputTop_Click()
{
    const fs::path path = chooseExistingFile(tr("Load topography"), kTopographyFilter);
    if (!path.empty() && loadTopographyFile(store_, path, log_) == Status::Ok) refreshSettings();
}

void InvWork::cmdViewData_Click() { mainWindow_.LinkMenusToTreeView("Data Set"); }

void InvWork::cmdSetDefaults_Click()
{
    if (setDefaultSettings(store_, userSettings_, questions_, log_)) refreshSettings();
}

void InvWork::cmdSaveConfiguration_Click()
{
    saveConfigurationAs(this, store_, fileDialogs_, questions_, log_);
}

void InvWork::cmdPrintScheduleandData_Click()
{
    const std::vector<Item> missing = missingModelledDataColumns(store_);
    if (!missing.empty() &&
        questions_.askYesNo(
            {QuestionId::SetModelledDataColumns, "Save data",
             "Set an appropriate column number in the data output configuration to save the modelled data.",
             MessageIcon::Exclamation})) {
        for (Item item : missing)
            if (const std::optional<std::size_t> row = FindSettingRow(store_.settings, item))
                (void)grid_->activateRow(static_cast<int>(*row));  // every row is offered, edited or not
    }
    const QString chosen = chooseSaveFile(tr("Save schedule and data"), kDataFilter);
    if (chosen.isEmpty()) return;
    const fs::path path = toFilePath(chosen);
    Status status = Status::Ok;
    if (chkIncludeCfg_->isChecked()) {
        ScheduleLayouts layouts;
        status = funCheckFormatCfgForOutput(store_.settings, store_.survey.present,
                                            store_.survey.quadrupoles.ipWindows(), layouts.electrodes, layouts.data,
                                            layouts.topography, log_) == Status::Ok
                     ? Status::Ok
                     : log_.error("cmdPrintScheduleandData", "Error: invalid output format");
        if (status == Status::Ok && !WriteConfiguration(path, store_.settings, log_)) status = Status::Error;
        if (status == Status::Ok) status = funSaveSchedule(store_, path, true, layouts, false, log_);
    } else {
        // The mesh shown here may not be the one the saved file reloads with.
        if (const std::string lost = meshSettingsLostOnReload(store_); !lost.empty())
            log_.warning("cmdPrintScheduleandData",
                         "The file is saved without its configuration: it will reload with other mesh settings (" +
                             lost + "). Choose \"Include configuration\" to keep them.");
        status = saveDataFile(store_, path, false, log_);
    }
    if (status == Status::Ok) log_.subWriteToTextBox("Schedule file " + path.string() + " saved." + kLineBreak);
}

void InvWork::cmdPrintMesh_Click()
{
    if (!store_.mesh.present) {
        questions_.showMessage(std::string(kApplicationTitle) + " - Error", "No mesh or model to save!",
                               MessageIcon::Critical);
        return;
    }
    const QString chosen = chooseSaveFile(tr("Save mesh"), kMeshFilter);
    if (chosen.isEmpty()) return;
    const fs::path path = toFilePath(chosen);
    if (OutputGlobalMesh(path, false, store_.survey, store_.mesh, store_.models, log_) == Status::Ok)
        log_.subWriteToTextBox(" Inversion results file " + path.string() + " saved" + kLineBreak);
    else log_.logError("cmdPrintMesh", "Error: inversion results file " + path.string() + " not saved");
}

void InvWork::cmdViewMesh_Click()
{
    viewProjectMesh(store_, log_, questions_, userSettings_, mainWindow_.environment());
}

void InvWork::cmdRunInverse_Click()
{
    const CoreProcesses processes = parallel_->processes();
    if (const std::optional<std::string> refusal = coreProcessesRefusal(processes)) {
        log_.logError("cmdRunInverse", *refusal);
        if (!batchMode_)
            questions_.showMessage(std::string(kApplicationTitle) + " - Error", *refusal, MessageIcon::Critical);
        return;
    }
    if (batchMode_) {
        // Unattended: no question and no dialog, a new folder beside the data file.
        ConsoleRunOptions options;
        options.applicationFolder = mainWindow_.environment().applicationFolder;
        options.processes = processes;
        const std::vector<ConsoleRunOutcome> outcomes{
            invertLoadedSurvey(store_, toFilePath(dataFile_), options, *mainWindow_.environment().launcher, log_)};
        logInversionOutcomes(outcomes, log_);
        followInversionRuns(this, outcomes, log_, false);
        return;
    }
    const int windows = static_cast<int>(store_.survey.quadrupoles.ipWindows());
    int merge = 0;
    if (chkIPInv_->isChecked() && windows >= 2) {
        const std::optional<std::string> answer =
            questions_.inputText({QuestionId::IpWindowsToMerge, std::string(kApplicationTitle),
                                  "Multiple IP windows detected. Set the number of IP windows to merge"},
                                 std::to_string(windows));
        const std::optional<int> chosen = answer ? ipWindowsToMergeAnswer(*answer, windows) : std::nullopt;
        if (!chosen) return;
        merge = *chosen;
    }
    const QString proposed = fromFilePath(proposedProjectName(toFilePath(dataFile_)));
    const fs::path folder = chooseNewProjectFolder(this, fileDialogs_, questions_, log_, "cmdRunInverse",
                                                   tr("Set inversion project folder"), kProjectFolderFilter, proposed);
    if (folder.empty()) return;
    store_.ipWindowsToMerge = merge;
    // The core inverts the chargeability when the job models IP.
    if (chkIPInv_->isEnabled()) {
        setSettingText(store_.settings, Item::ModelIp, chkIPInv_->isChecked() ? "1" : "2");
        grid_->refresh();
    }
    // A job not started has logged why; the store is restored either way.
    const Status started = funRunRurJob(store_, folder, "INV", mainWindow_.environment().applicationFolder,
                                        *mainWindow_.environment().launcher, log_, {}, processes);
    store_.ipWindowsToMerge = 0;
    parallel_->refreshEstimate();  // the job builds its own mesh: the project's is gone
    if (started != Status::Ok) return;
    followJob(this, folder / kProgressFile, [this, folder](const ProgressState& end) {
        log_.subWriteToTextBox(jobEndLines("Inversion job in " + folder.string(), end, folder));
        std::error_code error;
        if (fs::is_regular_file(folder / kInvDataOutputFile, error)) resultsFolder_ = folder;
    });
}

void InvWork::cmdOpenResults_Click()
{
    fs::path folder = resultsFolder_;
    if (folder.empty()) {
        const fs::path chosen = chooseExistingFile(tr("Open inversion results"), kResultsFilter);
        if (chosen.empty()) return;
        folder = chosen.parent_path();
    }
    results_ = showJobResults(folder, log_, questions_, userSettings_, fileDialogs_, mainWindow_.environment(),
                              &mainWindow_);
}

void registerInvWork(MDIStart& mainWindow, ProjectStore& store, MessageLog& log, Questions& questions,
                     UserSettings& userSettings, FileDialogs& fileDialogs)
{
    mainWindow.taskWindows().registerWindow(TaskWindow::InvWork, [&] {
        return new InvWork(store, log, questions, userSettings, fileDialogs, mainWindow);
    });
    // A data file named at start is loaded in the workspace, when the
    // project has one.
    mainWindow.setDataFileLoader([&mainWindow](const QString& path) {
        mainWindow.LinkMenusToTreeView("DI workspace");
        auto* work = qobject_cast<InvWork*>(mainWindow.taskWindows().window(TaskWindow::InvWork));
        if (work) work->loadScheduleFiles({path});
        return work != nullptr;
    });
    // Ctrl+S and F5 click the open workspace's buttons, when they are enabled.
    const auto click = [&mainWindow](const char* button) {
        QWidget* work = mainWindow.taskWindows().window(TaskWindow::InvWork);
        auto* command = work ? work->findChild<QPushButton*>(QString::fromLatin1(button)) : nullptr;
        if (!command || !command->isEnabled()) return false;
        command->click();
        return true;
    };
    mainWindow.registerWorkspaceCommand(WorkspaceCommand::Save, [click] { return click("cmdPrintScheduleandData"); });
    mainWindow.registerWorkspaceCommand(WorkspaceCommand::Run, [click] { return click("cmdRunInverse"); });
}

}  // namespace vexora::ui
