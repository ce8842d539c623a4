#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QGroupBox>
#include <QTableView>
#include <QTreeWidget>
#include <QTest>
#include <QTreeWidget>

#include "../core/ImportTestSupport.h"
#include "MainWindowFixture.h"
#include "core/log/MessageLog.h"
#include "core/platform/FileSystemRoots.h"
#include "core/platform/ScriptedProcessLauncher.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/platform/UserSettings.h"
#include "core/project/ProjectStore.h"
#include "core/shell/ExplorerTree.h"
#include "ui/Workbench.h"
#include "ui/fielddata/ImportSyscal.h"
#include "ui/import/Form_FileOpen.h"
#include "ui/platform/TextConversion.h"
#include "ui/qc/Reciprocals.h"
#include "ui/qc/PseudoPlots.h"
#include "ui/qc/PseudosectionPage.h"
#include "ui/qc/frmPlots.h"
#include "ui/shell/Explorer.h"
#include "ui/shell/HelpWindow.h"
#include "ui/shell/MainWindow.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;

// The main window as the application builds it, over scripted platform
// services: no dialog blocks and no program starts.
struct ExplorerNodes : test::MainWindowFixture {
    void SetUp() override
    {
        questions.answer(QuestionId::GeometricFactorsWithZ, true);
        questions.answer(QuestionId::QuitProject, true);  // a new project ends the open one
        openWindow(true);
    }

    void clickNode(const std::string& text)
    {
        QTreeWidget* tree = window->explorer()->treeView();
        const QList<QTreeWidgetItem*> found =
            tree->findItems(ui::toQString(text), Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(found.size(), 1) << text;
        tree->scrollToItem(found[0]);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(found[0]).center());
    }

    void loadSample()
    {
        window->loadDataFile(VEXORA_SAMPLES_DIR "/sample_survey.data");
        ASSERT_EQ(store.survey.quadrupoles.size(), 2256u) << log.plainText();
    }

    QWidget* shown(TaskWindow kind) const
    {
        QWidget* w = window->taskWindows().window(kind);
        return w && w->isVisible() ? w : nullptr;
    }

    // The log as it grows from here.
    std::size_t logMark() const { return log.plainText().size(); }
    std::string loggedSince(std::size_t mark) const { return log.plainText().substr(mark); }
};

std::string notInRelease(const std::string& node)
{
    return "D\r\nWarning: TreeView1_NodeClick: " + node + ": this window is not in this release.\r\n\r\n";
}

// What a click on a node answers with.
enum class Answer {
    Group,         // a group only opens and closes: nothing happens, nothing is said
    Window,        // a task window becomes visible
    Question,      // a question is put to the user
    FileDialog,    // an open dialog asks for the file (cancelled here: nothing more)
    NotInRelease,  // exactly the one log line
};

struct NodeCase {
    const char* node;
    Answer answer;
    TaskWindow window = TaskWindow::FieldData;
    const char* dialogTitle = nullptr;  // when not the node's text
};

