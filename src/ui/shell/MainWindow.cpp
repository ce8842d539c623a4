// The main window's frame: construction, log dock, menus, toolbar, the quit
// question, and the data file named on the command line.

#include "ui/shell/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStandardPaths>
#include <QStyle>
#include <QToolBar>

#include "ui/shell/DataFileLoading.h"
#include "core/log/MessageLog.h"
#include "core/platform/Application.h"
#include "core/platform/FileSystemRoots.h"
#include "core/platform/Questions.h"
#include "core/platform/RecentFiles.h"
#include "core/project/ProjectStore.h"
#include "ui/log/MessageLogPanel.h"
#include "ui/platform/QtProcessLauncher.h"
#include "ui/platform/RunHandler.h"
#include "ui/platform/TextConversion.h"
#include "ui/shell/CurrentLog.h"
#include "ui/shell/frmPath.h"

namespace vexora::ui {

namespace {

ShellEnvironment completed(ShellEnvironment environment)
{
    if (environment.applicationFolder.empty())
        environment.applicationFolder = toFilePath(QCoreApplication::applicationDirPath());
    if (environment.userDataFolder.empty())
        environment.userDataFolder =
            toFilePath(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
    return environment;
}

}  // namespace

MDIStart::MDIStart(ProjectStore& store, MessageLog& log, Questions& questions, UserSettings& userSettings,
                   FileDialogs& fileDialogs, QWidget* parent)
    : MDIStart(store, log, questions, userSettings, fileDialogs, ShellEnvironment{}, parent)
{
}

MDIStart::MDIStart(ProjectStore& store, MessageLog& log, Questions& questions, UserSettings& userSettings,
                   FileDialogs& fileDialogs, const ShellEnvironment& environment, QWidget* parent)
    : QMainWindow(parent),
      store_(store),
      log_(log),
      questions_(questions),
      userSettings_(userSettings),
      fileDialogs_(fileDialogs),
      environment_(completed(environment)),
      mdiArea_(new QMdiArea(this)),
      taskWindows_(mdiArea_, userSettings)
{
    if (!environment_.launcher) {
        ownLauncher_ = std::make_unique<QtProcessLauncher>();
        environment_.launcher = ownLauncher_.get();
    }
    if (!environment_.roots) {
        ownRoots_ = std::make_unique<MountedFileSystemRoots>();
        environment_.roots = ownRoots_.get();
    }

    setObjectName(QStringLiteral("MDIStart"));
    setWindowTitle(toQString(kApplicationTitle));
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdiArea_);

    createLogDock();
    currentLog_ = new CurrentLog([this] { restoreMainLogBox(); }, this);
    // A workspace brought to the front shows the log in its own box again.
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
        if (window && currentLog_) currentLog_->activated(window);
    });
    createMenus();
    createToolBar();
    resize(1200, 800);
    restorePlace();
    mdiArea_->viewport()->installEventFilter(this);

    log_.subWriteToTextBox(std::string(kApplicationTitle) + " started." + kLineBreak);
}

MDIStart::~MDIStart()
{
    rememberPlace();
    // Workspaces destroyed with the window must not hand the log back to a
    // box that is going too.
    delete currentLog_;
    currentLog_ = nullptr;
}

void MDIStart::createLogDock()
{
    logPanel_ = new MessageLogPanel(log_, questions_, fileDialogs_);
    logDock_ = new QDockWidget(tr("Messages"), this);
    logDock_->setObjectName(QStringLiteral("MessagesDock"));
    // The log is the only record of what the workbench did: it can be moved
    // or floated but not closed.
    logDock_->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    logDock_->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
    logDock_->setWidget(logPanel_);
    addDockWidget(Qt::BottomDockWidgetArea, logDock_);
    resizeDocks({logDock_}, {240}, Qt::Vertical);
}

void MDIStart::restoreMainLogBox()
{
    // A panel follows the log from its construction and lets go in its
    // destructor: the old box goes first, then a fresh one shows the whole
    // log and follows it from here on.
    delete logPanel_;
    logPanel_ = new MessageLogPanel(log_, questions_, fileDialogs_);
    logDock_->setWidget(logPanel_);
}

void MDIStart::registerLogBox(QWidget* owner, MessageLogPanel* box)
{
    if (currentLog_ && box) currentLog_->registerBox(owner, box);
}

QAction* MDIStart::addCommand(QMenu* menu, const QString& text, const char* name, std::function<void()> run)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this,
            [this, name, run = std::move(run)] { runCommand(log_, questions_, name, run); });
    return action;
}

