#include <QCheckBox>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>

#include "MainWindowFixture.h"
#include "core/JobTestSupport.h"
#include "ui/jobs/InvWork.h"
#include "ui/settings/flexgridInputData.h"
#include "ui/shell/HelpWindow.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;

struct WindowHabits : test::MainWindowFixture {
    ui::InvWork* openWorkspace()
    {
        trigger("mnuNewDataInversion");
        window->LinkMenusToTreeView("DI workspace");
        return qobject_cast<ui::InvWork*>(window->taskWindows().window(TaskWindow::InvWork));
    }
    static QMdiSubWindow* frameOf(QWidget* w) { return qobject_cast<QMdiSubWindow*>(w->parentWidget()); }
    QSplitter* splitter(ui::InvWork* work) { return work->findChild<QSplitter*>(QStringLiteral("splitWork")); }
    QString sample() const { return QString::fromUtf8(VEXORA_SAMPLES_DIR) + QStringLiteral("/sample_survey.data"); }
};

TEST_F(WindowHabits, PlacesComeBackAfterARestart)
{
    openWindow(true);
    window->setGeometry(40, 50, 760, 540);
    ui::InvWork* work = openWorkspace();
    ASSERT_NE(work, nullptr);
    frameOf(work)->setGeometry(30, 10, 420, 200);
    QTest::qWait(0);
    splitter(work)->setSizes({150, 40});
    emit splitter(work)->splitterMoved(150, 1);  // as a drag reports it
    const QRect mainPlace = window->geometry();
    const QRect workPlace = frameOf(work)->geometry();
    const QList<int> sizes = splitter(work)->sizes();

    window.reset();  // the restart: only the per-user settings remain
    openWindow(true);
    QTest::qWait(0);
    EXPECT_EQ(window->geometry(), mainPlace);
    work = openWorkspace();
    ASSERT_NE(work, nullptr);
    EXPECT_EQ(frameOf(work)->geometry(), workPlace);
    EXPECT_EQ(splitter(work)->sizes(), sizes);
    EXPECT_FALSE(splitter(work)->isCollapsible(0));  // a restored state keeps the commands
}

TEST_F(WindowHabits, SubWindowsFollowTheMainWindowAndTheWindowMenuArrangesThem)
{
    openWindow(true);
    window->resize(760, 540);
    QTest::qWait(0);
    ui::InvWork* work = openWorkspace();
    ASSERT_NE(work, nullptr);
    QMdiSubWindow* frame = frameOf(work);
    QMdiArea* area = window->mdiArea();
    frame->setGeometry(area->viewport()->width() / 2, 0, area->viewport()->width() / 2, area->viewport()->height());
    window->resize(window->width() - 100, window->height() - 60);
    QTest::qWait(0);
    EXPECT_NEAR(frame->geometry().right(), area->viewport()->width() - 1, 2);
    EXPECT_NEAR(frame->geometry().bottom(), area->viewport()->height() - 1, 2);
    EXPECT_NEAR(frame->x(), area->viewport()->width() / 2, 2);
    // Many small steps and back: the window is where it was, not a pixel off.
    const QRect before = frame->geometry();
    for (int step : {-3, 3})
        for (int i = 0; i < 30; ++i) {
            window->resize(window->width() + step, window->height() + step);
            QTest::qWait(0);
        }
    EXPECT_EQ(frame->geometry(), before);

    trigger("mnuTile");
    const QRect explorer = window->explorerWindow()->geometry();
    EXPECT_FALSE(explorer.intersects(frame->geometry()));
    EXPECT_EQ(explorer.height(), frame->height());
    trigger("mnuCascade");
    EXPECT_NE(explorer.topLeft(), window->explorerWindow()->geometry().topLeft());
    EXPECT_NE(frame->pos(), window->explorerWindow()->pos());

    // The list holds every open window; an entry activates its window.
    auto* menu = window->findChild<QAction*>(QStringLiteral("mnuWindow"))->menu();
    window->fillWindowList(menu);
    QStringList entries;
    for (QAction* action : menu->actions())
        if (action->objectName().startsWith(QStringLiteral("mnuWindow"))) entries << action->text();
    EXPECT_EQ(entries, (QStringList{"&1 Data Inversion", "&2 Inversion workspace"}));
    trigger("mnuWindow1");
    EXPECT_EQ(area->activeSubWindow(), window->explorerWindow());
    window->fillWindowList(menu);  // built afresh: still two entries
    trigger("mnuWindow2");
    EXPECT_EQ(area->activeSubWindow(), frame);
}

