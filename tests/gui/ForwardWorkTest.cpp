// The Survey Design road: the forward workspace, the solver set-up dialogs,
// and a forward job run by the real core whose modelled data come back.

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "GuiTestSupport.h"
#include "core/JobTestSupport.h"
#include "core/import/GeometricFactor.h"
#include "core/io/TextFile.h"
#include "core/jobs/ForwardWorkspace.h"
#include "core/platform/FileSystemRoots.h"
#include "core/platform/ScriptedProcessLauncher.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/platform/UserSettings.h"
#include "core/settings/SettingsTable.h"
#include "support/SmallSurvey.h"
#include "ui/Workbench.h"
#include "ui/jobs/ForwardSetUp.h"
#include "ui/jobs/ForwardWork.h"
#include "ui/jobs/InverseSetUp.h"
#include "ui/platform/TextConversion.h"
#include "ui/settings/flexgridInputData.h"
#include "ui/shell/MainWindow.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;

// A 6 x 6 grid of electrodes 2 m apart, one cable per line, with the
// dipole-dipole quadrupoles (a = 1, n = 1 to 3) of each line, and a 5 ohm m
// block under the first two lines' first electrodes in 100 ohm m ground.
std::string gridSurvey()
{
    std::string text =
        "#Vexora+\r\n#elec_no_cable= 1\r\n#elec_cable_col= 1\r\n#elec_id_col= 2\r\n#elec_x_col= 3\r\n"
        "#elec_y_col= 4\r\n#elec_z_col= 5\r\n#elec_elev_col= -1\r\n#elec_type_col= -1\r\n"
        "#data_id_col= 1\r\n#data_a_cable_col= 2\r\n#data_a_elec_col= 3\r\n#data_b_cable_col= 4\r\n"
        "#data_b_elec_col= 5\r\n#data_m_cable_col= 6\r\n#data_m_elec_col= 7\r\n#data_n_cable_col= 8\r\n"
        "#data_n_elec_col= 9\r\n#data_res_col= 10\r\n#data_ip_wind_col= -1\r\n#data_i_curr_col= -1\r\n"
        "#data_skip_col= -1\r\n#data_std_res_col= -1\r\n#data_std_ip_col= -1\r\n#data_appres= 1\r\n"
        "#background_res= 100\r\n#res_anomaly= -1 5 -1 3 -3 0.5 5\r\n#elec_start\r\n";
    for (int line = 1; line <= 6; ++line)
        for (int e = 1; e <= 6; ++e)
            text += "L" + std::to_string(line) + " " + std::to_string(e) + " " + std::to_string(2 * (e - 1)) + " " +
                    std::to_string(2 * (line - 1)) + " 0\r\n";
    text += "#elec_end\r\n#data_start\r\n";
    int id = 0;
    for (int line = 1; line <= 6; ++line)
        for (int n = 1; n <= 3; ++n)
            for (int a = 1; a + 2 + n <= 6; ++a) {
                const std::string c = "L" + std::to_string(line);
                text += std::to_string(++id) + " " + c + " " + std::to_string(a) + " " + c + " " +
                        std::to_string(a + 1) + " " + c + " " + std::to_string(a + 1 + n) + " " + c + " " +
                        std::to_string(a + 2 + n) + " 100\r\n";
            }
    return text + "#data_end\r\n";
}

struct ForwardRoad : ::testing::Test {
    QTemporaryDir temporary;
    fs::path field = ui::toFilePath(temporary.filePath("design"));
    ProjectStore store;
    MessageLog log;
    ScriptedQuestions questions;
    MemoryUserSettings settings;
    test::ScriptedFileDialogs dialogs;
    ScriptedProcessLauncher launcher;
    FixedFileSystemRoots roots{{field}};
    std::unique_ptr<ui::MDIStart> window;
    ui::ForwardWork* work = nullptr;

    // `app` empty: a scripted launcher starts nothing.
    void open(const fs::path& app = {})
    {
        fs::create_directories(field);
        const fs::path folder = app.empty() ? field / "app" : app;
        fs::create_directories(folder);
        window = std::make_unique<ui::MDIStart>(store, log, questions, settings, dialogs,
                                                ui::ShellEnvironment{folder, field / "user",
                                                                     app.empty() ? &launcher : nullptr, &roots});
        ui::plugInWorkbench(*window, store, log, questions, settings, dialogs);
        questions.answer(QuestionId::QuitProject, true);  // a new project closes the open one
        window->show();
        window->findChild<QAction*>(QStringLiteral("mnuNewSurveyDesign"))->trigger();
        window->LinkMenusToTreeView("FM workspace");
        work = qobject_cast<ui::ForwardWork*>(window->taskWindows().window(TaskWindow::ForwardWork));
        ASSERT_NE(work, nullptr) << log.plainText();
    }
    void SetUp() override {}

