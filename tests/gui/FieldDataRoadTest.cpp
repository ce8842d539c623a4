// The field data window on a real instrument file: imported through the
// explorer's "Import field data", accepted onto a new cable and then onto an
// existing one, filtered with undo and reset, sorted through its pop-up
// menu, and saved; its electrode grid edited through the prompts; and the
// survey-design sensitivity job started from it.

#include <algorithm>
#include <cmath>
#include <filesystem>

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>

#include "MainWindowFixture.h"
#include "core/JobTestSupport.h"
#include "core/datafile/ScheduleLoader.h"
#include "core/fielddata/AcceptImport.h"
#include "core/fielddata/ElectrodeEdits.h"
#include "core/fielddata/Removal.h"
#include "core/import/GeometricFactor.h"
#include "core/import/ImportDriver.h"
#include "core/io/TextFile.h"
#include "core/settings/SettingsTable.h"
#include "ui/fielddata/FieldDataModels.h"
#include "ui/fielddata/ImportSyscal.h"
#include "ui/fielddata/SurveyView3DPanel.h"
#include "ui/import/Form_FileOpen.h"
#include "ui/jobs/ForwardWork.h"
#include "ui/platform/PngFile.h"
#include "ui/qc/frmPlots.h"
#include "support/RealData.h"
#include "support/SmallSurvey.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;

const fs::path kRealBin = vexora::testing::realDataFolder() /
                          "syscal_bin/reda/07_tdip/data_syscal_ip/data_normal.bin";

struct FieldDataRoad : test::MainWindowFixture {
    void SetUp() override
    {
        if (!fs::exists(kRealBin)) GTEST_SKIP() << "no real instrument file";
        questions.answer(QuestionId::QuitProject, true);
        openWindow(true);
        trigger("mnuNewDataInversion");
    }
    ui::ImportSyscal* fieldWindow() const
    {
        return qobject_cast<ui::ImportSyscal*>(window->taskWindows().window(TaskWindow::FieldData));
    }
    // "Import field data" with the binary file chosen in its dialog.
    ui::ImportSyscal* importReal()
    {
        window->LinkMenusToTreeView("Import field data");
        auto* dialog = qobject_cast<ui::Form_FileOpen*>(window->taskWindows().window(TaskWindow::BinImport));
        EXPECT_NE(dialog, nullptr);
        if (!dialog) return nullptr;
        dialogs.queue(ui::fromFilePath(kRealBin));
        dialog->cmdSelectBin_Click();
        dialog->cmdOK_Click();
        return fieldWindow();
    }
    // The real file imported and accepted onto a new cable "Line A".
    ui::ImportSyscal* acceptReal()
    {
        ui::ImportSyscal* w = importReal();
        if (!w) return nullptr;
        w->txtCableName->setText("Line A");
        w->cmdImportData->click();
        return w;
    }
    // With VEXORA_SCREENSHOTS set, the main window as the user sees it.
    void shot(const char* name)
    {
        const QByteArray folder = qgetenv("VEXORA_SCREENSHOTS");
        if (folder.isEmpty()) return;
        QTest::qWait(100);
        std::string why;
        EXPECT_TRUE(ui::writePngFile(window->grab().toImage(), folder.toStdString() + "/" + name + ".png", why))
            << why;
    }
    std::string removedText() const { return fieldWindow()->lblRemoved->text().toStdString(); }
};

