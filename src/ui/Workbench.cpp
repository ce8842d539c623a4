#include "ui/Workbench.h"

#include "ui/import/Form_FileOpen.h"
#include "ui/jobs/ForwardWork.h"
#include "ui/jobs/InvWork.h"
#include "ui/jobs/InversionRuns.h"
#include "ui/jobs/SolverSetUps.h"
#include "ui/model/ModelFileOperations.h"
#include "ui/qc/Reciprocals.h"
#include "ui/qc/PseudoPlots.h"
#include "ui/shell/MainWindow.h"

namespace vexora::ui {

void plugInWorkbench(MDIStart& window, ProjectStore& store, MessageLog& log, Questions& questions,
                     UserSettings& userSettings, FileDialogs& fileDialogs)
{
    connectInversionRuns(window, log, fileDialogs);
    registerInvWork(window, store, log, questions, userSettings, fileDialogs);
    registerFileOpen(window, log, questions, fileDialogs);
    registerPlots(window, store, log, questions, fileDialogs);
    registerReciprocals(window, store, log, questions, fileDialogs);
    registerModelFileOperations(window, store, log, questions, fileDialogs);
    registerSolverSetUps(window, store, log, questions);
    registerForwardWork(window, store, log, questions, userSettings, fileDialogs);
}

}  // namespace vexora::ui
