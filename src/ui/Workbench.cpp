#include "ui/Workbench.h"

#include "ui/fielddata/ImportSyscal.h"
#include "ui/jobs/ForwardWork.h"
#include "ui/jobs/InvWork.h"
#include "ui/jobs/InversionRuns.h"
#include "ui/jobs/SolverSetUps.h"
#include "ui/mesh/MeshWork.h"
#include "ui/model/ModelFileOperations.h"
#include "ui/qc/Form_XCableMaps.h"
#include "ui/qc/Reciprocals.h"
#include "ui/qc/PseudoPlots.h"
#include "ui/shell/MainWindow.h"

namespace vexora::ui {

void plugInWorkbench(MDIStart& window, ProjectStore& store, MessageLog& log, Questions& questions,
                     UserSettings& userSettings, FileDialogs& fileDialogs)
{
    connectInversionRuns(window, log, fileDialogs);
    registerInvWork(window, store, log, questions, userSettings, fileDialogs);
    registerImportSyscal(window, store, log, questions, fileDialogs);
    registerPlots(window, store, log, questions, fileDialogs);
    registerReciprocals(window, store, log, questions, fileDialogs);
    registerXCableMaps(window, store, log);
    registerModelFileOperations(window, store, log, questions, fileDialogs);
    registerMeshWork(window, store, log, questions, userSettings, fileDialogs);
    registerSolverSetUps(window, store, log, questions);
    registerForwardWork(window, store, log, questions, userSettings, fileDialogs);
}

}  // namespace vexora::ui
