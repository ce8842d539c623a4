#include <gtest/gtest.h>

#include <QAction>
#include <QListWidget>
#include <QCheckBox>
#include <QMenu>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "GuiTestSupport.h"
#include "core/JobTestSupport.h"
#include "core/datafile/ScheduleLoader.h"
#include "core/io/TextFile.h"
#include "core/log/MessageLog.h"
#include "core/mesh/MeshBuild.h"
#include "core/platform/FileSystemRoots.h"
#include "core/platform/RecentFiles.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/platform/UserSettings.h"
#include "core/project/ProjectStore.h"
#include "core/settings/Configuration.h"
#include "core/settings/SettingsTable.h"
#include "ui/import/Form_DataMerge.h"
#include "ui/jobs/InvWork.h"
#include "ui/jobs/JobFollower.h"
#include "ui/platform/TextConversion.h"
#include "ui/settings/flexgridInputData.h"
#include "ui/shell/MainWindow.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;

struct InvWorkRoad : ::testing::Test {
    QTemporaryDir temporary;
    fs::path app = ui::toFilePath(temporary.filePath("Vexora app"));
    fs::path field = ui::toFilePath(temporary.filePath("field data"));
    fs::path sample = field / "sample.2026.data";
    ProjectStore store;
    MessageLog log;
    ScriptedQuestions questions;
    MemoryUserSettings settings;
    test::ScriptedFileDialogs dialogs;
    FixedFileSystemRoots roots{{app}};
    std::unique_ptr<ui::MDIStart> window;
    ui::InvWork* work = nullptr;

    void SetUp() override
    {
        fs::create_directories(app);
        fs::create_directories(field);
        questions.answer(QuestionId::GeometricFactorsWithZ, true);
        fs::copy_file(fs::path(VEXORA_SAMPLES_DIR) / "sample_survey.data", sample);
        vexora::testing::writeStandInProgram(app / "VORozurire.exe");
        // No launcher given: the workbench's own process start runs the stand-in.
        window = std::make_unique<ui::MDIStart>(store, log, questions, settings, dialogs,
                                                ui::ShellEnvironment{app, app / "user", nullptr, &roots});
        ui::registerInvWork(*window, store, log, questions, settings, dialogs);
        window->show();
        window->findChild<QAction*>(QStringLiteral("mnuNewDataInversion"))->trigger();
        window->LinkMenusToTreeView("DI workspace");
        work = qobject_cast<ui::InvWork*>(window->taskWindows().window(TaskWindow::InvWork));
        ASSERT_NE(work, nullptr);
    }

    void click(const char* name)
    {
        QPushButton* button = work->findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        ASSERT_TRUE(button->isEnabled()) << name;
        button->click();
    }
    bool enabled(const char* name) { return work->findChild<QPushButton*>(QString::fromLatin1(name))->isEnabled(); }
    bool logHas(const std::string& text) const { return log.plainText().find(text) != std::string::npos; }
    void load()
    {
        dialogs.queue(ui::fromFilePath(sample));
        click("cmdInputSchedFile");
        ASSERT_TRUE(store.survey.dataLoaded) << log.plainText();
    }
};

