#include "ui/jobs/ForwardWork.h"

#include <charconv>

#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QVBoxLayout>

#include "core/jobs/ForwardWorkspace.h"
#include "core/jobs/InversionWorkspace.h"
#include "core/jobs/ProjectFolder.h"
#include "core/jobs/RurVexora.h"
#include "core/mesh/MeshBuild.h"
#include "core/platform/Application.h"
#include "core/settings/LenientNumber.h"
#include "core/settings/SettingsTable.h"
#include "ui/jobs/JobFollower.h"
#include "ui/jobs/WorkspaceParts.h"
#include "ui/model/MeshViewing.h"
#include "ui/log/MessageLogPanel.h"
#include "ui/platform/FileDialogs.h"
#include "ui/platform/TextConversion.h"
#include "ui/settings/flexgridInputData.h"
#include "ui/shell/DataFileLoading.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/WindowPlaces.h"

namespace vexora::ui {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kConfigurationFilter =
    "Config (*.cnfg)|*.cnfg|Text (*.txt)|*.txt|CSV File(*.csv)|*.csv|Dat File(*.dat)|*.dat|All Files (*.*)|*.*";
constexpr std::string_view kScheduleFilter =
    "Schedule (*.schd)|*.schd|Data file (*.data)|*.data|Text (*.txt)|*.txt|CSV File(*.csv)|*.csv|Dat File(*.dat)|"
    "*.dat|All Files (*.*)|*.*";
constexpr std::string_view kSaveFilter =
    "Data file (*.data)|*.data|Schedule (*.schd)|*.schd|Text (*.txt)|*.txt|CSV File(*.csv)|*.csv|Dat File(*.dat)|"
    "*.dat|All Files (*.*)|*.*";
constexpr std::string_view kProjectFolderFilter = "FW Modeling Project Folder (*.*)|*.*|";
constexpr std::string_view kModelledDataFilter =
    "Modelled data (FWDataOutput.data)|FWDataOutput.data|Data file (*.data)|*.data|All Files (*.*)|*.*";

// The seed box: empty draws a new seed for each save; a number repeats a
// save whose seed the log gave.
std::optional<std::uint64_t> seedOf(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty()) return freshNoiseSeed();
    std::uint64_t seed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seed);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return seed;
}

}  // namespace