// Every node of both trees, and "Data Set", clicked in tree order on a
// project with the sample survey loaded: none is silent.
TEST_F(ExplorerNodes, EveryNodeAnswers)
{
    using A = Answer;
    const std::vector<NodeCase> meshNodes = {
        {"Mesh and Resistivity/IP Model", A::Group},
        {"Make Mesh", A::Window, TaskWindow::MeshWork},
        {"Make Resistivity/IP Model", A::Window, TaskWindow::MeshWork},
        // No mesh made yet: the export says so.
        {"Export Mesh and Resistivity Model", A::Question},
        {"Export Mesh and IP Model", A::Question},
        {"Import Mesh and Model", A::FileDialog},
        {"Load Resistivity Model", A::FileDialog},
        {"Load IP Model", A::FileDialog},
        {"Import Resistivity/IP Model from XYZ File", A::FileDialog, TaskWindow::FieldData, "Import XYZ-RHO/IP file"},
        {"Sensitivity Analysis", A::Group},
        {"SA workspace", A::Window, TaskWindow::FieldData},
        {"Data Set", A::Window, TaskWindow::FieldData},
    };
    struct ProjectCase {
        ProjectType type;
        const char* newProject;
        std::vector<NodeCase> nodes;
    };
    std::vector<ProjectCase> projects = {
        {ProjectType::DataInversion,
         "mnuNewDataInversion",
         {
             {"Schedule", A::Group},
             {"Import field data", A::Window, TaskWindow::BinImport},
             {"Data Quality Control", A::Group},
             {"Pseudo Plots", A::Window, TaskWindow::Histogram},
             {"Reciprocals Check", A::Window, TaskWindow::ReciprocalCheck},
             {"Cross Cable Data Plots", A::Window, TaskWindow::CrossCableMaps},
             {"Data Inversion", A::Group},
             {"DI workspace", A::Window, TaskWindow::InvWork},
             {"Forward solver set up", A::Window, TaskWindow::ForwardSolverSetup},
             {"Inverse solver set up", A::Window, TaskWindow::InverseSolverSetup},
         }},
        {ProjectType::SurveyDesign,
         "mnuNewSurveyDesign",
         {
             {"Schedule", A::Group},
             // No sequencer path stored: the search is offered (and declined).
             {"Schedule Maker", A::Question},
             {"Forward Modeling", A::Group},
             {"FM workspace", A::Window, TaskWindow::ForwardWork},
             {"FM set up", A::Window, TaskWindow::ForwardSolverSetup},
         }},
    };
    for (ProjectCase& project : projects) {
        project.nodes.insert(project.nodes.end(), meshNodes.begin(), meshNodes.end());
        SCOPED_TRACE(std::string(projectTypeCaption(project.type)));
        trigger(project.newProject);
        if (project.type == ProjectType::DataInversion) loadSample();
        else window->addDataSetNode();  // as a loaded data set adds it

        ExplorerNodeList clicked = explorerTree(project.type);
        addDataSetNode(clicked);
        for (const ExplorerNode& node : clicked) {
            SCOPED_TRACE(node.text);
            const auto expected = std::find_if(project.nodes.begin(), project.nodes.end(),
                                               [&](const NodeCase& c) { return node.text == c.node; });
            ASSERT_NE(expected, project.nodes.end()) << "no expectation for the node";
            const std::size_t mark = logMark();
            const std::size_t asked = questions.questions().size() + questions.messages().size();
            const std::size_t dialogsBefore = dialogs.requests().size();
            clickNode(node.text);
            const std::string logged = loggedSince(mark);
            const std::size_t newQuestions = questions.questions().size() + questions.messages().size() - asked;
            const std::size_t newDialogs = dialogs.requests().size() - dialogsBefore;
            switch (expected->answer) {
            case A::Group:
                EXPECT_EQ(logged, "");
                EXPECT_EQ(newQuestions, 0u);
                break;
            case A::Window:
                EXPECT_NE(shown(expected->window), nullptr);
                EXPECT_EQ(logged.find("not in this release"), std::string::npos) << logged;
                break;
            case A::Question:
                EXPECT_EQ(newQuestions, 1u);
                EXPECT_EQ(logged, "");
                break;
            case A::FileDialog:
                EXPECT_EQ(newDialogs, 1u);
                EXPECT_EQ(dialogs.requests().back().title,
                          expected->dialogTitle ? QString::fromLatin1(expected->dialogTitle) : ui::toQString(node.text));
                EXPECT_EQ(logged, "");
                break;
            case A::NotInRelease: EXPECT_EQ(logged, notInRelease(node.text)); break;
            }
        }
    }
    EXPECT_TRUE(launcher.requests().empty());
}

// The menu commands that mirror nodes answer as their nodes do.
TEST_F(ExplorerNodes, MenusAnswerAsTheirNodes)
{
    trigger("mnuNewDataInversion");
    loadSample();
    struct MenuCase {
        const char* menu;
        TaskWindow window;
        const char* notInReleaseNode;  // null: the window opens
    };
    const MenuCase cases[] = {
        {"mnuImportFieldData", TaskWindow::BinImport, nullptr},
        {"mnuDataQualityControl", TaskWindow::Histogram, nullptr},
        {"mnuMakeMesh", TaskWindow::MeshWork, nullptr},
        {"mnuElectrodes", TaskWindow::FieldData, nullptr},
    };
    for (const MenuCase& c : cases) {
        SCOPED_TRACE(c.menu);
        const std::size_t mark = logMark();
        trigger(c.menu);
        if (c.notInReleaseNode) EXPECT_EQ(loggedSince(mark), notInRelease(c.notInReleaseNode));
        else EXPECT_NE(shown(c.window), nullptr);
    }
    trigger("mnuImportXyz");
    ASSERT_FALSE(dialogs.requests().empty());
    EXPECT_EQ(dialogs.requests().back().title, QStringLiteral("Import XYZ-RHO/IP file"));
}