TEST_F(InvWorkRoad, LoadEditSaveAndRunInANewProjectFolder)
{
    EXPECT_EQ(work->windowTitle(), QStringLiteral("Inversion workspace"));
    EXPECT_FALSE(enabled("cmdRunInverse"));
    EXPECT_FALSE(enabled("cmdPrintScheduleandData"));
    load();
    EXPECT_TRUE(logHas("Schedule file " + sample.string() + " loaded"));
    EXPECT_TRUE(enabled("cmdRunInverse"));
    EXPECT_TRUE(work->ipInversionBox()->isEnabled());
    bool dataSetNode = false;
    for (const auto& node : window->explorerNodes()) dataSetNode = dataSetNode || node.text == "Data Set";
    EXPECT_TRUE(dataSetNode);

    // Edit the background resistivity through the grid.
    const std::optional<std::size_t> row = FindSettingRow(store.settings, Item::BackgroundResistivity);
    ASSERT_TRUE(row);
    questions.queueInput(QuestionId::SettingValue, "250");
    EXPECT_EQ(work->grid()->activateRow(static_cast<int>(*row)), Status::Ok);
    EXPECT_EQ(settingNumber(store.settings, Item::BackgroundResistivity), 250.0);

    // Save the configuration and read it back.
    const fs::path configuration = field / "edited.cnfg";
    dialogs.queue(ui::fromFilePath(configuration));
    click("cmdSaveConfiguration");
    std::string text;
    ASSERT_TRUE(readTextFile(configuration, text));
    SettingsTable readBack = defaultSettingsTable();
    MessageLog quiet;
    ASSERT_EQ(applyConfigurationText(text, readBack, quiet), ConfigurationStatus::Read);
    EXPECT_EQ(settingNumber(readBack, Item::BackgroundResistivity), 250.0);

    // Save the data with and without the configuration; both load again to the same tables.
    // Without it the sample's own #dim_grid_z would not come back: the save says so.
    const std::string lostMesh = "it will reload with other mesh settings (#dim_grid_z 0.5 -> ";
    for (bool withConfiguration : {false, true}) {
        work->includeConfigurationBox()->setChecked(withConfiguration);
        const fs::path saved = field / (withConfiguration ? "with.data" : "without.data");
        dialogs.queue(ui::fromFilePath(saved));
        const std::size_t before = log.plainText().size();
        click("cmdPrintScheduleandData");
        EXPECT_EQ(log.plainText().find(lostMesh, before) != std::string::npos, !withConfiguration)
            << log.plainText().substr(before);
        ProjectStore again;
        again.type = ProjectType::DataInversion;
        MessageLog loadLog;
        ASSERT_EQ(funInputScheduleFile(again, {saved, again.type}, loadLog, questions), LoadStatus::Loaded) << loadLog.plainText();
        EXPECT_EQ(again.survey.quadrupoles.size(), store.survey.quadrupoles.size());
        EXPECT_EQ(again.survey.electrodes.size(), store.survey.electrodes.size());
        EXPECT_NEAR(again.survey.quadrupoles.resistance[7], store.survey.quadrupoles.resistance[7],
                    1e-5 * std::abs(store.survey.quadrupoles.resistance[7]));
        EXPECT_EQ(settingNumber(again.settings, Item::BackgroundResistivity), withConfiguration ? 250.0 : 100.0);
    }

    // Run: 0 IP windows to merge, the proposed name stops at the first dot.
    work->ipInversionBox()->setChecked(true);
    questions.queueInput(QuestionId::IpWindowsToMerge, "0");
    dialogs.queue(ui::fromFilePath(field / "run one"));
    click("cmdRunInverse");
    EXPECT_EQ(dialogs.requests().back().title, QStringLiteral("Set inversion project folder"));
    EXPECT_EQ(ui::toFilePath(dialogs.requests().back().defaultName), field / "sample");
    const fs::path folder = field / "run one.VXRprj";
    EXPECT_EQ(vexora::testing::fileNames(folder), (std::vector<std::string>{"DataInput.data", "InvScript.txt"}));
    EXPECT_EQ(vexora::testing::waitForLaunchRecord(app),
              (std::vector<std::string>{app.string(), "VexoraRUR64", (folder / "InvScript.txt").string(), "INV"}));
    EXPECT_EQ(store.ipWindowsToMerge, 0);
    // "Invert IP data" makes the job model IP, which the core's inversion follows.
    EXPECT_NE(vexora::testing::fileText(folder / "DataInput.data").find("#model_ip= 1"), std::string::npos);
}

TEST_F(InvWorkRoad, TheWorkspaceLogsHowItsJobEnded)
{
    load();
    work->ipInversionBox()->setChecked(false);
    const struct {
        const char* name;
        std::string progress;  // as the core and the manager leave it
        const char* stage;
    } cases[] = {
        {"completed", "99\tSaving data\r\n100\tScript completed\r\n", "Script completed"},
        {"aborted", "40\tInversion: Iteration 3: model update\r\n40\tAborted\r\n", "Aborted"},
        {"failed", "12\tInversion: Starting model: forward model\r\n12\tFailed: killed (SIGKILL)\r\n",
         "Failed: killed (SIGKILL)"},
    };
    for (const auto& c : cases) {
        dialogs.queue(ui::fromFilePath(field / c.name));
        click("cmdRunInverse");
        const fs::path folder = field / (std::string(c.name) + ".VXRprj");
        const std::string ended = "Inversion job in " + folder.string() + " ended: " + c.stage;
        // The last line still being written is no end yet.
        ASSERT_TRUE(writeFileAtomically(folder / "Progress.txt", c.progress.substr(0, c.progress.size() - 2)));
        QTest::qWait(3 * ui::kJobFollowMilliseconds);
        EXPECT_FALSE(logHas(ended)) << c.name;
        ASSERT_TRUE(writeFileAtomically(folder / "Progress.txt", c.progress));
        EXPECT_TRUE(QTest::qWaitFor([&] { return logHas(ended); }, 5000)) << log.plainText();
    }
}