TEST_F(FieldDataRoad, ImportAcceptFilterUndoSortAndSave)
{
    ui::ImportSyscal* w = importReal();
    ASSERT_NE(w, nullptr) << log.plainText();
    ASSERT_TRUE(w->fraTemp->isVisible());
    const int imported = w->grdTempQuad->model()->rowCount();
    ASSERT_GT(imported, 100);
    EXPECT_EQ(store.survey.quadrupoles.size(), 0u);  // nothing accepted yet
    shot("fielddata_temporary");

    w->txtCableName->setText("Line A");
    w->cmdImportData->click();
    ASSERT_FALSE(w->fraTemp->isVisible()) << log.plainText();
    EXPECT_EQ(store.survey.cableNames.front(), "Line_A");
    ASSERT_EQ(store.survey.quadrupoles.size(), static_cast<std::size_t>(imported));
    EXPECT_EQ(w->grdQuad->model()->rowCount(), imported);
    EXPECT_EQ(w->cboIpWindow->count(), static_cast<int>(store.survey.quadrupoles.ipWindows()));

    // "Rho" "<" 0, then V > 0 as a second step; Undo keeps the first.
    w->cboQuantity->setCurrentText("Rho");
    w->cboOperator->setCurrentText("<");
    w->txtThreshold->setText("0");
    w->cmdRemoveData->click();
    const std::vector<std::int16_t> afterRho = store.survey.quadrupoles.skip;
    const RemovalCounters first = removalCounters(store.survey.quadrupoles);
    w->cboQuantity->setCurrentText("abs(V)");
    w->cboOperator->setCurrentText(">");
    w->txtThreshold->setText("100");
    w->cmdRemoveData->click();
    const RemovalCounters second = removalCounters(store.survey.quadrupoles);
    EXPECT_GT(second.removed, first.removed);
    EXPECT_EQ(removedText(), second.totalText());
    w->cmdUndo->click();
    EXPECT_EQ(store.survey.quadrupoles.skip, afterRho);
    EXPECT_EQ(removedText(), first.totalText());
    shot("fielddata_filtered");
    w->tabViews->setCurrentWidget(w->view3D);
    w->view3D->setTurn({-60, 0, 30});
    w->view3D->setProjection(ViewProjection::Perspective);
    EXPECT_DOUBLE_EQ(w->view3D->turn().theta, -60);
    // Every kept measurement of the real file has a place below its electrodes.
    std::size_t placed = 0;
    for (std::size_t row = 0; row < store.survey.quadrupoles.size(); ++row)
        placed += w->view3D->pixelOfMeasurement(row).has_value();
    const RemovalCounters now = removalCounters(store.survey.quadrupoles);
    EXPECT_EQ(placed, now.total - now.removed);
    shot("fielddata_3d");
    w->tabViews->setCurrentWidget(w->grdQuad);

    // Reciprocal rules without the check: the message, nothing removed.
    w->optNoRec->setChecked(true);
    w->cmdRemoveData->click();
    EXPECT_EQ(store.survey.quadrupoles.skip, afterRho);
    ASSERT_FALSE(questions.messages().empty());
    EXPECT_EQ(questions.messages().back().text, "Reciprocals calculation needed.");

    // Reset after two filters.
    w->optMeas->setChecked(true);
    w->cmdRemoveData->click();
    w->cmdSkipReset->click();
    EXPECT_EQ(removedText(), "Total removed: 0");
    EXPECT_EQ(w->lblPercent->text().toStdString(), "% removed: 0");
    EXPECT_EQ(w->cboQuantity->currentText(), "V");

    // The pop-up menu: decreasing by Rho puts the largest first.
    QMenu* menu = w->quadOperationsMenu();
    ASSERT_EQ(menu->title(), "&QuadOperations");
    w->funSortMeasurements(ColRho, false, false);
    const FieldDataRefs refs{store.survey, store.reciprocals, w->values()};
    EXPECT_GE(quadValue(refs, ColRho, 0, 0, {}), quadValue(refs, ColRho, 1, 0, {}));
    ui::frmPlots* plots = w->funPlotStatistics(ColRho);
    ASSERT_NE(plots, nullptr);
    EXPECT_EQ(plots->model().values.size(), store.survey.quadrupoles.size());
    EXPECT_EQ(w->funPlotStatistics(ColA), nullptr);
    plots->close();

    // Save with and without the removed quadrupoles; both read back.
    w->cboQuantity->setCurrentText("Rho");
    w->cboOperator->setCurrentText("<");
    w->cmdRemoveData->click();
    const RemovalCounters removed = removalCounters(store.survey.quadrupoles);
    for (const bool omit : {false, true}) {
        const QString path = temporary.filePath(omit ? "kept.data" : "all.data");
        w->chkRemoveSkipped->setChecked(omit);
        dialogs.queue(path);
        w->cmdSaveData->click();
        std::string text;
        ASSERT_TRUE(readTextFile(ui::toFilePath(path), text)) << log.plainText();
        ProjectStore back;
        MessageLog backLog;
        ScriptedQuestions backQuestions;
        ASSERT_EQ(loadScheduleText(back, text, {ui::toFilePath(path), ProjectType::DataInversion, false}, backLog,
                                   backQuestions),
                  LoadStatus::Loaded)
            << backLog.plainText();
        EXPECT_EQ(back.survey.quadrupoles.size(),
                  omit ? store.survey.quadrupoles.size() - removed.removed : store.survey.quadrupoles.size());
    }
    const QString xyz = temporary.filePath("current.xyz");
    dialogs.queue(xyz);
    w->cmdSaveXyz->click();
    const QByteArray map = test::readFile(xyz);
    EXPECT_TRUE(map.startsWith("X(m)\tY(m)\tI(mA)\r\n"));
    EXPECT_EQ(map.count("\r\n"), static_cast<qsizetype>(store.survey.quadrupoles.size() - removed.removed + 1));

    // A second import: a new cable named like the first in other letter
    // case is refused, the existing cable holds the same numbers, a new name works.
    const std::size_t before = store.survey.quadrupoles.size();
    ASSERT_EQ(importReal(), w);
    w->txtCableName->setText("line_a");
    w->cmdImportData->click();
    EXPECT_EQ(questions.messages().back().text, "Existing cable name!");
    EXPECT_EQ(store.survey.quadrupoles.size(), before);
    w->optUseCable->setChecked(true);
    w->cboUseCable->setCurrentIndex(0);
    w->cmdImportData->click();
    EXPECT_EQ(questions.messages().back().text, "Can't use this cable!");
    w->optNewCable->setChecked(true);
    w->txtCableName->setText("Line B");
    w->cmdImportData->click();
    EXPECT_EQ(store.survey.quadrupoles.size(), 2 * before);
    EXPECT_EQ(store.survey.cableNames.back(), "Line_B");
    shot("fielddata_two_cables");
}