// The quality-control and import windows open from their nodes on the
// sample survey and show it.
TEST_F(ExplorerNodes, QualityControlAndImportWindowsOpenOnTheSampleSurvey)
{
    trigger("mnuNewDataInversion");

    // Nothing loaded: the histogram has nothing to draw and says so; the
    // reciprocal check opens waiting for data.
    std::size_t mark = logMark();
    clickNode("Pseudo Plots");
    EXPECT_EQ(window->taskWindows().window(TaskWindow::Histogram), nullptr);
    EXPECT_NE(loggedSince(mark).find("Error: histogramValues: No V/I values loaded."), std::string::npos)
        << loggedSince(mark);
    clickNode("Reciprocals Check");
    auto* reciprocals = qobject_cast<ui::Reciprocals*>(shown(TaskWindow::ReciprocalCheck));
    ASSERT_NE(reciprocals, nullptr);
    EXPECT_FALSE(reciprocals->calculated());

    loadSample();
    std::size_t inUse = 0;
    for (int skip : store.survey.quadrupoles.skip) inUse += skip == 0;

    clickNode("Pseudo Plots");
    auto* pseudo = qobject_cast<ui::PseudoPlots*>(shown(TaskWindow::Histogram));
    ASSERT_NE(pseudo, nullptr);
    // One pseudosection per cable of the sample with every datum in use
    // that lies on one cable.
    ui::PseudosectionPage* sections = pseudo->sections();
    ASSERT_EQ(sections->panels().size(), 4u);
    std::size_t drawn = 0, onOneCable = 0;
    for (const PseudosectionPanel& panel : sections->panels()) drawn += panel.points.size();
    for (std::size_t k = 0; k < store.survey.quadrupoles.size(); ++k) {
        const Quadrupole& q = store.survey.quadrupoles.rows[k];
        onOneCable += store.survey.quadrupoles.skip[k] == 0 &&
                      std::all_of(q.pole, q.pole + 4, [&](const ElectrodeRef& e) { return e.cable == q.pole[0].cable; });
    }
    EXPECT_EQ(drawn, onOneCable);
    EXPECT_GT(drawn, inUse * 9 / 10);
    sections->cboCable->setCurrentText("L2");
    ASSERT_EQ(sections->panels().size(), 1u);
    EXPECT_EQ(sections->panels()[0].cable, "L2");
    const QTemporaryDir pictures;
    const QString picture = pictures.filePath("l2.png");
    dialogs.queue(picture);
    sections->cmdSaveImage->click();
    EXPECT_FALSE(QImage(picture).isNull());
    mark = logMark();
    sections->cboQuantity->setCurrentIndex(sections->cboQuantity->findData("misfit"));
    EXPECT_TRUE(sections->panels().empty());
    EXPECT_FALSE(sections->cmdSaveImage->isEnabled());
    EXPECT_NE(loggedSince(mark).find("The data hold no calculated V/I"), std::string::npos) << loggedSince(mark);

    // F1 (Help) in the window opens the help at its section.
    sections->cboQuantity->setFocus();
    trigger("mnuHelp");
    auto* help = window->findChild<ui::HelpWindow*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->contents->topLevelItemCount(), 4);  // the README and the three documents
    EXPECT_EQ(help->page->textCursor().block().text(), "Data quality: reciprocals, histograms and pseudosections");
    help->txtSearch->setText("pseudo-depth Edwards");
    ASSERT_GE(help->contents->topLevelItemCount(), 1);
    EXPECT_TRUE(help->contents->topLevelItem(0)->text(0).startsWith("Data quality"));
    help->close();

    auto* plots = pseudo->histogram();
    EXPECT_EQ(plots->windowTitle(), "V/I data histogram");
    EXPECT_EQ(plots->model().stats.count, inUse);
    EXPECT_GT(plots->model().binCount, 1);
    EXPECT_FALSE(plots->cmdApply->isEnabled());  // the removal is the field data window's

    // Shown again on loaded data, the check calculates at once.
    clickNode("Reciprocals Check");
    EXPECT_EQ(shown(TaskWindow::ReciprocalCheck), reciprocals);
    EXPECT_FALSE(pseudo->isVisible());
    ASSERT_TRUE(reciprocals->calculated()) << log.plainText();
    EXPECT_TRUE(store.reciprocals.calculated);
    EXPECT_EQ(reciprocals->result().pairs, 1128u);
    EXPECT_TRUE(reciprocals->txtStatistics->toPlainText().contains("2256 of 2256"));

    // The binary import reads its file; the loaded survey stays as it was.
    const fs::path folder = vexora::testing::scratchFolder("explorer-import");
    const fs::path bin = vexora::testing::writeScratch(
        folder, "line.bin", vexora::testing::binFile({vexora::testing::dipole(0), vexora::testing::dipole(1)}));
    clickNode("Import field data");
    auto* import = qobject_cast<ui::Form_FileOpen*>(shown(TaskWindow::BinImport));
    ASSERT_NE(import, nullptr);
    EXPECT_TRUE(reciprocals->isVisible());  // a dialog hides nothing
    EXPECT_EQ(import->windowTitle(), "IRIS Syscal Bin file import");
    dialogs.queue(ui::fromFilePath(bin));
    import->cmdSelectBin_Click();
    mark = logMark();
    import->cmdOK_Click();
    EXPECT_FALSE(import->isVisible());
    EXPECT_EQ(import->result(), QDialog::Accepted);
    const std::string logged = loggedSince(mark);
    EXPECT_NE(logged.find(bin.string() + ": 2 records"), std::string::npos) << logged;
    // The field data window shows what was read, not yet accepted.
    auto* fieldData = qobject_cast<ui::ImportSyscal*>(shown(TaskWindow::FieldData));
    ASSERT_NE(fieldData, nullptr);
    EXPECT_TRUE(fieldData->fraTemp->isVisible());
    EXPECT_EQ(fieldData->grdTempQuad->model()->rowCount(), 2);
    EXPECT_EQ(store.survey.quadrupoles.size(), 2256u);
    fs::remove_all(folder);
}

}  // namespace
