#include "ui/shell/DataFileLoading.h"

#include <QObject>

#include "core/platform/Application.h"
#include "core/platform/RecentFiles.h"
#include "ui/platform/BackgroundWork.h"
#include "ui/platform/TextConversion.h"

namespace vexora::ui {

LoadStatus loadDataFileInWindow(QWidget* parent, ProjectStore& store, const DataLoadRequest& request, MessageLog& log,
                                Questions& questions, UserSettings& userSettings)
{
    ProjectStore loaded;
    LoadStatus status = LoadStatus::NotLoaded;
    // A cancel shows in the status: the load logs it and returns Cancelled.
    (void)runWithProgress(parent, QObject::tr("Loading %1").arg(fromFilePath(request.file)), log,
                          [&](const Feedback& feedback, MessageLog& loadLog) {
                              status = funInputScheduleFile(store, request, loaded, loadLog, questions, feedback);
                          });
    if (status == LoadStatus::Loaded) {
        store = std::move(loaded);
        rememberRecentFile(userSettings, request.file);
    }
    return status;
}

bool refuseSecondDataFile(const ProjectStore& store, Questions& questions)
{
    if (!store.survey.dataLoaded) return false;
    questions.showMessage(std::string(kApplicationTitle) + " - Error", "Close this Project to load a new schedule file!",
                          MessageIcon::Critical);
    return true;
}

}  // namespace vexora::ui
