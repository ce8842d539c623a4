#include <gtest/gtest.h>

#include <QAction>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>

#include "MainWindowFixture.h"
#include "core/io/TextFile.h"
#include "core/log/MessageLog.h"
#include "core/platform/FileSystemRoots.h"
#include "core/platform/ScriptedProcessLauncher.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/platform/UserSettings.h"
#include "core/project/ProjectStore.h"
#include "ui/log/MessageLogPanel.h"
#include "ui/platform/TextConversion.h"
#include "ui/shell/Explorer.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/frmPath.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;

// A workspace that asks before it closes, as the real ones do.
class StandInWorkspace : public QWidget {
public:
    explicit StandInWorkspace(Questions& questions) : questions_(questions) {}

protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (questions_.askYesNo({QuestionId::QuitProject, "Vexora64 - Quit Project?", "Do you want to quit this project?"}))
            event->accept();
        else event->ignore();
    }

private:
    Questions& questions_;
};

struct Shell : test::MainWindowFixture {
    void SetUp() override { openWindow(false); }

    // "group: task; task;" per top-level item of the explorer's tree.
    std::vector<std::string> shownTree() const
    {
        std::vector<std::string> lines;
        QTreeWidget* tree = window->explorer()->treeView();
        for (int g = 0; g < tree->topLevelItemCount(); ++g) {
            QTreeWidgetItem* group = tree->topLevelItem(g);
            std::string line = ui::toWindows1252(group->text(0)) + ":";
            EXPECT_TRUE(group->isExpanded()) << line;
            for (int t = 0; t < group->childCount(); ++t) line += " " + ui::toWindows1252(group->child(t)->text(0)) + ";";
            lines.push_back(line);
        }
        return lines;
    }

    void clickNode(const char* text)
    {
        QTreeWidget* tree = window->explorer()->treeView();
        const QList<QTreeWidgetItem*> found = tree->findItems(QString::fromLatin1(text), Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(found.size(), 1) << text;
        tree->scrollToItem(found[0]);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(found[0]).center());
    }

    int subWindowCount() const { return static_cast<int>(window->mdiArea()->subWindowList().size()); }
};

TEST_F(Shell, NewProjectsShowTheirTreeAndBanner)
{
    trigger("mnuNewDataInversion");
    ASSERT_NE(window->explorer(), nullptr);
    EXPECT_EQ(window->explorer()->windowTitle(), "Data Inversion");
    EXPECT_EQ(store.type, ProjectType::DataInversion);
    const std::string meshLine =
        "Mesh and Resistivity/IP Model: Make Mesh; Make Resistivity/IP Model; Export Mesh and Resistivity Model; "
        "Export Mesh and IP Model; Import Mesh and Model; Load Resistivity Model; Load IP Model; "
        "Import Resistivity/IP Model from XYZ File;";
    EXPECT_EQ(shownTree(), (std::vector<std::string>{
                               "Schedule: Import field data;",
                               "Data Quality Control: Pseudo Plots; Reciprocals Check; Cross Cable Data Plots;",
                               meshLine,
                               "Data Inversion: DI workspace; Forward solver set up; Inverse solver set up;",
                               "Sensitivity Analysis: SA workspace;",
                           }));
    const std::string rule = " " + std::string(91, '-') + " \r\n";
    EXPECT_NE(log.plainText().find(rule + " Vexora64 - 0.1.0 - Data Inversion \r\n 64-bit processing numerical core\r\n" +
                                   rule + "\r\n"),
              std::string::npos)
        << log.plainText();

    trigger("tbrNewSurveyDesign");  // the toolbar button does the same as the menu
    EXPECT_EQ(window->explorer()->windowTitle(), "Survey Design");
    EXPECT_EQ(shownTree(), (std::vector<std::string>{"Schedule: Schedule Maker;", meshLine,
                                                     "Forward Modeling: FM workspace; FM set up;",
                                                     "Sensitivity Analysis: SA workspace;"}));
    EXPECT_EQ(subWindowCount(), 1);
    EXPECT_NE(window->logPanel()->textBox()->toPlainText().indexOf(" Vexora64 - 0.1.0 - Survey Design \n"), -1);

    // Pseudo Plots is not in a survey design, nor is a data set yet: the
    // menu finds nothing.
    bool called = false;
    for (TaskWindow kind : {TaskWindow::Histogram, TaskWindow::FieldData})
        window->taskWindows().registerWindow(kind, [&] {
            called = true;
            return new QWidget;
        });
    trigger("mnuDataQualityControl");
    EXPECT_FALSE(called);
}

