#include <gtest/gtest.h>

#include <functional>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>

#include <QTreeWidget>

#include "GuiTestSupport.h"
#include "MainWindowFixture.h"
#include "core/io/TextFile.h"
#include "core/shell/ExternalPrograms.h"
#include "ui/shell/Explorer.h"
#include "app/cli/CommandSupport.h"
#include "core/import/GeometricFactor.h"
#include "core/platform/ScriptedQuestions.h"
#include "ui/platform/TextConversion.h"
#include "core/mesh/ViewerModelRead.h"
#include "core/platform/ScriptedProcessLauncher.h"
#include "engine/script/DesignFigures.h"
#include "ui/sequencer/SequenceComparePanel.h"
#include "ui/sequencer/SequencerWindow.h"

namespace {

using namespace vexora;

struct Sequencer : ::testing::Test {
    MessageLog log;
    ScriptedQuestions questions;
    test::ScriptedFileDialogs dialogs;
    ui::SequencerWindow window{log, questions, dialogs};
    QTemporaryDir folder;

    std::string summary() const { return ui::toWindows1252(window.summaryLabel()->text()); }
};

TEST_F(Sequencer, AGridDesignShowsItsFiguresAndSavesAFileThatLoads)
{
    // 6 x 6 grid, dipole-dipole along the rows and equatorial between them, reciprocals.
    window.layoutBox()->setCurrentIndex(ui::SequencerWindow::Grid);
    window.nxBox()->setValue(6);
    window.nyBox()->setValue(6);
    window.arrayBox(ArrayKind::Equatorial)->setChecked(true);
    window.nMaxBox()->setValue(2);
    window.channelsBox()->setValue(4);
    window.reciprocalsBox()->setChecked(true);
    window.resistivityBox()->setValue(50);
    ASSERT_EQ(window.design(), Status::Ok) << log.plainText();
    // Per row 3 + 2 dipole-dipoles, 5 equatorial per pair of neighbouring rows.
    const std::size_t normal = 6 * 5 + 5 * 5;
    EXPECT_EQ(window.currentDesign().summary.normal, normal);
    EXPECT_EQ(summary().substr(0, summary().find('\n')),
              "quadrupoles " + std::to_string(2 * normal) + " (reciprocals " + std::to_string(normal) + ")");
    EXPECT_NE(summary().find("equatorial 25"), std::string::npos) << summary();
    test::screenshot(window, "sequencer_grid");

    const QString file = folder.filePath("grid sequence.data");
    dialogs.queue(file);
    window.mnuSave_Click();
    EXPECT_EQ(dialogs.requests().back().title, "Save sequence");
    EXPECT_NE(log.plainText().find("Sequence saved: 110 quadrupoles in "), std::string::npos) << log.plainText();
    ProjectStore store;
    MessageLog loadLog;
    ASSERT_EQ(cli::loadDataFile(store, ui::toFilePath(file).string(), loadLog), Status::Ok) << loadLog.plainText();
    EXPECT_EQ(store.survey.electrodes.size(), 36u);
    ASSERT_EQ(store.survey.quadrupoles.size(), 2 * normal);
    const std::vector<double> k = funGeometricFactor(store.survey, false);
    EXPECT_NEAR(store.survey.quadrupoles.resistance[0] * k[0], 50.0, 1e-4);

    // A second save over the file asks first; No keeps the file as it was.
    const std::string before = test::readFile(file).toStdString();
    window.nMaxBox()->setValue(1);
    questions.answer(QuestionId::OverwriteFile, false);
    dialogs.queue(file);
    window.mnuSave_Click();
    EXPECT_EQ(test::readFile(file).toStdString(), before);
    EXPECT_EQ(log.errorCount(), 0u) << log.plainText();
}

TEST_F(Sequencer, RefusedChoicesAreLoggedAndClearThePreview)
{
    struct Case {
        const char* message;
        std::function<void(ui::SequencerWindow&)> change;
    };
    const Case cases[] = {
        {"Choose one or more arrays.", [](ui::SequencerWindow& w) { w.arrayBox(ArrayKind::DipoleDipole)->setChecked(false); }},
        {"Dipole lengths a 3 to 2: 1 <= a min <= a max is needed.",
         [](ui::SequencerWindow& w) { w.aMinBox()->setValue(3), w.aMaxBox()->setValue(2); }},
        {"Equatorial and cross-line arrays need two or more lines of electrodes.",
         [](ui::SequencerWindow& w) { w.arrayBox(ArrayKind::CrossLine)->setChecked(true); }},
        {"A layout of 3 electrodes: between 4 and 100000 are designed.",
         [](ui::SequencerWindow& w) { w.electrodesPerCableBox()->setValue(3); }},
        {"Load the electrodes of a data file first.",
         [](ui::SequencerWindow& w) { w.layoutBox()->setCurrentIndex(ui::SequencerWindow::FileElectrodes); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        ui::SequencerWindow fresh(log, questions, dialogs);
        ASSERT_EQ(fresh.design(), Status::Ok);
        c.change(fresh);
        EXPECT_EQ(fresh.design(), Status::Error);
        EXPECT_EQ(log.lastError(), c.message);
        EXPECT_FALSE(fresh.hasDesign());
        EXPECT_EQ(ui::toWindows1252(fresh.summaryLabel()->text()), "No sequence: see the message log.");
        // Save designs first: nothing is asked, nothing written.
        const std::size_t asked = dialogs.requests().size();
        fresh.mnuSave_Click();
        EXPECT_EQ(dialogs.requests().size(), asked);
    }
}

TEST_F(Sequencer, TheElectrodesOfADataFileBecomeTheLayout)
{
    dialogs.queue(QString::fromUtf8(VEXORA_SAMPLES_DIR) + "/sample_survey.data");
    window.arrayBox(ArrayKind::Equatorial)->setChecked(true);
    window.mnuLoadElectrodes_Click();
    EXPECT_EQ(window.layoutBox()->currentIndex(), ui::SequencerWindow::FileElectrodes);
    ASSERT_TRUE(window.hasDesign()) << log.plainText();
    // 4 cables of 24: dipole-dipole n 1..6 on each, 23 equatorial per neighbouring pair.
    EXPECT_EQ(window.currentDesign().layout.electrodes.size(), 96u);
    EXPECT_EQ(window.currentDesign().summary.normal, 4u * 111 + 3 * 23);
    test::screenshot(window, "sequencer_file");
    // A cancelled dialog changes nothing.
    window.mnuLoadElectrodes_Click();
    EXPECT_EQ(window.currentDesign().layout.electrodes.size(), 96u);
}

}  // namespace

namespace {

using namespace vexora;

// Dipole-dipole to n = 2 kept as sequence 1, to n = 5 with the equatorial
// array as sequence 2, on one 6 x 6 grid, figured by the real sensitivity
// job and resolution estimate; then the figures open in the viewer.
TEST_F(Sequencer, ComparesTwoSequencesOnOneLayoutSideBySide)
{
    ScriptedProcessLauncher launcher;
    ui::SequenceComparePanel& panel = *window.comparePanel();
    panel.setComparer(compareSequenceFiles);
    const std::filesystem::path app = ui::toFilePath(folder.path());
    ASSERT_TRUE(writeFileAtomically(app / programFileNames(kViewerProgram).back(), "program"));
    panel.setViewerStart(&launcher, app);

    // Nothing kept, nothing compared: said, and nothing shown or started.
    EXPECT_EQ(panel.compare(), Status::Error);
    EXPECT_NE(log.plainText().find("Keep a sequence as sequence 1 first, then design the second one."),
              std::string::npos);
    panel.showInViewer(1);
    EXPECT_NE(log.plainText().find("Compare the sequences first: the viewer shows their figures."), std::string::npos);
    EXPECT_EQ(panel.table()->rowCount(), 0);
    EXPECT_TRUE(launcher.requests().empty());

    window.layoutBox()->setCurrentIndex(ui::SequencerWindow::Grid);
    window.nMaxBox()->setValue(2);
    panel.keep();
    const SequenceSummary first = window.currentDesign().summary;
    window.nMaxBox()->setValue(5);
    window.arrayBox(ArrayKind::Equatorial)->setChecked(true);
    panel.targetTopBox()->setValue(1);
    panel.targetBottomBox()->setValue(3);
    ASSERT_EQ(panel.compare(), Status::Ok) << log.plainText();
    const SequenceSummary second = window.currentDesign().summary;
    ASSERT_EQ(panel.table()->rowCount(), 8);
    const auto cell = [&](int r, int c) { return ui::toWindows1252(panel.table()->item(r, c)->text()); };
    EXPECT_EQ(cell(0, 0), "Quadrupoles");
    EXPECT_EQ(cell(0, 1), std::to_string(first.quadrupoles));
    EXPECT_EQ(cell(0, 2), std::to_string(second.quadrupoles));
    EXPECT_EQ(cell(1, 2), std::to_string(second.injections));
    EXPECT_EQ(cell(6, 0), "Mean resolution at 1.00 to 3.00 m");
    // The larger set sees and resolves the target more.
    EXPECT_GT(std::stod(cell(5, 2)), std::stod(cell(5, 1)));
    EXPECT_GT(std::stod(cell(6, 2)), std::stod(cell(6, 1)));
    const std::string verdict = ui::toWindows1252(panel.verdictLabel()->text());
    EXPECT_EQ(verdict.rfind("Sequence 2 sees the target better: mean resolution ", 0), 0u) << verdict;
    test::screenshot(window, "sequencer_compare");

    // Each viewer file holds the sensitivity and a resolution of 0..1 give
    // or take the probes' error (ModelResolution.h).
    for (int k : {1, 2}) {
        std::string bytes, why;
        ASSERT_TRUE(readTextFile(panel.viewerFile(k), bytes));
        ViewerModel model;
        ASSERT_EQ(readViewerModel(bytes, model, why), ViewerReadStatus::Read) << why;
        ASSERT_NE(model.quantity("Sensitivity"), nullptr);
        const std::vector<double>* resolution = model.quantity("Resolution");
        ASSERT_NE(resolution, nullptr);
        for (double v : *resolution) ASSERT_TRUE(v > -0.25 && v < 1.25) << v;
    }
    panel.showInViewer(2);
    ASSERT_EQ(launcher.requests().size(), 1u);
    EXPECT_EQ(launcher.requests()[0].arguments,
              (std::vector<std::string>{panel.viewerFile(2).string(), "--quantity", "Resolution"}));

    // Another layout is refused by the computation; the table stays.
    window.nxBox()->setValue(5);
    EXPECT_EQ(panel.compare(), Status::Error);
    EXPECT_NE(log.plainText().find("The two sequences stand on different electrodes"), std::string::npos);
    EXPECT_EQ(panel.table()->rowCount(), 8);
}

struct ScheduleMaker : vexora::test::MainWindowFixture {};

// The sequencer built beside the workbench starts from there: no stored
// folder, no question, no search.
TEST_F(ScheduleMaker, StartsTheSequencerBesideTheWorkbench)
{
    openWindow(false);
    const std::filesystem::path program = app / programFileNames("VexoraSequencer.exe").back();
    ASSERT_TRUE(writeFileAtomically(program, "program"));
    trigger("mnuNewSurveyDesign");
    QTreeWidget* tree = window->explorer()->treeView();
    const QList<QTreeWidgetItem*> found = tree->findItems("Schedule Maker", Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1);
    tree->scrollToItem(found[0]);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(found[0]).center());
    ASSERT_EQ(launcher.requests().size(), 1u);
    EXPECT_EQ(launcher.requests()[0].program, program);
    EXPECT_TRUE(questions.messages().empty());
    EXPECT_EQ(storedProgramFolder(settings, "VexoraSequencer.exe"), "None");
}

}  // namespace