    QPushButton* button(const char* name) { return work->findChild<QPushButton*>(QString::fromLatin1(name)); }
    void click(const char* name)
    {
        ASSERT_NE(button(name), nullptr) << name;
        ASSERT_TRUE(button(name)->isEnabled()) << name;
        button(name)->click();
    }
    bool logHas(const std::string& text) const { return log.plainText().find(text) != std::string::npos; }
    fs::path write(const char* name, const std::string& text)
    {
        const fs::path file = field / name;
        EXPECT_TRUE(writeFileAtomically(file, text));
        return file;
    }
};

TEST_F(ForwardRoad, TheNodesOfBothProjectTypesOpenTheWorkspaceAndTheDialogs)
{
    open();
    EXPECT_EQ(work->windowTitle(), QStringLiteral("Forward modelling workspace"));
    window->LinkMenusToTreeView("FM set up");
    EXPECT_NE(qobject_cast<ui::ForwardSetUp*>(window->taskWindows().window(TaskWindow::ForwardSolverSetup)), nullptr);
    window->findChild<QAction*>(QStringLiteral("mnuNewDataInversion"))->trigger();
    window->LinkMenusToTreeView("Forward solver set up");
    EXPECT_NE(window->taskWindows().window(TaskWindow::ForwardSolverSetup), nullptr);
    window->LinkMenusToTreeView("Inverse solver set up");
    EXPECT_NE(qobject_cast<ui::InverseSetUp*>(window->taskWindows().window(TaskWindow::InverseSolverSetup)), nullptr);
    EXPECT_FALSE(logHas("not in this release")) << log.plainText();
}

TEST_F(ForwardRoad, TheForwardDialogShowsTheSettingsAndRefusesABadOmega)
{
    open();
    ASSERT_TRUE(setSettingText(store.settings, Item::BoundaryConditions, "0 2 0 2 0"));
    window->LinkMenusToTreeView("FM set up");
    auto* dialog = qobject_cast<ui::ForwardSetUp*>(window->taskWindows().window(TaskWindow::ForwardSolverSetup));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->edit(Item::SsorOmega)->text(), QStringLiteral("1.6"));
    EXPECT_TRUE(dialog->edgeOption(1, 2)->isChecked());
    // No Mixed edge: the virtual source does not matter.
    EXPECT_FALSE(dialog->virtualSourceFrame()->isEnabled());
    dialog->edgeOption(4, 1)->click();
    EXPECT_TRUE(dialog->virtualSourceFrame()->isEnabled());
    EXPECT_FALSE(dialog->virtualCoordinate(0)->isEnabled());
    dialog->userDefinedSource()->click();
    EXPECT_TRUE(dialog->virtualCoordinate(2)->isEnabled());

    dialog->edit(Item::SsorOmega)->setText(QStringLiteral("2.5"));
    dialog->applyButton()->click();
    ASSERT_FALSE(questions.messages().empty());
    EXPECT_EQ(questions.messages().back().title, "Vexora64 - Error");
    EXPECT_EQ(questions.messages().back().text, "Only positive <2 values allowed for Omega!");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(settingText(store.settings, Item::SsorOmega), " 1.6 ");

    dialog->edit(Item::SsorOmega)->setText(QStringLiteral("2"));
    dialog->check(Item::SkipTxWithoutRx)->setChecked(true);
    dialog->applyButton()->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(settingText(store.settings, Item::SsorOmega), "2");
    EXPECT_EQ(settingText(store.settings, Item::SkipTxWithoutRx), "1");
    EXPECT_EQ(settingText(store.settings, Item::BoundaryConditions), "0 2 0 2 1");
}