TEST_F(Shell, ClosingAProjectAsksItsWorkspaceFirst)
{
    window->taskWindows().registerWindow(TaskWindow::InvWork, [this] { return new StandInWorkspace(questions); });
    trigger("mnuNewDataInversion");
    window->LinkMenusToTreeView("DI workspace");
    ASSERT_NE(window->taskWindows().window(TaskWindow::InvWork), nullptr);
    store.survey.cableNames = {"A"};

    questions.setDefaultAnswer(false);
    trigger("mnuCloseProject");
    ASSERT_EQ(questions.questions().size(), 1u);
    EXPECT_EQ(questions.questions()[0].title, "Vexora64 - Quit Project?");
    EXPECT_NE(window->explorer(), nullptr);
    EXPECT_NE(window->taskWindows().window(TaskWindow::InvWork), nullptr);
    EXPECT_EQ(store.survey.cableNames.size(), 1u);

    questions.setDefaultAnswer(true);
    EXPECT_TRUE(window->mnuCloseProject_Click());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(questions.questions().size(), 2u);
    EXPECT_EQ(window->explorer(), nullptr);
    EXPECT_EQ(window->taskWindows().window(TaskWindow::InvWork), nullptr);
    EXPECT_TRUE(window->explorerNodes().empty());
    EXPECT_EQ(window->projectType(), ProjectType::None);
    EXPECT_TRUE(store.survey.cableNames.empty());
}

TEST_F(Shell, ClosingTheWindowAsksAndNoKeepsItOpen)
{
    questions.setDefaultAnswer(false);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(questions.questions().size(), 1u);
    EXPECT_EQ(questions.questions()[0].title, "Vexora64 - Quit Program?");
    EXPECT_EQ(questions.questions()[0].text, "Do you really want to quit the program?");

    questions.setDefaultAnswer(true);
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(Shell, ANodeClickShowsTheRegisteredWindowAndHidesTheOthers)
{
    int meshWindows = 0;
    std::vector<WindowMode> fieldModes;
    window->taskWindows().registerWindow(TaskWindow::MeshWork, [&] {
        ++meshWindows;
        return new QWidget;
    });
    window->taskWindows().registerWindow(
        TaskWindow::FieldData, [] { return new QWidget; },
        [&](QWidget*, WindowMode mode) { fieldModes.push_back(mode); });
    int imports = 0;
    window->registerNodeOperation(NodeOperation::ImportMesh, [&] { ++imports; });
    trigger("mnuNewDataInversion");

    trigger("mnuMakeMesh");
    QWidget* mesh = window->taskWindows().window(TaskWindow::MeshWork);
    ASSERT_NE(mesh, nullptr);
    EXPECT_TRUE(mesh->isVisible());
    EXPECT_EQ(mesh->windowTitle(), "Mesh Workspace");
    clickNode("Make Resistivity/IP Model");
    EXPECT_EQ(window->taskWindows().window(TaskWindow::MeshWork), mesh);
    EXPECT_EQ(meshWindows, 1);
    EXPECT_EQ(mesh->windowTitle(), "Resistivity and IP Model");

    clickNode("SA workspace");
    QWidget* field = window->taskWindows().window(TaskWindow::FieldData);
    ASSERT_NE(field, nullptr);
    EXPECT_TRUE(field->isVisible());
    EXPECT_FALSE(mesh->isVisible());
    EXPECT_EQ(fieldModes, (std::vector<WindowMode>{WindowMode::Sensitivity}));

    // A window nobody registered: the click says so and changes nothing.
    clickNode("Reciprocals Check");
    EXPECT_TRUE(field->isVisible());
    EXPECT_NE(log.plainText().find("Warning: TreeView1_NodeClick: Reciprocals Check: this window is not in this release."),
              std::string::npos)
        << log.plainText();
    clickNode("Import Mesh and Model");
    EXPECT_EQ(imports, 1);
    clickNode("Schedule");  // a group
    const ExplorerNodeList& nodes = window->explorerNodes();
    const auto bold = [&](const char* text) { return nodes[*findNode(nodes, text)].bold; };
    EXPECT_TRUE(bold("Make Mesh"));
    EXPECT_TRUE(bold("SA workspace"));
    EXPECT_FALSE(bold("Schedule"));
    EXPECT_FALSE(bold("DI workspace"));
    EXPECT_TRUE(window->explorer()->item(*findNode(nodes, "Make Mesh"))->font(0).bold());
}

TEST_F(Shell, TheExplorerIsRebuiltFromTheNodeListWithTheDataSet)
{
    questions.answer(QuestionId::GeometricFactorsWithZ, true);
    window->loadDataFile(VEXORA_SAMPLES_DIR "/sample_survey.data");
    EXPECT_EQ(window->projectType(), ProjectType::DataInversion);
    EXPECT_EQ(store.survey.quadrupoles.size(), 2256u);
    ASSERT_NE(window->explorerWindow(), nullptr);
    window->explorerWindow()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window->explorer(), nullptr);

    trigger("mnuViewExplorer");
    ASSERT_NE(window->explorer(), nullptr);
    EXPECT_EQ(shownTree().front(), "Schedule: Import field data; Data Set;");
    std::vector<ui::DataSetView> views;
    QObject::connect(window.get(), &ui::MDIStart::dataSetViewRequested,
                     [&](ui::DataSetView view) { views.push_back(view); });
    trigger("mnuQuadrupoles");
    EXPECT_EQ(views, (std::vector<ui::DataSetView>{ui::DataSetView::Quadrupoles}));
}