TEST_F(InvWorkRoad, RefusalsKeepWhatIsLoaded)
{
    EXPECT_NE(work->findChild<QCheckBox*>(QStringLiteral("ChkLOG")), nullptr);
    // Set defaults without data: the catalogue's values.
    ASSERT_TRUE(setSettingText(store.settings, Item::GridSizeX, "77"));
    questions.answer(QuestionId::ResetSettings, true);
    click("cmdSetDefaults");
    EXPECT_EQ(settingText(store.settings, Item::GridSizeX), settingText(defaultSettingsTable(), Item::GridSizeX));
    EXPECT_TRUE(logHas("Default settings "));

    // Missing configuration file.
    dialogs.queue(ui::fromFilePath(field / "none.cnfg"));
    click("cmdLoadConfiguration");
    ASSERT_FALSE(questions.messages().empty());
    EXPECT_EQ(questions.messages().back().text, (field / "none.cnfg").string() + " not found!");

    // A configuration without tags changes nothing.
    const SettingsTable before = store.settings;
    writeFileAtomically(field / "plain.cnfg", "nothing here\r\n");
    dialogs.queue(ui::fromFilePath(field / "plain.cnfg"));
    click("cmdLoadConfiguration");
    EXPECT_TRUE(logHas("Error: No configuration tags found."));
    EXPECT_EQ(store.settings, before);

    load();
    const std::size_t quadrupoles = store.survey.quadrupoles.size();
    const std::size_t asked = dialogs.requests().size();
    click("cmdInputSchedFile");
    EXPECT_EQ(questions.messages().back().text, "Close this Project to load a new schedule file!");
    EXPECT_EQ(dialogs.requests().size(), asked);
    EXPECT_EQ(store.survey.quadrupoles.size(), quadrupoles);

    // An existing project folder, a cancelled name, a cancelled IP question.
    fs::create_directories(field / "taken.VXRprj");
    dialogs.queue(ui::fromFilePath(field / "taken"));
    click("cmdRunInverse");
    EXPECT_EQ(questions.messages().back().title, "Create new project folder");
    EXPECT_EQ(questions.messages().back().text,
              (field / "taken.VXRprj").string() + " already exists. Please create a new project directory");
    EXPECT_TRUE(vexora::testing::fileNames(field / "taken.VXRprj").empty());
    click("cmdRunInverse");  // dialog cancelled
    work->ipInversionBox()->setChecked(true);
    click("cmdRunInverse");  // input box cancelled
    EXPECT_EQ(vexora::testing::fileNames(field),
              (std::vector<std::string>{"plain.cnfg", "sample.2026.data", "taken.VXRprj"}));
    EXPECT_FALSE(fs::exists(app / vexora::testing::kLaunchRecord));
}

TEST_F(InvWorkRoad, SavesAndShowsTheMeshOnceThereIsOne)
{
    load();
    click("cmdPrintMesh");
    EXPECT_EQ(questions.messages().back().text, "No mesh or model to save!");
    click("cmdViewMesh");
    EXPECT_EQ(questions.messages().back().text, "No mesh or model to display!");

    MeshBuildOutcome outcome;
    ASSERT_EQ(applyMeshSettings(store.settings, store.mesh, log), Status::Ok) << log.plainText();
    ASSERT_EQ(funMakeMesh(store.settings, store.survey, store.mesh, store.models, log, outcome), Status::Ok) << log.plainText();
    const fs::path mesh = field / "mesh.vwer";
    dialogs.queue(ui::fromFilePath(mesh));
    click("cmdPrintMesh");
    EXPECT_TRUE(logHas(" Inversion results file " + mesh.string() + " saved"));
    EXPECT_EQ(vexora::testing::fileText(mesh).rfind("# version_info", 0), 0u);

    const fs::path viewer = ui::toFilePath(temporary.filePath("viewer"));
    fs::create_directories(viewer);
    vexora::testing::writeStandInProgram(viewer / "VexoraViewer.exe");
    settings.setValue("Paths", "VexoraViewer.exe", viewer.string() + "/");
    click("cmdViewMesh");
    EXPECT_TRUE(fs::exists(app / "ViewMesh.vwer"));
    const std::vector<std::string> record = vexora::testing::waitForLaunchRecord(viewer);
    ASSERT_EQ(record.size(), 2u) << log.plainText();
    EXPECT_EQ(record[1], "EV_Temp.ohm");
    EXPECT_NE(vexora::testing::fileText(viewer / "EV_Temp.ohm").find("ViewMesh.vwer"), std::string::npos);

    // The viewer built beside the workbench comes first, whatever the settings say.
    vexora::testing::writeStandInProgram(app / "VexoraViewer");
    const std::size_t questionsBefore = questions.questions().size();
    click("cmdViewMesh");
    const std::vector<std::string> beside = vexora::testing::waitForLaunchRecord(app);
    ASSERT_EQ(beside.size(), 2u) << log.plainText();
    EXPECT_EQ(beside[1], "EV_Temp.ohm");
    EXPECT_EQ(questions.questions().size(), questionsBefore);
}