void MDIStart::createMenus()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    QMenu* newProject = file->addMenu(tr("&New Project"));
    newProject->menuAction()->setObjectName(QStringLiteral("mnuNewProject"));
    addCommand(newProject, tr("Survey Design"), "mnuNewSurveyDesign",
               [this] { mnuNewProject_Click(ProjectType::SurveyDesign); });
    addCommand(newProject, tr("Data Inversion"), "mnuNewDataInversion",
               [this] { mnuNewProject_Click(ProjectType::DataInversion); })
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    addCommand(file, tr("Batch processing"), "mnuBatch", [this] {
        if (batchProcessing_) batchProcessing_();
    });
    addCommand(file, tr("Run Console Inversion"), "mnuConsoleInversion", [this] { mnuRunConsoleInversion_Click(); });
    addCommand(file, tr("&Close Project"), "mnuCloseProject", [this] { mnuCloseProject_Click(); });
    addCommand(file, tr("Import Field Data"), "mnuImportFieldData",
               [this] { LinkMenusToTreeView("Import field data"); });
    file->addSeparator();
    addCommand(file, tr("&Load data file..."), "mnuLoadDataFile", [this] { mnuLoadDataFile_Click(); })
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    addCommand(file, tr("&Save schedule and data..."), "mnuSaveData",
               [this] { mnuWorkspaceCommand_Click(WorkspaceCommand::Save); })
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    addCommand(file, tr("&Run the workspace's job"), "mnuRunJob",
               [this] { mnuWorkspaceCommand_Click(WorkspaceCommand::Run); })
        ->setShortcut(QKeySequence(Qt::Key_F5));
    QMenu* recent = file->addMenu(tr("Recent files"));
    recent->setObjectName(QStringLiteral("mnuRecentFiles"));
    connect(recent, &QMenu::aboutToShow, this, [this, recent] { fillRecentFiles(recent); });
    file->addSeparator();
    QAction* quit = addCommand(file, tr("&Quit"), "mnuQuit", [this] { mnuQuit_Click(); });
    // Keys written out: the platform's standard Quit key is empty on some systems.
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* view = menuBar()->addMenu(tr("&View"));
    addCommand(view, tr("Explorer Window"), "mnuViewExplorer", [this] { mnuViewExplorer_Click(); });

    QMenu* dataSet = menuBar()->addMenu(tr("&DataSet"));
    addCommand(dataSet, tr("Electrodes"), "mnuElectrodes", [this] { mnuDataSet_Click(DataSetView::Electrodes); });
    addCommand(dataSet, tr("Quadrupoles"), "mnuQuadrupoles", [this] { mnuDataSet_Click(DataSetView::Quadrupoles); });
    addCommand(dataSet, tr("Data Quality Control"), "mnuDataQualityControl",
               [this] { mnuDataQualityControl_Click(); });

    QMenu* mesh = menuBar()->addMenu(tr("&Mesh"));
    static const char* const kMeshCommands[][2] = {
        {"Make Mesh", "mnuMakeMesh"},
        {"Make Resistivity/IP Model", "mnuMakeModel"},
        {"Export Mesh and Resistivity Model", "mnuExportMeshResistivity"},
        {"Export Mesh and IP Model", "mnuExportMeshIp"},
        {"Import Mesh and Model", "mnuImportMesh"},
        {"Load Resistivity Model", "mnuLoadResistivityModel"},
        {"Load IP Model", "mnuLoadIpModel"},
        {"Import Resistivity/IP Model from XYZ File", "mnuImportXyz"},
    };
    for (const auto& [text, name] : kMeshCommands)
        addCommand(mesh, QString::fromLatin1(text), name, [this, text = text] { LinkMenusToTreeView(text); });

    QMenu* tools = menuBar()->addMenu(tr("&Tools"));
    addCommand(tools, tr("Vexora Sequencer"), "mnuSequencer", [this] { mnuSequencer_Click(); });
    addCommand(tools, tr("Vexora 3D Viewer"), "mnuViewer", [this] { mnuViewer_Click(); });
    addCommand(tools, tr("Run 3D Viewer Script file"), "mnuRunViewerScript", [this] { mnuRunViewerScript_Click(); });
    addCommand(tools, tr("Vexora Viewer Manager"), "mnuViewerManager", [this] { mnuViewerManager_Click(); });
    addCommand(tools, tr("Convert Vexora data file to vwer"), "mnuConvertToVwer", [this] { mnuConvertToVwer_Click(); });
    addCommand(tools, tr("Export full mesh and resistivity from Vexora data file"), "mnuExportFullMesh",
               [this] { mnuExportFullMesh_Click(); });

    QMenu* options = menuBar()->addMenu(tr("&Options"));
    addCommand(options, tr("Set path for Viewer"), "mnuPathViewer",
               [this] { mnuPath_Click(static_cast<int>(frmPath::Mode::Viewer)); });
    addCommand(options, tr("Set path for Sequencer"), "mnuPathSequencer",
               [this] { mnuPath_Click(static_cast<int>(frmPath::Mode::Sequencer)); });
    addCommand(options, tr("User-defined default configuration"), "mnuPathConfiguration",
               [this] { mnuPath_Click(static_cast<int>(frmPath::Mode::Configuration)); });
    QMenu* background = options->addMenu(tr("Set Background color"));
    addCommand(background, tr("White"), "mnuBackgroundWhite", [this] { setTaskBackground(Qt::white); });
    addCommand(background, tr("Grey"), "mnuBackgroundGrey",
               [this] { setTaskBackground(QApplication::palette().color(QPalette::Button)); });
    addCommand(background, tr("Other"), "mnuBackgroundOther", [this] { mnuBackgroundOther_Click(); });

    createWindowMenu();

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    addCommand(help, tr("Vexora Help"), "mnuHelp", [this] { mnuHelp_Click(); })
        ->setShortcut(QKeySequence::HelpContents);
    addCommand(help, tr("About"), "mnuAbout", [this] { mnuAbout_Click(); });
}