// The accept and "Remove duplicates" work beside the project off the window
// thread and change it only when they end Ok: the accept gives the core's
// tables, a refused accept and a declined replacement leave every table as
// it was.
TEST_F(FieldDataRoad, AcceptAndDuplicatesChangeTheTablesOnlyWhenOk)
{
    ui::ImportSyscal* w = acceptReal();
    ASSERT_NE(w, nullptr) << log.plainText();
    ASSERT_GE(store.survey.electrodes.size(), 2u) << log.plainText();
    {
        // The same tables as the core accept of the same file gives.
        ImportSet set;
        ImportGrids grids;
        MessageLog coreLog;
        BinImportOptions options;
        options.binFile = kRealBin;
        ASSERT_EQ(funImportBinFile(options, set, grids, coreLog), ImportStatus::Ok) << coreLog.plainText();
        ProjectStore core;
        FieldDataValues coreValues;
        ASSERT_EQ(acceptImportInto(set, grids, {true, "Line A", 0}, core, coreValues, coreLog), AcceptStatus::Ok);
        EXPECT_EQ(store.survey.cableNames, core.survey.cableNames);
        EXPECT_EQ(store.survey.electrodes, core.survey.electrodes);
        EXPECT_EQ(store.survey.quadrupoles, core.survey.quadrupoles);
        EXPECT_EQ(store.settings, core.settings);
        EXPECT_EQ(store.mesh.lines, core.mesh.lines);
        EXPECT_EQ(w->values().voltage, coreValues.voltage);
        EXPECT_EQ(w->values().q, coreValues.q);
    }
    // Electrode 2 put where electrode 1 is: one duplicated pair.
    store.survey.electrodes[1].x = store.survey.electrodes[0].x;
    store.survey.electrodes[1].y = store.survey.electrodes[0].y;
    store.survey.electrodes[1].z = store.survey.electrodes[0].z;
    const ProjectStore before = store;
    const FieldDataValues values = w->values();
    const auto sameNumbers = [](const std::vector<double>& a, const std::vector<double>& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                          [](double x, double y) { return x == y || (std::isnan(x) && std::isnan(y)); });
    };
    const auto unchanged = [&](const char* what) {
        EXPECT_EQ(store.survey.cableNames, before.survey.cableNames) << what;
        EXPECT_EQ(store.survey.electrodes, before.survey.electrodes) << what;
        EXPECT_EQ(store.survey.quadrupoles, before.survey.quadrupoles) << what;
        EXPECT_EQ(store.settings, before.settings) << what;
        EXPECT_EQ(store.mesh.lines, before.mesh.lines) << what;
        EXPECT_EQ(w->values().voltage, values.voltage) << what;
        EXPECT_TRUE(sameNumbers(w->values().factor, values.factor)) << what;
    };

    // A second import under a name a data file cannot hold: logged, the
    // temporary grids kept for another try.
    ASSERT_EQ(importReal(), w);
    w->txtCableName->setText("a#b");
    w->cmdImportData->click();
    EXPECT_NE(log.plainText().find("Invalid cable name \"a#b\""), std::string::npos) << log.plainText();
    EXPECT_TRUE(w->fraTemp->isVisible());
    unchanged("invalid cable name");
    w->cmdCancel->click();

    // The pair found, its replacement declined.
    w->txtToler->setText("0.001");
    questions.answer(QuestionId::ReplaceDuplicateElectrodes, false);
    w->cmdRemoveDuplicates->click();
    ASSERT_EQ(questions.timesAsked(QuestionId::ReplaceDuplicateElectrodes), 1);
    EXPECT_NE(questions.questions().back().text.find("1] Elect. Line_A, "), std::string::npos)
        << questions.questions().back().text;
    unchanged("replacement declined");

    // Accepted: one electrode fewer, the rows kept, factors of the new geometry.
    questions.answer(QuestionId::ReplaceDuplicateElectrodes, true);
    w->cmdRemoveDuplicates->click();
    EXPECT_EQ(store.survey.electrodes.size(), before.survey.electrodes.size() - 1);
    EXPECT_EQ(store.survey.quadrupoles.size(), before.survey.quadrupoles.size());
    EXPECT_EQ(w->grdElectrodes->model()->rowCount(), static_cast<int>(store.survey.electrodes.size()));
    EXPECT_TRUE(sameNumbers(w->values().factor, funGeometricFactor(store.survey, false)));
    EXPECT_NE(log.plainText().find("Duplicated electrodes removed. " + std::to_string(store.survey.electrodes.size()) +
                                   " total electrodes."),
              std::string::npos);
}