TEST_F(ForwardRoad, TheInverseDialogKeepsWhatWasWrittenBeforeARefusal)
{
    open();
    window->findChild<QAction*>(QStringLiteral("mnuNewDataInversion"))->trigger();
    window->LinkMenusToTreeView("Inverse solver set up");
    auto* dialog = qobject_cast<ui::InverseSetUp*>(window->taskWindows().window(TaskWindow::InverseSolverSetup));
    ASSERT_NE(dialog, nullptr);
    dialog->edit(Item::MaxIterationsRho)->setText(QStringLiteral("0"));
    dialog->edit(Item::InitialRoughIp)->setText(QStringLiteral("3"));
    dialog->edit(Item::XRoughWeight)->setText(QStringLiteral("abc"));
    dialog->edit(Item::ZRoughWeight)->setText(QStringLiteral("4"));
    dialog->applyButton()->click();
    ASSERT_FALSE(questions.messages().empty());
    EXPECT_EQ(questions.messages().back().text, "Only positive values allowed for Roughness X Weights!");
    EXPECT_EQ(settingText(store.settings, Item::MaxIterationsRho), "0");
    EXPECT_EQ(settingText(store.settings, Item::InitialRoughIp), "3");
    EXPECT_EQ(settingText(store.settings, Item::ZRoughWeight), " 0.1");
    EXPECT_TRUE(dialog->isVisible());
    // Cancel writes nothing.
    dialog->edit(Item::XRoughWeight)->setText(QStringLiteral("2"));
    dialog->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
    EXPECT_EQ(settingText(store.settings, Item::ZRoughWeight), " 0.1");
}

TEST_F(ForwardRoad, SaveAsksForTheModelledColumnAndAddsTheNoiseOfTheSeed)
{
    open();
    const std::string rows = "1 A 1 A 2 A 3 A 4 0.5 10 5 100 0 0.6\r\n"
                             "2 B 1 B 2 B 3 B 4 0.25 12 6 200 0 0.3\r\n";
    const fs::path schedule = write("modelled.data", vexora::testing::smallSurvey(rows, "#data_calc_res_col= 15\r\n"));
    work->loadSchedule(schedule);
    ASSERT_TRUE(store.survey.present.calcResistance) << log.plainText();
    EXPECT_TRUE(logHas("Schedule file " + schedule.string() + " loaded"));
    EXPECT_TRUE(button("cmdRunForward")->isEnabled());
    const std::vector<double> before = store.survey.quadrupoles.calcResistance;

    // The column of the modelled data is unset: 0 is refused, the item stays.
    ASSERT_TRUE(setSettingText(store.settings, Item::CalcResistanceColumn, "-1"));
    questions.answer(QuestionId::SetModelledDataColumns, true);
    questions.queueInput(QuestionId::ModelledDataColumn, "0");
    dialogs.queue(ui::fromFilePath(field / "plain.data"));
    click("cmdPrintScheduleandData");
    ASSERT_FALSE(questions.messages().empty());
    EXPECT_EQ(questions.messages().back().text,
              "Not a valid column number: only positive (or -1 if not used) values allowed!");
    EXPECT_EQ(settingText(store.settings, Item::CalcResistanceColumn), "-1");
    EXPECT_EQ(store.survey.quadrupoles.calcResistance, before);
    EXPECT_FALSE(logHas("Noise added."));

    questions.queueInput(QuestionId::ModelledDataColumn, "16");
    work->percentBox()->setText(QStringLiteral("10"));
    work->seedBox()->setText(QStringLiteral("4242"));
    dialogs.queue(ui::fromFilePath(field / "noisy.data"));
    click("cmdPrintScheduleandData");
    EXPECT_EQ(settingText(store.settings, Item::CalcResistanceColumn), "16");
    EXPECT_TRUE(logHas("Noise added.\r\nNoise of the save " + (field / "noisy.data").string() +
                       ": standard deviation 2 % of each calculated resistance, constant 0 ohm, seed 4242"))
        << log.plainText();
    EXPECT_TRUE(logHas("Schedule file " + (field / "noisy.data").string() + " saved."));
    QuadrupoleTable expected;
    expected.calcResistance = before;
    MessageLog quiet;
    (void)addModelledNoise(expected, {10, 0, 4242}, "", quiet);
    EXPECT_EQ(store.survey.quadrupoles.calcResistance, expected.calcResistance);

    // A second load is refused while the project holds its schedule.
    click("cmdInputSchedFile");
    EXPECT_EQ(questions.messages().back().text, "Close this Project to load a new schedule file!");
}