void MDIStart::createToolBar()
{
    QToolBar* bar = addToolBar(tr("Commands"));
    bar->setObjectName(QStringLiteral("Toolbar"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->setMovable(false);
    const auto button = [&](QStyle::StandardPixmap icon, const QString& text, const char* menuCommand) {
        QAction* command = findChild<QAction*>(QString::fromLatin1(menuCommand));
        QAction* added = bar->addAction(style()->standardIcon(icon), text);
        connect(added, &QAction::triggered, command, &QAction::trigger);
        added->setObjectName(QStringLiteral("tbr") + QString::fromLatin1(menuCommand).mid(3));
    };
    button(QStyle::SP_FileDialogNewFolder, tr("Survey Design"), "mnuNewSurveyDesign");
    button(QStyle::SP_FileDialogNewFolder, tr("Data Inversion"), "mnuNewDataInversion");
    button(QStyle::SP_FileDialogListView, tr("View Explorer Window"), "mnuViewExplorer");
    button(QStyle::SP_DialogCloseButton, tr("Close Project"), "mnuCloseProject");
    bar->addSeparator();
    button(QStyle::SP_ComputerIcon, tr("3D Viewer"), "mnuViewer");
    button(QStyle::SP_FileDialogDetailedView, tr("Sequencer"), "mnuSequencer");
    button(QStyle::SP_DialogHelpButton, tr("Help"), "mnuHelp");
}

void MDIStart::closeEvent(QCloseEvent* event)
{
    bool quit = false;
    runHandler(log_, "MDIForm_QueryUnload", [&] {
        quit = questions_.askYesNo({QuestionId::QuitProgram, std::string(kApplicationTitle) + " - Quit Program?",
                                    "Do you really want to quit the program?", MessageIcon::Question});
    });
    if (quit) event->accept();
    else event->ignore();
}

void MDIStart::mnuQuit_Click()
{
    // The close box's road: the quit question may keep the work open.
    close();
}

void MDIStart::fillRecentFiles(QMenu* menu)
{
    menu->clear();
    const std::vector<std::filesystem::path> files = recentFiles(userSettings_);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const QString path = fromFilePath(files[i]);
        QAction* entry = addCommand(menu, QStringLiteral("&%1 %2").arg(i + 1).arg(path), "mnuRecentFile",
                                    [this, path] { mnuRecentFile_Click(path); });
        entry->setObjectName(QStringLiteral("mnuRecentFile%1").arg(i + 1));
    }
    if (files.empty()) menu->addAction(tr("(none)"))->setEnabled(false);
}

void MDIStart::mnuRecentFile_Click(const QString& path)
{
    const std::filesystem::path file = toFilePath(path);
    if (!QFileInfo(path).isFile()) {
        forgetRecentFile(userSettings_, file);
        log_.warning("mnuRecentFile", file.string() + " no longer exists: removed from the recent files.");
        return;
    }
    if (refuseSecondDataFile(store_, questions_)) return;
    loadDataFile(path);
}

void MDIStart::loadDataFile(const QString& path)
{
    if (projectType() == ProjectType::None) mnuNewProject_Click(ProjectType::DataInversion);
    runCommand(log_, questions_, "cmdInputScheduleFile", [&] {
        if (dataFileLoader_ && dataFileLoader_(path)) return;
        const DataLoadRequest request{toFilePath(path), ProjectType::DataInversion, true, false};
        if (loadDataFileInWindow(this, store_, request, log_, questions_, userSettings_) != LoadStatus::Loaded) return;
        log_.subWriteToTextBox(toWindows1252(path) + " loaded: " + std::to_string(store_.survey.electrodes.size()) +
                               " electrodes, " + std::to_string(store_.survey.quadrupoles.size()) +
                               " quadrupoles, " + std::to_string(store_.survey.topography.size()) +
                               " topography points." + kLineBreak);
        addDataSetNode();
    });
}

}  // namespace vexora::ui