TEST_F(InvWorkRoad, SeveralFilesOrASequenceFileGoToTheDataMerge)
{
    const SettingsTable settingsBefore = store.settings;
    writeFileAtomically(field / "line.txt", "#ITitle= Line 1\r\n");
    // Several files: the merge window opens with them, the project untouched until Import.
    dialogs.queue(QStringList{ui::fromFilePath(sample), ui::fromFilePath(field / "line.txt")}.join(QLatin1Char('\n')));
    click("cmdInputSchedFile");
    ui::Form_DataMerge* merge = work->dataMerge();
    ASSERT_NE(merge, nullptr);
    EXPECT_EQ(merge->windowTitle(), QStringLiteral("Multiple data import"));
    ASSERT_EQ(merge->lstFiles->count(), 2);
    EXPECT_EQ(merge->lstFiles->item(0)->text(), QStringLiteral("sample.2026.data"));
    EXPECT_EQ(merge->lstFiles->item(1)->text(), QStringLiteral("Error on line.txt"));
    EXPECT_FALSE(store.survey.dataLoaded);
    EXPECT_EQ(store.settings, settingsBefore);
    EXPECT_EQ(dialogs.requests().back().title, QStringLiteral("Load multiple data files"));

    // One instrument sequence file goes there too, into the same window.
    dialogs.queue(ui::fromFilePath(field / "line.txt"));
    click("cmdInputSchedFile");
    EXPECT_EQ(work->dataMerge(), merge);
    EXPECT_EQ(merge->lstFiles->count(), 3);
    EXPECT_FALSE(store.survey.dataLoaded);
    EXPECT_FALSE(enabled("cmdRunInverse"));

    // Import: the workspace takes the merged data set and the explorer shows it.
    merge->cmdImport->click();
    ASSERT_TRUE(store.survey.dataLoaded) << log.plainText();
    EXPECT_TRUE(logHas("Files merged: "));
    EXPECT_TRUE(enabled("cmdRunInverse"));
    bool mergedNode = false;
    for (const auto& node : window->explorerNodes()) mergedNode = mergedNode || node.text == "MERGED_DATA";
    EXPECT_TRUE(mergedNode);
}

TEST_F(InvWorkRoad, AFileNamedAtStartIsLoadedInTheWorkspace)
{
    window->loadDataFile(ui::fromFilePath(sample));
    ASSERT_TRUE(store.survey.dataLoaded) << log.plainText();
    EXPECT_TRUE(logHas("Schedule file " + sample.string() + " loaded"));
    EXPECT_TRUE(enabled("cmdRunInverse"));
    // The completion derived the foreground from the electrodes; the file's own grid size won.
    double xMax = store.survey.electrodes.front().x;
    for (const Electrode& electrode : store.survey.electrodes) xMax = std::max(xMax, electrode.x);
    EXPECT_NEAR(settingNumber(store.settings, Item::ForegroundXMax), xMax, 1e-3);
    EXPECT_EQ(settingText(store.settings, Item::GridSizeX), "1.0");
    dialogs.queue(QString());  // the folder dialog proposes the loaded file's name
    click("cmdRunInverse");
    EXPECT_EQ(ui::toFilePath(dialogs.requests().back().defaultName), field / "sample");
}