TEST_F(ForwardRoad, TheNodeCountTurnsRedAboveItsLimitAndTheRunNeedsANewFolder)
{
    open();
    EXPECT_TRUE(work->meshSizeLabel()->text().contains(QStringLiteral("Blocks in Z: ")));
    work->loadSchedule(write("grid.data", gridSurvey()));
    ASSERT_TRUE(store.survey.dataLoaded) << log.plainText();
    EXPECT_FALSE(work->meshSizeLabel()->styleSheet().contains(QStringLiteral("red")));
    ASSERT_TRUE(setSettingText(store.settings, Item::GridSizeX, "0.05"));
    ASSERT_TRUE(setSettingText(store.settings, Item::GridSizeY, "0.05"));
    emit work->grid()->settingsEdited();  // as an edit in the grid tells the workspace
    EXPECT_TRUE(work->meshSizeLabel()->styleSheet().contains(QStringLiteral("red")))
        << work->meshSizeLabel()->text().toStdString();

    fs::create_directories(field / "taken.VXRprj");
    dialogs.queue(ui::fromFilePath(field / "taken"));
    click("cmdRunForward");
    EXPECT_EQ(questions.messages().back().title, "Create new project folder");
    EXPECT_EQ(dialogs.requests().back().title, QStringLiteral("Set FW modeling project folder"));
    EXPECT_EQ(dialogs.requests().back().defaultName, ui::fromFilePath(field / "grid"));
    EXPECT_TRUE(launcher.requests().empty());
}

#ifdef VEXORA_APP_DIR
// The whole road with the real core: the designed survey with its anomaly
// runs through the manager program, the modelled data come back with one
// command, and the quadrupoles over the anomaly see it.
TEST_F(ForwardRoad, AForwardJobThroughTheManagerBringsTheAnomalyIntoTheData)
{
    open(fs::path(VEXORA_APP_DIR));
    work->loadSchedule(write("grid.data", gridSurvey()));
    ASSERT_TRUE(store.survey.dataLoaded) << log.plainText();
    ASSERT_TRUE(setSettingText(store.settings, Item::CpuThreads, "2"));
    dialogs.queue(ui::fromFilePath(field / "grid"));
    {
        // Started without a display, the manager prints the progress and ends
        // with the job instead of keeping its window open.
        const QByteArray display = qgetenv("DISPLAY"), wayland = qgetenv("WAYLAND_DISPLAY"),
                         platform = qgetenv("QT_QPA_PLATFORM");
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) qunsetenv(name);
        click("cmdRunForward");
        const auto restore = [](const char* name, const QByteArray& value) {
            if (!value.isNull()) qputenv(name, value);
        };
        restore("DISPLAY", display);
        restore("WAYLAND_DISPLAY", wayland);
        restore("QT_QPA_PLATFORM", platform);
    }
    ASSERT_TRUE(fs::exists(field / "grid.VXRprj" / "FWScript.txt")) << log.plainText();
    QTRY_VERIFY_WITH_TIMEOUT(!work->modelledDataFile().empty(), 60000);
    EXPECT_TRUE(logHas("Forward job in " + (field / "grid.VXRprj").string() + " ended: Script completed"))
        << log.plainText();
    EXPECT_TRUE(logHas("\"Load modelled data\" loads them."));

    click("cmdLoadModelledData");
    ASSERT_TRUE(store.survey.present.calcResistance) << log.plainText();
    ASSERT_EQ(store.survey.quadrupoles.size(), 36u);
    EXPECT_TRUE(logHas(" 36 calculated resistances."));
    const std::vector<double> factor = funGeometricFactor(store.survey, false);
    double near = 0, far = 0;
    for (std::size_t k = 0; k < factor.size(); ++k) {
        const double apparent = store.survey.quadrupoles.calcResistance[k] * factor[k];
        const std::string cable = store.survey.cableNames[static_cast<std::size_t>(
            store.survey.quadrupoles.rows[k].pole[A].cable - 1)];
        if (cable == "L1" || cable == "L2") near += apparent / 12;
        if (cable == "L5" || cable == "L6") {
            far += apparent / 12;
            EXPECT_NEAR(apparent, 100, 20) << k;
        }
    }
    EXPECT_LT(near, 0.8 * far) << near << " " << far;

    click("cmdViewData");
    EXPECT_NE(window->taskWindows().window(TaskWindow::Histogram), nullptr) << log.plainText();
}
#endif

}  // namespace