ForwardWork::ForwardWork(ProjectStore& store, MessageLog& log, Questions& questions, UserSettings& userSettings,
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
      chkIPFw_(new QCheckBox(tr("Model IP data"))),
      chkIncludeCfg_(new QCheckBox(tr("Include configuration in data file"))),
      txtPercent_(new QLineEdit(QStringLiteral("0"))),
      txtConstant_(new QLineEdit(QStringLiteral("0"))),
      txtSeed_(new QLineEdit),
      dimensions_(new QLabel)
{
    setObjectName(QStringLiteral("ForwardWork"));
    setWindowTitle(tr("Forward modelling workspace"));
    lstConfig_->setObjectName(QStringLiteral("lstConfig"));
    grid_->setObjectName(QStringLiteral("flexgridInputData"));
    chkIPFw_->setObjectName(QStringLiteral("chkIPFw"));
    chkIncludeCfg_->setObjectName(QStringLiteral("chkIncludeCfg"));
    txtPercent_->setObjectName(QStringLiteral("txtPercent"));
    txtConstant_->setObjectName(QStringLiteral("txtConstant"));
    txtSeed_->setObjectName(QStringLiteral("txtSeed"));
    logPanel_->logToFileBox()->setObjectName(QStringLiteral("ChkLOG"));
    dimensions_->setObjectName(QStringLiteral("lblMeshDimensions"));

    auto* commands = new QGridLayout;
    int row = 0;
    addCommand(commands, row++, "cmdLoadConfiguration", tr("Load"), tr("Load configuration"),
               tr("Read the settings from a configuration file"), &ForwardWork::cmdLoadConfiguration_Click);
    addCommand(commands, row++, "cmdInputSchedFile", tr("Load"), tr("Load schedule"),
               tr("Load the quadrupoles to simulate: a data file, or an instrument sequence file"),
               &ForwardWork::cmdInputScheduleFile_Click);
    dataCommands_.push_back(addCommand(commands, row++, "cmdInputTop", tr("Load"), tr("Load topography"),
                                       tr("Read topography points from a file"), &ForwardWork::cmdInputTop_Click));
    addCommand(commands, row++, "cmdSetDefaults", tr("Set"), tr("Set defaults"),
               tr("Replace every setting with its default value"), &ForwardWork::cmdSetDefaults_Click);
    addCommand(commands, row++, "cmdSaveConfiguration", tr("Save"), tr("Save configuration"),
               tr("Write the settings to a configuration file"), &ForwardWork::cmdSaveConfiguration_Click);
    dataCommands_.push_back(addCommand(commands, row++, "cmdPrintScheduleandData", tr("Save"),
                                       tr("Save schedule and data"),
                                       tr("Write the schedule with the modelled data, plus the noise below"),
                                       &ForwardWork::cmdPrintScheduleandData_Click));
    dataCommands_.push_back(addCommand(commands, row++, "cmdViewMesh", tr("View"), tr("View mesh"),
                                       tr("Build the mesh and starting model of the settings and show them in the 3D "
                                          "viewer"),
                                       &ForwardWork::cmdViewMesh_Click));
    cmdRunForward_ = addCommand(commands, row++, "cmdRunForward", tr("Run"), tr("Run forward"),
                                tr("Model the schedule's data on the starting model in a new project folder"),
                                &ForwardWork::cmdRunForward_Click);
    dataCommands_.push_back(cmdRunForward_);
    cmdLoadModelledData_ = addCommand(commands, row++, "cmdLoadModelledData", tr("Load"), tr("Load modelled data"),
                                      tr("Load the modelled data of the forward job that ended last, or of a job "
                                         "folder's FWDataOutput.data"),
                                      &ForwardWork::cmdLoadModelledData_Click);
    dataCommands_.push_back(addCommand(commands, row++, "cmdViewData", tr("View"), tr("View data"),
                                       tr("Show the data as pseudosections"), &ForwardWork::cmdViewData_Click));
    addCommand(commands, row++, "cmdQuit", tr("Quit"), tr("Quit"), tr("Close this project"),
               &ForwardWork::cmdQuit_Click);
    chkIPFw_->setToolTip(tr("Model the chargeability as well as the resistivity"));
    chkIncludeCfg_->setToolTip(tr("Write the settings into the saved data file, so that it reloads with them"));
    commands->addWidget(chkIPFw_, row++, 0, 1, 2);
    commands->addWidget(chkIncludeCfg_, row++, 0, 1, 2);
    dataCommands_.push_back(chkIPFw_);
    dataCommands_.push_back(chkIncludeCfg_);

    auto* noise = new QGroupBox(tr("Noise added on save"));
    auto* noiseForm = new QFormLayout(noise);
    txtPercent_->setToolTip(tr("Relative noise: each calculated resistance r gets r * P / 500 * g, g standard normal"));
    txtConstant_->setToolTip(tr("Added to every calculated resistance (ohm)"));
    txtSeed_->setPlaceholderText(tr("new for each save"));
    txtSeed_->setToolTip(tr("Seed of the noise; the log gives the seed of each save, so that it can be repeated"));
    noiseForm->addRow(tr("Percent (P):"), txtPercent_);
    noiseForm->addRow(tr("Constant (C):"), txtConstant_);
    noiseForm->addRow(tr("Seed:"), txtSeed_);

    auto* left = new QVBoxLayout;
    left->addLayout(commands);
    left->addWidget(noise);
    left->addWidget(dimensions_);
    lstConfig_->setMinimumHeight(120);
    left->addWidget(lstConfig_, 1);

    // More commands than the inversion workspace: in a short window the
    // column scrolls rather than squeezing its buttons.
    auto* leftWidget = new QWidget;
    leftWidget->setLayout(left);
    auto* leftScroll = new QScrollArea;
    leftScroll->setWidget(leftWidget);
    leftScroll->setWidgetResizable(true);
    leftScroll->setFrameShape(QFrame::NoFrame);
    leftScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    leftScroll->setMinimumWidth(leftWidget->sizeHint().width() + 20);
    auto* top = new QHBoxLayout;
    top->addWidget(leftScroll);
    top->addWidget(grid_, 1);
    auto* topWidget = new QWidget;
    topWidget->setLayout(top);

    layOutWorkspace(*this, topWidget, logPanel_, userSettings_, "ForwardWorkSplitter");
    linkSettingsGrid(lstConfig_, grid_, this, [this] { refreshSettings(); },
                     [this](bool ticked) { chkIPFw_->setChecked(ticked); });

    mainWindow_.registerLogBox(this, logPanel_);
    refreshSettings();
    updateStates();
}

QPushButton* ForwardWork::addCommand(QGridLayout* layout, int row, const char* name, const QString& caption,
                                     const QString& label, const QString& tip, void (ForwardWork::*run)())
{
    return addWorkspaceCommand(layout, row, name, caption, label, tip, log_, questions_,
                               [this, run] { (this->*run)(); });
}

void ForwardWork::showEvent(QShowEvent* event)
{
    refreshSettings();
    updateStates();
    QWidget::showEvent(event);
}

void ForwardWork::closeEvent(QCloseEvent* event)
{
    if (quitProject(store_, log_, questions_, mainWindow_, TaskWindow::ForwardWork)) event->accept();
    else event->ignore();
}

void ForwardWork::refreshSettings()
{
    grid_->refresh();
    fillSectionList(lstConfig_, store_.settings);
    showMeshDimensions(dimensions_, store_.settings, true);
}

void ForwardWork::updateStates()
{
    const bool loaded = store_.survey.dataLoaded;
    for (QWidget* command : dataCommands_) command->setEnabled(loaded);
    // Modelled data of a job load without a schedule too.
    cmdLoadModelledData_->setEnabled(true);
}

void ForwardWork::cmdLoadConfiguration_Click()
{
    const fs::path path = chooseExistingFile(this, fileDialogs_, questions_, tr("Load configuration"),
                                             kConfigurationFilter);
    if (!path.empty() && loadConfigurationFile(store_, path, log_) == Status::Ok) refreshSettings();
}

void ForwardWork::cmdInputScheduleFile_Click()
{
    if (cmdRunForward_->isEnabled() && refuseSecondDataFile(store_, questions_)) return;
    const fs::path path = chooseExistingFile(this, fileDialogs_, questions_, tr("Load schedule"), kScheduleFilter);
    if (!path.empty()) loadSchedule(path);
}

void ForwardWork::loadSchedule(const fs::path& file)
{
    // Instrument sequence files are converted as they load: a designed
    // survey has no field data to merge.
    const DataLoadRequest request{file, ProjectType::SurveyDesign, true, false};
    if (loadDataFileInWindow(this, store_, request, log_, questions_, userSettings_) != LoadStatus::Loaded) return;
    scheduleFile_ = file;
    refreshSettings();
    updateStates();
    log_.subWriteToTextBox("Schedule file " + file.string() + " loaded" + kLineBreak);
}

void ForwardWork::cmdInputTop_Click()
{
    const fs::path path = chooseExistingFile(this, fileDialogs_, questions_, tr("Load topography"), kTopographyFilter);
    if (!path.empty() && loadTopographyFile(store_, path, log_) == Status::Ok) refreshSettings();
}

void ForwardWork::cmdSetDefaults_Click()
{
    if (setDefaultSettings(store_, userSettings_, questions_, log_)) refreshSettings();
}

void ForwardWork::cmdSaveConfiguration_Click() { saveConfigurationAs(this, store_, fileDialogs_, questions_, log_); }

void ForwardWork::askModelledDataColumns()
{
    const std::vector<Item> missing = missingModelledDataColumns(store_);
    if (missing.empty() ||
        !questions_.askYesNo({QuestionId::SetModelledDataColumns, "Save modelled data",
                              "Set an appropriate column number in the data output configuration to save the "
                              "modelled data.",
                              MessageIcon::Exclamation}))
        return;
    for (Item item : missing) {
        const ColumnPrompt prompt = modelledColumnPrompt(store_.settings, item);
        const std::optional<std::string> answer = questions_.inputText(
            {QuestionId::ModelledDataColumn, std::string(kApplicationTitle) + " - Configuration settings", prompt.text},
            prompt.proposed);
        if (!answer) continue;
        const ColumnAnswer column = readColumnAnswer(*answer);
        if (column.kind == ColumnAnswer::Kind::Invalid)
            questions_.showMessage(std::string(kApplicationTitle) + " - Error", kBadColumnMessage,
                                   MessageIcon::Critical);
        else if (column.kind == ColumnAnswer::Kind::Valid)
            (void)setSettingText(store_.settings, item, std::to_string(column.column));  // the item is in the table
    }
    refreshSettings();
}

void ForwardWork::cmdPrintScheduleandData_Click()
{
    askModelledDataColumns();
    const std::optional<std::uint64_t> seed = seedOf(toWindows1252(txtSeed_->text()));
    if (!seed) {
        questions_.showMessage(std::string(kApplicationTitle) + " - Error",
                               "The noise seed is a whole number 0 or above, or empty for a new seed.",
                               MessageIcon::Critical);
        return;
    }
    const QString chosen = chooseSaveFile(this, fileDialogs_, questions_, tr("Save schedule and data"), kSaveFilter);
    if (chosen.isEmpty()) return;
    const NoiseRequest noise{lenientNumber(toWindows1252(txtPercent_->text())),
                             lenientNumber(toWindows1252(txtConstant_->text())), *seed};
    // Failures are logged; the table keeps what the failing step left.
    (void)saveForwardScheduleAndData(store_, toFilePath(chosen), chkIncludeCfg_->isChecked(), noise, log_);
}

void ForwardWork::cmdViewMesh_Click()
{
    MeshBuildOutcome outcome;
    if (buildMeshFromSettings(store_.settings, store_.survey, store_.mesh, store_.models, log_, outcome) !=
            SettingsMeshStatus::Built ||
        !store_.mesh.present) {
        questions_.showMessage(std::string(kApplicationTitle) + " - Error", "No mesh or model to display!",
                               MessageIcon::Critical);
        return;
    }
    refreshSettings();  // the build writes "Type of mesh"
    viewProjectMesh(store_, log_, questions_, userSettings_, mainWindow_.environment());
}

void ForwardWork::cmdRunForward_Click()
{
    const QString proposed = fromFilePath(proposedProjectName(scheduleFile_));
    const fs::path folder = chooseNewProjectFolder(this, fileDialogs_, questions_, log_, "cmdRunForward",
                                                   tr("Set FW modeling project folder"), kProjectFolderFilter, proposed);
    if (folder.empty()) return;
    // The core models the chargeability when the job models IP.
    setSettingText(store_.settings, Item::ModelIp, chkIPFw_->isChecked() ? "1" : "2");
    grid_->refresh();
    if (funRunRurJob(store_, folder, "FWM", mainWindow_.environment().applicationFolder,
                     *mainWindow_.environment().launcher, log_) != Status::Ok)
        return;
    followJob(this, folder / kProgressFile, [this, folder](const ProgressState& end) {
        log_.subWriteToTextBox(forwardJobEndLines(folder, end));
        if (const std::optional<fs::path> output = forwardJobOutput(folder)) modelledData_ = *output;
    });
}

void ForwardWork::cmdLoadModelledData_Click()
{
    fs::path file = modelledData_;
    if (file.empty()) {
        file = chooseExistingFile(this, fileDialogs_, questions_, tr("Load modelled data"), kModelledDataFilter);
        if (file.empty()) return;
    }
    // The job's output holds its whole configuration: it replaces the project's.
    const DataLoadRequest request{file, ProjectType::SurveyDesign, false, false};
    if (loadDataFileInWindow(this, store_, request, log_, questions_, userSettings_) != LoadStatus::Loaded) return;
    if (scheduleFile_.empty()) scheduleFile_ = file;
    refreshSettings();
    updateStates();
    log_.subWriteToTextBox("Modelled data loaded from " + file.string() + ": " +
                           std::to_string(store_.survey.present.calcResistance
                                              ? store_.survey.quadrupoles.calcResistance.size()
                                              : 0) +
                           " calculated resistances." + kLineBreak);
}

void ForwardWork::cmdQuit_Click() { close(); }

void ForwardWork::cmdViewData_Click()
{
    if (!mainWindow_.taskWindows().isRegistered(TaskWindow::Histogram)) {
        log_.warning("cmdViewData", "Pseudo Plots: this window is not in this release.");
        return;
    }
    // Beside the workspace: the data and the settings that made them.
    (void)mainWindow_.taskWindows().show(TaskWindow::Histogram, WindowMode::Default, tr("Pseudo Plots"), false,
                                         QRect(40, 40, 900, 600));
}

void registerForwardWork(MDIStart& mainWindow, ProjectStore& store, MessageLog& log, Questions& questions,
                         UserSettings& userSettings, FileDialogs& fileDialogs)
{
    mainWindow.taskWindows().registerWindow(TaskWindow::ForwardWork, [&] {
        return new ForwardWork(store, log, questions, userSettings, fileDialogs, mainWindow);
    });
}

}  // namespace vexora::ui