// The electrode grid's prompts on the real file's electrodes: each reached
// by a double click on its column's header or from the grid's menu, a bad
// answer refused with its message and the table as it was.
TEST_F(FieldDataRoad, ElectrodeGridPromptsEditTheSelectedElectrodes)
{
    ui::ImportSyscal* w = acceptReal();
    ASSERT_NE(w, nullptr) << log.plainText();
    ASSERT_GE(store.survey.electrodes.size(), 4u) << log.plainText();
    w->tabViews->setCurrentWidget(w->grdElectrodes);
    QHeaderView* header = w->grdElectrodes->horizontalHeader();
    const auto selectRows = [&](int first, int last) {
        w->grdElectrodes->clearSelection();
        for (int r = first; r <= last; ++r)
            w->grdElectrodes->selectionModel()->select(w->grdElectrodes->model()->index(r, 0),
                                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    };
    const std::vector<Electrode> original = store.survey.electrodes;

    // x of the first four from 10 by 2.5; a wrong answer changes nothing.
    selectRows(0, 3);
    questions.queueInput(QuestionId::ElectrodeValues, "10; 2.5");
    emit header->sectionDoubleClicked(2);
    for (std::size_t k = 0; k < 4; ++k) EXPECT_DOUBLE_EQ(store.survey.electrodes[k].x, 10 + 2.5 * k);
    EXPECT_EQ(store.survey.electrodes[4].x, original[4].x);
    EXPECT_EQ(w->grdElectrodes->model()->index(1, 2).data().toString(), "12.5");
    EXPECT_EQ(questions.questions().back().title, "Modify X coordinates");
    EXPECT_EQ(questions.questions().back().text, "Insert STARTING X coordinate and STEP (ex. 0; 1)");
    const std::vector<Electrode> afterX = store.survey.electrodes;
    questions.queueInput(QuestionId::ElectrodeValues, "10 2.5");
    emit header->sectionDoubleClicked(4);
    EXPECT_EQ(questions.messages().back().text, std::string(kInvalidStartAndStep));
    EXPECT_EQ(store.survey.electrodes, afterX);

    // Terrain: a common value, then interpolated between the profile's ends.
    selectRows(0, 0);
    questions.queueInput(QuestionId::ElectrodeValues, "4");
    emit header->sectionDoubleClicked(5);
    EXPECT_EQ(store.survey.electrodes[0].elevation, 4);
    selectRows(0, 3);
    QAction* interpolate = nullptr;
    for (QAction* a : w->electrodeMenu()->actions())
        if (a->text() == "Interpolate terrain elevation") interpolate = a;
    ASSERT_NE(interpolate, nullptr);
    interpolate->trigger();
    const double z2 = store.survey.electrodes[3].elevation;
    EXPECT_NE(questions.messages().back().text.find("Limits of interpolation: Z1 = 4m - Z2 = "), std::string::npos)
        << questions.messages().back().text;
    EXPECT_NEAR(store.survey.electrodes[1].elevation, 4 + (z2 - 4) / 3, 1e-9);

    // Type, remote flag and the cable's name.
    questions.queueInput(QuestionId::ElectrodeValues, "1");
    emit header->sectionDoubleClicked(6);
    EXPECT_EQ(std::abs(store.survey.electrodes[2].type), 1);
    EXPECT_EQ(w->grdElectrodes->model()->index(2, 6).data().toString(), "Borehole");
    questions.queueInput(QuestionId::ElectrodeValues, "5");
    emit header->sectionDoubleClicked(6);
    EXPECT_EQ(questions.messages().back().text, std::string(kInvalidElectrodeType));
    store.survey.electrodes[2].type = -1;
    questions.answer(QuestionId::ConfirmSettingChange, true);
    emit header->sectionDoubleClicked(7);
    EXPECT_EQ(store.survey.electrodes[2].type, 1);
    questions.queueInput(QuestionId::NewCableName, "North line");
    emit header->sectionDoubleClicked(0);
    EXPECT_EQ(store.survey.cableNames.front(), "North_line");
    EXPECT_EQ(w->cboCable->itemText(1), "North_line");
    EXPECT_EQ(w->grdElectrodes->model()->index(0, 0).data().toString(), "North_line");
    shot("fielddata_electrodes_edited");
}

// The survey-design workspace's "SENSITIVITY ANALISYS": a bad ID refused,
// then quadrupole 2 absolute in a new ".VXRprj" folder through the one job
// road (scripted start), and the same folder refused again.
struct SensitivityRoad : test::MainWindowFixture {
    fs::path data() const { return ui::toFilePath(temporary.filePath("small.data")); }
    ui::ImportSyscal* openDesign()
    {
        questions.answer(QuestionId::QuitProject, true);
        EXPECT_TRUE(writeFileAtomically(data(), vexora::testing::smallSurvey()));
        trigger("mnuNewSurveyDesign");
        window->LinkMenusToTreeView("FM workspace");
        auto* work = qobject_cast<ui::ForwardWork*>(window->taskWindows().window(TaskWindow::ForwardWork));
        EXPECT_NE(work, nullptr);
        if (!work) return nullptr;
        work->loadSchedule(data());
        EXPECT_TRUE(store.survey.dataLoaded) << log.plainText();
        window->LinkMenusToTreeView("SA workspace");
        return qobject_cast<ui::ImportSyscal*>(window->taskWindows().window(TaskWindow::FieldData));
    }
};

TEST_F(SensitivityRoad, AQuadrupoleSensitivityJobInANewProjectFolder)
{
    openWindow(true);
    vexora::testing::writeStandInProgram(app / "VORozurire.exe");  // never run: the launcher is scripted
    ui::ImportSyscal* w = openDesign();
    ASSERT_NE(w, nullptr) << log.plainText();
    EXPECT_EQ(w->windowTitle(), "Survey design");
    ASSERT_TRUE(w->fraSensitivity->isVisibleTo(w));
    EXPECT_EQ(w->fraSensitivity->title(), "SENSITIVITY ANALISYS");

    w->txtSensQuad->setText("9");
    w->cmdSensitivity->click();
    EXPECT_EQ(questions.messages().back().text, "Quadrupole 9 is not in the table.");
    EXPECT_TRUE(dialogs.requests().empty());

    w->txtSensQuad->setText("2");
    w->chkSensAbs->setChecked(true);
    const fs::path chosen = ui::toFilePath(temporary.filePath("sens run"));
    dialogs.queue(ui::fromFilePath(chosen));
    w->cmdSensitivity->click();
    ASSERT_FALSE(dialogs.requests().empty());
    EXPECT_EQ(dialogs.requests().back().title, "Set sensitivity project folder");
    const fs::path folder = fs::path(chosen.string() + ".VXRprj");
    std::string info;
    ASSERT_TRUE(readTextFile(folder / "SensInfo.json", info)) << log.plainText();
    EXPECT_NE(info.find("\"Sensitivity_Quad_ID\": [2],"), std::string::npos) << info;
    EXPECT_NE(info.find("\"Sensitivity_Abs\": true"), std::string::npos) << info;
    EXPECT_TRUE(fs::exists(folder / "SensScript.txt"));
    std::string input;
    ASSERT_TRUE(readTextFile(folder / "DataInput.data", input));
    ASSERT_EQ(launcher.requests().size(), 1u);
    EXPECT_EQ(launcher.requests().back().arguments.back(), "SENS");

    dialogs.queue(ui::fromFilePath(chosen));
    w->cmdSensitivity->click();
    EXPECT_EQ(questions.messages().back().title, "Create new project folder");
    EXPECT_EQ(questions.messages().back().text, folder.string() + " already exists. Please create a new project directory");
    EXPECT_EQ(launcher.requests().size(), 1u);
}

#ifdef VEXORA_APP_DIR
// The whole road with the real core: the sensitivity of every quadrupole is
// computed by the manager program and the job's end names the model.
TEST_F(SensitivityRoad, AllQuadrupolesThroughTheRealCoreLeaveTheSensitivityModel)
{
    fs::create_directories(app);
    window = std::make_unique<ui::MDIStart>(
        store, log, questions, settings, dialogs,
        ui::ShellEnvironment{fs::path(VEXORA_APP_DIR), ui::toFilePath(temporary.filePath("user")), nullptr, &roots});
    ui::plugInWorkbench(*window, store, log, questions, settings, dialogs);
    window->show();
    ui::ImportSyscal* w = openDesign();
    ASSERT_NE(w, nullptr) << log.plainText();
    ASSERT_TRUE(setSettingText(store.settings, Item::CpuThreads, "2"));
    w->chkSensAll->setChecked(true);
    const fs::path chosen = ui::toFilePath(temporary.filePath("all"));
    dialogs.queue(ui::fromFilePath(chosen));
    {
        // Started without a display, the manager ends with the job.
        const QByteArray display = qgetenv("DISPLAY"), wayland = qgetenv("WAYLAND_DISPLAY"),
                         platform = qgetenv("QT_QPA_PLATFORM");
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) qunsetenv(name);
        w->cmdSensitivity->click();
        for (const auto& [name, value] : {std::pair{"DISPLAY", display}, std::pair{"WAYLAND_DISPLAY", wayland},
                                          std::pair{"QT_QPA_PLATFORM", platform}})
            if (!value.isNull()) qputenv(name, value);
    }
    const fs::path folder = fs::path(chosen.string() + ".VXRprj");
    ASSERT_TRUE(fs::exists(folder / "SensScript.txt")) << log.plainText();
    QTRY_VERIFY_WITH_TIMEOUT(log.plainText().find("Sensitivity job in " + folder.string() + " ended") !=
                                 std::string::npos,
                             60000);
    EXPECT_NE(log.plainText().find("ended: Script completed"), std::string::npos) << log.plainText();
    EXPECT_NE(log.plainText().find("Sensitivity model in " + (folder / "SensModelOutput.vwer").string() + "."),
              std::string::npos)
        << log.plainText();
    std::string model;
    ASSERT_TRUE(readTextFile(folder / "SensModelOutput.vwer", model));
    EXPECT_NE(model.find("Sensitivity"), std::string::npos);
}
#endif

}  // namespace
