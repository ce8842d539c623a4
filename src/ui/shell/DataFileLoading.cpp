#include "ui/shell/DataFileLoading.h"

#include <QObject>

#include "ui/platform/BackgroundWork.h"
#include "ui/platform/TextConversion.h"

namespace vexora::ui {

LoadStatus loadDataFileInWindow(QWidget* parent, ProjectStore& store, const DataLoadRequest& request,
                                MessageLog& log, Questions& questions)
{
    ProjectStore loaded;
    MessageLog loadLog;
    LoadStatus status = LoadStatus::NotLoaded;
    (void)runWithProgress(parent, QObject::tr("Loading %1").arg(fromFilePath(request.file)),
                          [&](const Feedback& feedback) {
                              status = funInputScheduleFile(store, request, loaded, loadLog, questions, feedback);
                          });
    log.appendLog(loadLog);
    if (status == LoadStatus::Loaded) store = std::move(loaded);
    return status;
}

}  // namespace vexora::ui
