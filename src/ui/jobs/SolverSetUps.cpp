#include "ui/jobs/SolverSetUps.h"

#include "core/project/ProjectStore.h"
#include "ui/jobs/ForwardSetUp.h"
#include "ui/jobs/InverseSetUp.h"
#include "ui/settings/flexgridInputData.h"
#include "ui/shell/MainWindow.h"

namespace vexora::ui {

namespace {

// The workspaces' grids show the settings a dialog has just written.
void refreshOpenGrids(MDIStart& mainWindow)
{
    for (TaskWindow kind : {TaskWindow::InvWork, TaskWindow::ForwardWork})
        if (QWidget* work = mainWindow.taskWindows().window(kind))
            for (flexgridInputData* grid : work->findChildren<flexgridInputData*>()) grid->refresh();
}

template <class Dialog>
void registerDialog(MDIStart& mainWindow, TaskWindow kind, ProjectStore& store, MessageLog& log, Questions& questions)
{
    mainWindow.taskWindows().registerWindow(kind, [&mainWindow, &store, &log, &questions] {
        auto* dialog = new Dialog(store.settings, log, questions, &mainWindow);
        QObject::connect(dialog, &SolverSetUpDialog::applied, &mainWindow, [&mainWindow] { refreshOpenGrids(mainWindow); });
        return dialog;
    });
}

}  // namespace

void registerSolverSetUps(MDIStart& mainWindow, ProjectStore& store, MessageLog& log, Questions& questions)
{
    registerDialog<ForwardSetUp>(mainWindow, TaskWindow::ForwardSolverSetup, store, log, questions);
    registerDialog<InverseSetUp>(mainWindow, TaskWindow::InverseSolverSetup, store, log, questions);
}

}  // namespace vexora::ui