TEST_F(WindowHabits, KeysReachTheirCommands)
{
    openWindow(true);
    vexora::testing::writeStandInProgram(app / "VORozurire.exe");  // never run: the launcher is scripted
    ui::InvWork* work = openWorkspace();
    ASSERT_NE(work, nullptr);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const auto key = [&](Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(window.get(), k, modifiers);
    };

    key(Qt::Key_F5);  // nothing loaded yet
    EXPECT_TRUE(launcher.requests().empty());
    EXPECT_NE(log.plainText().find("Nothing to run: no open workspace has data loaded."), std::string::npos);

    const auto header = [&] { return work->grid()->model()->index(0, 1).data().toString().trimmed(); };
    EXPECT_EQ(header(), QStringLiteral("Default Values"));
    dialogs.queue(sample());
    key(Qt::Key_O, Qt::ControlModifier);
    ASSERT_TRUE(store.survey.dataLoaded) << log.plainText();
    EXPECT_EQ(header(), QStringLiteral("Values"));
    EXPECT_EQ(dialogs.requests().back().title, QStringLiteral("Load data file"));

    key(Qt::Key_S, Qt::ControlModifier);  // cancelled
    EXPECT_EQ(dialogs.requests().back().title, QStringLiteral("Save schedule and data"));

    dialogs.queue(temporary.filePath("run"));
    key(Qt::Key_F5);
    EXPECT_EQ(dialogs.requests().back().title, QStringLiteral("Set inversion project folder"));
    ASSERT_EQ(launcher.requests().size(), 1u) << log.plainText();
    EXPECT_EQ(launcher.requests()[0].arguments.back(), "INV");

    work->grid()->setFocus();
    key(Qt::Key_F1);
    auto* help = window->findChild<ui::HelpWindow*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    help->close();

    questions.setDefaultAnswer(false);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    key(Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(questions.timesAsked(QuestionId::QuitProject), 1);
    EXPECT_TRUE(store.survey.dataLoaded);  // No keeps the project
}

TEST_F(WindowHabits, TheWorkspaceKeepsItsCommandsInSightWithTooltips)
{
    openWindow(true);
    ui::InvWork* work = openWorkspace();
    ASSERT_NE(work, nullptr);
    frameOf(work)->resize(frameOf(work)->width(), 900);  // room for both panels
    QSplitter* split = splitter(work);
    split->setSizes({0, 2000});
    const QWidget* commands = split->widget(0);
    EXPECT_GE(split->sizes()[0], commands->minimumSizeHint().height());
    EXPECT_FALSE(split->isCollapsible(0));
    for (QPushButton* button : work->findChildren<QPushButton*>())
        if (button->parentWidget() == commands) EXPECT_FALSE(button->toolTip().isEmpty()) << button->objectName().toStdString();
    EXPECT_FALSE(work->ipInversionBox()->toolTip().isEmpty());
}

// Every command button of the task windows says what it does.
TEST_F(WindowHabits, TaskWindowCommandsHaveTooltips)
{
    openWindow(true);
    questions.setDefaultAnswer(true);
    dialogs.queue(sample());
    trigger("mnuLoadDataFile");
    ASSERT_TRUE(store.survey.dataLoaded) << log.plainText();
    for (const char* node : {"DI workspace", "Pseudo Plots", "Reciprocals Check", "Import field data", "Make Mesh"}) {
        window->LinkMenusToTreeView(node);
        int buttons = 0;
        for (TaskWindow kind : {TaskWindow::InvWork, TaskWindow::Histogram, TaskWindow::ReciprocalCheck,
                                TaskWindow::BinImport, TaskWindow::FieldData, TaskWindow::MeshWork})
            if (QWidget* shown = window->taskWindows().window(kind))
                for (QPushButton* button : shown->findChildren<QPushButton*>()) {
                    ++buttons;
                    EXPECT_FALSE(button->toolTip().isEmpty()) << node << ": " << button->text().toStdString();
                }
        EXPECT_GT(buttons, 0) << node;
    }
}

// Damaged per-user places are passed over: the windows open where they
// would with none stored.
TEST_F(WindowHabits, HostileInputStoredPlacesAreIgnored)
{
    openWindow(true);
    const QSize mainSize = window->size();
    const QRect workPlace = frameOf(openWorkspace())->geometry();
    const QList<int> sizes = splitter(qobject_cast<ui::InvWork*>(window->taskWindows().window(TaskWindow::InvWork)))->sizes();
    window.reset();
    for (const char* text : {"", "garbage!", "1 2 3", "10 10 -5 40", "a b c d", "AAAA////", "-5 400", "0 0"}) {
        settings = MemoryUserSettings{};
        for (const char* key : {"MainWindow", "MainWindowDocks", "InvWork", "InvWorkSplitter"})
            settings.setValue("Windows", key, text);
        openWindow(true);
        EXPECT_EQ(window->size(), mainSize) << text;
        ui::InvWork* work = openWorkspace();
        ASSERT_NE(work, nullptr) << text;
        EXPECT_EQ(frameOf(work)->geometry(), workPlace) << text;
        EXPECT_EQ(splitter(work)->sizes(), sizes) << text;
        window.reset();
    }
}

}  // namespace