TEST_F(Shell, AClosedWorkspaceHandsTheLogBackToTheMainWindow)
{
    auto* workspace = new QWidget;
    auto* box = new ui::MessageLogPanel(log, questions, dialogs, workspace);
    window->registerLogBox(workspace, box);
    log.subWriteToTextBox("loaded in the workspace\r\n");
    EXPECT_TRUE(box->textBox()->toPlainText().contains("loaded in the workspace"));

    delete workspace;
    log.logError("cmdRunInverse_click", "after the workspace closed");
    const QString shown = window->logPanel()->textBox()->toPlainText();
    EXPECT_TRUE(shown.contains("loaded in the workspace")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("Error: cmdRunInverse_click: after the workspace closed")) << shown.toStdString();

    // A workspace that is closed but kept alive hands the log back too.
    auto* kept = new QWidget;
    auto* keptBox = new ui::MessageLogPanel(log, questions, dialogs, kept);
    window->registerLogBox(kept, keptBox);
    kept->show();
    kept->close();
    QCoreApplication::processEvents();
    log.subWriteToTextBox("after the hidden one\r\n");
    EXPECT_TRUE(window->logPanel()->textBox()->toPlainText().contains("after the hidden one"));
    EXPECT_FALSE(keptBox->textBox()->toPlainText().contains("after the hidden one"));
    delete kept;
}

TEST_F(Shell, ThePathDialogInItsThreeModes)
{
    using Mode = ui::frmPath::Mode;
    struct Case {
        Mode mode;
        const char* typed;
        const char* key;
        const char* stored;
        const char* caption;
    };
    const Case cases[] = {
        {Mode::Viewer, "/opt/viewer", "VexoraViewer.exe", "/opt/viewer/", "Set path for Viewer"},
        {Mode::Sequencer, "/opt/seq/", "VexoraSequencer.exe", "/opt/seq/", "Set path for Sequencer"},
        {Mode::Configuration, "/data/site.cnfg", "Configuration", "/data/site.cnfg",
         "Set user-defined default configuration"},
        {Mode::Configuration, "", "Configuration", "Vexora defaults", "Set user-defined default configuration"},
    };
    for (const Case& c : cases) {
        ui::frmPath dialog(c.mode, settings, questions, dialogs);
        EXPECT_EQ(dialog.windowTitle(), c.caption);
        dialog.newValueBox()->setText(QString::fromLatin1(c.typed));
        dialog.cmdOK_Click();
        EXPECT_EQ(settings.value("Paths", c.key), c.stored) << c.typed;
    }
    ui::frmPath shown(Mode::Viewer, settings, questions, dialogs);
    EXPECT_EQ(shown.currentValueBox()->text(), "/opt/viewer/");
    shown.newValueBox()->setText("/elsewhere");
    shown.cmdCancel_Click();
    EXPECT_EQ(settings.value("Paths", "VexoraViewer.exe"), "/opt/viewer/");
    EXPECT_EQ(ui::frmPath(Mode::Sequencer, settings, questions, dialogs).currentValueBox()->text(), "/opt/seq/");

    // Browse takes the program's folder; another file is refused.
    ui::frmPath browse(Mode::Viewer, settings, questions, dialogs);
    dialogs.queue("/apps/Vexora Viewer/VexoraViewer");
    browse.cmdBrowse_Click();
    EXPECT_EQ(browse.newValueBox()->text(), "/apps/Vexora Viewer/");
    dialogs.queue("/apps/other/notepad.exe");
    browse.cmdBrowse_Click();
    EXPECT_EQ(browse.newValueBox()->text(), "/apps/Vexora Viewer/");
    ASSERT_EQ(questions.messages().size(), 1u);
    EXPECT_EQ(dialogs.requests().back().filters, "exe file (*.exe);;VexoraViewer (VexoraViewer)");
}