TEST_F(InvWorkRoad, QuittingAsksAndYesEmptiesTheProject)
{
    window->taskWindows().registerWindow(TaskWindow::FieldData, [] { return new QWidget; });
    // The workspace's close box, then the main window's Close Project.
    for (const bool closeBox : {true, false}) {
        if (!closeBox) {
            window->mnuNewProject_Click(ProjectType::DataInversion);
            window->LinkMenusToTreeView("DI workspace");
            work = qobject_cast<ui::InvWork*>(window->taskWindows().window(TaskWindow::InvWork));
            ASSERT_NE(work, nullptr);
        }
        load();
        store.ipScale = 10;
        window->LinkMenusToTreeView("Data Set");
        ASSERT_NE(window->taskWindows().window(TaskWindow::FieldData), nullptr);
        auto* frame = qobject_cast<QMdiSubWindow*>(work->parentWidget());
        ASSERT_NE(frame, nullptr);
        const auto quit = [&] { return closeBox ? frame->close() : window->mnuCloseProject_Click(); };

        const std::size_t quadrupoles = store.survey.quadrupoles.size();
        const std::size_t asked = questions.questions().size();
        questions.setDefaultAnswer(false);
        EXPECT_FALSE(quit());
        ASSERT_EQ(questions.questions().size(), asked + 1);
        EXPECT_EQ(questions.questions().back().title, "Vexora64 - Quit Project?");
        EXPECT_EQ(questions.questions().back().text, "Do you really want to quit this Data Inversion project?");
        EXPECT_EQ(window->taskWindows().window(TaskWindow::InvWork), work);
        EXPECT_NE(window->taskWindows().window(TaskWindow::FieldData), nullptr);
        EXPECT_NE(window->explorer(), nullptr);
        EXPECT_EQ(store.survey.quadrupoles.size(), quadrupoles);
        EXPECT_EQ(store.ipScale, 10.0);

        questions.setDefaultAnswer(true);
        EXPECT_TRUE(quit()) << closeBox;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(questions.questions().size(), asked + 2);
        EXPECT_EQ(window->taskWindows().window(TaskWindow::InvWork), nullptr);
        EXPECT_EQ(window->taskWindows().window(TaskWindow::FieldData), nullptr);
        EXPECT_EQ(window->explorer(), nullptr);
        EXPECT_TRUE(window->explorerNodes().empty());
        EXPECT_EQ(window->projectType(), ProjectType::None);
        EXPECT_FALSE(store.survey.dataLoaded);
        EXPECT_FALSE(store.survey.electrodesLoaded);
        EXPECT_TRUE(store.survey.quadrupoles.rows.empty());
        EXPECT_EQ(store.survey.present, PresenceFlags{});
        EXPECT_EQ(store.ipScale, 1000.0);
    }
}

TEST_F(InvWorkRoad, BatchModeLoadsNothingAndRunsWithoutAsking)
{
    load();
    work->setBatchMode(true);
    EXPECT_EQ(work->windowTitle(), QStringLiteral("Inversion workspace - BATCH PROCESSING"));
    const std::size_t requests = dialogs.requests().size();
    const std::size_t asked = questions.questions().size();
    work->cmdInputScheduleFile_Click();
    EXPECT_TRUE(questions.messages().empty());  // not even the "Close this Project" refusal

    work->ipInversionBox()->setChecked(true);
    click("cmdRunInverse");
    EXPECT_EQ(dialogs.requests().size(), requests);
    EXPECT_EQ(questions.questions().size(), asked);
    const fs::path folder = field / "sample.VXRprj";
    EXPECT_EQ(vexora::testing::fileNames(folder), (std::vector<std::string>{"DataInput.data", "InvScript.txt"}));
    EXPECT_EQ(vexora::testing::waitForLaunchRecord(app).back(), "INV");
    EXPECT_TRUE(logHas("Inversion of " + sample.string() + " started in " + folder.string())) << log.plainText();

    work->setBatchMode(false);
    EXPECT_EQ(work->windowTitle(), QStringLiteral("Inversion workspace"));
}

