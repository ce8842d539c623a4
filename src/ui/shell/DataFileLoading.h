#pragma once
// The workbench's road of a data file into the project: the core's load on
// a worker thread under a progress dialog that can cancel. The loaded
// project replaces the store, on the window thread, only when the file
// loaded, so a failed or cancelled load leaves the project as it was.

#include "core/datafile/ScheduleLoader.h"
#include "core/platform/UserSettings.h"

class QWidget;

namespace vexora::ui {

LoadStatus loadDataFileInWindow(QWidget* parent, ProjectStore& store, const DataLoadRequest& request, MessageLog& log,
                                Questions& questions, UserSettings& userSettings);

// A project with data takes no second data file: true, after the message
// that says so, when the store holds data.
bool refuseSecondDataFile(const ProjectStore& store, Questions& questions);

}  // namespace vexora::ui