TEST_F(Shell, ToolsStartTheirProgramsThroughTheProcessInterface)
{
    // The sequencer from the Schedule Maker node of a survey design.
    ASSERT_TRUE(writeFileAtomically(app / "VexoraSequencer.exe", "program"));
    settings.setValue("Paths", "VexoraSequencer.exe", app.string() + "/");
    trigger("mnuNewSurveyDesign");
    clickNode("Schedule Maker");
    ASSERT_EQ(launcher.requests().size(), 1u);
    EXPECT_EQ(launcher.requests()[0].program, app / "VexoraSequencer.exe");

    // A data file converted through the core.
    ASSERT_TRUE(writeFileAtomically(app / "VexoraRUR64.exe", "program"));
    const QString data = temporary.filePath("site 4.data");
    ASSERT_TRUE(writeFileAtomically(ui::toFilePath(data), "#Vexora+\r\n"));
    dialogs.queue(data);
    trigger("mnuConvertToVwer");
    EXPECT_EQ(dialogs.requests().back().title, "Load data file");
    EXPECT_EQ(test::readFile(ui::fromFilePath(app / "Temp.txt")),
              QByteArray("LOADCONFIGURATION \"") + data.toUtf8() + "\"\r\nSAVEMESH \"" +
                  temporary.filePath("site 4.vwer").toUtf8() + "\" BOUNDS BIN\r\n");
    ASSERT_EQ(launcher.requests().size(), 2u);
    EXPECT_EQ(launcher.requests()[1].arguments, (std::vector<std::string>{"RUNSCRIPT", (app / "Temp.txt").string()}));
    trigger("mnuExportFullMesh");  // cancelled dialog: nothing at all
    EXPECT_EQ(launcher.requests().size(), 2u);
    EXPECT_EQ(log.errorCount(), 0u) << log.plainText();

    // A viewer script that is not there; the viewer manager that is not there.
    dialogs.queue(temporary.filePath("gone.ohm"));
    trigger("mnuRunViewerScript");
    trigger("mnuViewerManager");
    ASSERT_EQ(questions.messages().size(), 2u);
    EXPECT_EQ(questions.messages()[0].text, ui::toWindows1252(temporary.filePath("gone.ohm")) + " not found!");
    EXPECT_EQ(questions.messages()[1].title, "Vexora64 - Warning");
    EXPECT_EQ(questions.messages()[1].text, "Vexora Viewer Manager not found!");
    EXPECT_EQ(launcher.requests().size(), 2u);
}

TEST_F(Shell, TheBackgroundColourReachesOpenAndLaterTaskWindows)
{
    window->taskWindows().registerWindow(TaskWindow::MeshWork, [] { return new QWidget; });
    window->taskWindows().registerWindow(TaskWindow::InvWork, [] { return new QWidget; });
    trigger("mnuNewDataInversion");
    trigger("mnuMakeMesh");
    dialogs.queueColour(QColor(10, 20, 30));
    trigger("mnuBackgroundOther");
    EXPECT_EQ(window->taskWindows().window(TaskWindow::MeshWork)->palette().color(QPalette::Window), QColor(10, 20, 30));
    window->LinkMenusToTreeView("DI workspace");
    EXPECT_EQ(window->taskWindows().window(TaskWindow::InvWork)->palette().color(QPalette::Window), QColor(10, 20, 30));
    trigger("mnuBackgroundOther");  // cancelled: unchanged
    trigger("mnuBackgroundWhite");
    EXPECT_EQ(window->taskBackground(), QColor(Qt::white));
}

}  // namespace