TEST_F(InvWorkRoad, EveryQuitRoadAsksAndNoKeepsTheWork)
{
    load();
    store.ipScale = 10;  // an edit not saved
    const std::size_t quadrupoles = store.survey.quadrupoles.size();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const std::pair<const char*, std::function<void()>> roads[] = {
        {"File > Quit", [&] { window->findChild<QAction*>(QStringLiteral("mnuQuit"))->trigger(); }},
        {"Ctrl+Q", [&] { QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier); }},
        {"close box", [&] { window->close(); }},
    };
    questions.setDefaultAnswer(false);
    for (const auto& [road, quit] : roads) {
        const int asked = questions.timesAsked(QuestionId::QuitProgram);
        quit();
        EXPECT_EQ(questions.timesAsked(QuestionId::QuitProgram), asked + 1) << road;
        EXPECT_EQ(questions.questions().back().text, "Do you really want to quit the program?") << road;
        EXPECT_TRUE(window->isVisible()) << road;
        EXPECT_EQ(store.survey.quadrupoles.size(), quadrupoles) << road;
        EXPECT_EQ(store.ipScale, 10.0) << road;
    }
    questions.setDefaultAnswer(true);
    window->findChild<QAction*>(QStringLiteral("mnuQuit"))->trigger();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(InvWorkRoad, SetDefaultsAsksFirst)
{
    const SettingsTable defaults = defaultSettingsTable();
    const std::string defaultSize(settingText(defaults, Item::GridSizeX));
    for (const bool yes : {false, true}) {
        ASSERT_TRUE(setSettingText(store.settings, Item::GridSizeX, "77"));
        questions.answer(QuestionId::ResetSettings, yes);
        click("cmdSetDefaults");
        EXPECT_EQ(questions.questions().back().title, "Vexora64 - Set defaults?");
        EXPECT_EQ(settingText(store.settings, Item::GridSizeX), yes ? defaultSize : std::string("77"));
        EXPECT_EQ(logHas("Default settings "), yes);
    }
}

TEST_F(InvWorkRoad, ASaveTypedWithoutExtensionGetsTheFiltersOne)
{
    dialogs.queue(ui::fromFilePath(field / "walk1"));
    click("cmdSaveConfiguration");
    EXPECT_TRUE(fs::is_regular_file(field / "walk1.cnfg"));
    EXPECT_FALSE(fs::exists(field / "walk1"));

    const QString configuration = QStringLiteral("Config (*.cnfg);;Text (*.txt *.text);;All Files (*)");
    const struct {
        const char *typed, *chosenFilter, *saved;
    } cases[] = {
        {"/d/walk1", "", "/d/walk1.cnfg"},
        {"/d/walk1", "Text (*.txt *.text)", "/d/walk1.txt"},
        {"/d/walk1.dat", "", "/d/walk1.dat"},
        {"/d/run one", "All Files (*)", "/d/run one"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ui::withFilterExtension(QString::fromLatin1(c.typed), QString::fromLatin1(c.chosenFilter),
                                          configuration),
                  QString::fromLatin1(c.saved));
}

TEST_F(InvWorkRoad, APictureChosenAsDataGetsOneMessageBox)
{
    const fs::path picture = field / "site.png";
    ASSERT_TRUE(writeFileAtomically(picture, std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)));
    dialogs.queue(ui::fromFilePath(picture));
    click("cmdInputSchedFile");
    EXPECT_FALSE(store.survey.dataLoaded);
    ASSERT_EQ(questions.messages().size(), 1u);
    EXPECT_EQ(questions.messages()[0].title, "Vexora64 - Error");
    EXPECT_EQ(questions.messages()[0].text, picture.string() + " is a PNG image, not a text data file.");
    EXPECT_EQ(log.errorCount(), 1u);
    EXPECT_TRUE(recentFiles(settings).empty());

    // Chosen from the recent files, a command inside a command: still one box.
    rememberRecentFile(settings, picture);
    QMenu* menu = window->findChild<QMenu*>(QStringLiteral("mnuRecentFiles"));
    emit menu->aboutToShow();
    menu->actions()[0]->trigger();
    EXPECT_EQ(questions.messages().size(), 2u);
    EXPECT_EQ(questions.messages()[1].text, questions.messages()[0].text);
}

TEST_F(InvWorkRoad, RecentFilesHoldTheLoadedFileAndDropAMissingOne)
{
    rememberRecentFile(settings, field / "gone.data");
    load();
    EXPECT_EQ(recentFiles(settings), (std::vector<fs::path>{sample, field / "gone.data"}));
    QMenu* menu = window->findChild<QMenu*>(QStringLiteral("mnuRecentFiles"));
    ASSERT_NE(menu, nullptr);
    emit menu->aboutToShow();
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("&1 ") + ui::fromFilePath(sample));

    menu->actions()[1]->trigger();
    EXPECT_TRUE(logHas((field / "gone.data").string() + " no longer exists: removed from the recent files."));
    EXPECT_EQ(recentFiles(settings), std::vector<fs::path>{sample});
    // A project with data takes no second file.
    menu->actions()[0]->trigger();
    EXPECT_EQ(questions.messages().back().text, "Close this Project to load a new schedule file!");
}

}  // namespace
