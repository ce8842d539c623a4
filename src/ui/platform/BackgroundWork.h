#pragma once
// Long work (loads, meshing, imports, checks) off the window thread: a
// progress dialog shows the percent and stage the work reports and offers
// Cancel, while the window thread goes on answering events. The call
// returns when the work is done; what the work produced is swapped in by
// the caller, on the window thread. The window's message log is shown as it
// changes, so the work logs into a log of its own, joined to it at the end.

#include <functional>

#include <QString>

#include "core/log/MessageLog.h"
#include "core/platform/Feedback.h"

class QWidget;

namespace vexora::ui {

// Runs `work` on a worker thread with a feedback wired to the dialog and a
// log of its own, appends that log to `log` when the work ends (cancelled or
// not), and returns true when the user cancelled. An exception thrown by the
// work is thrown again here, on the window thread. The dialog appears only
// when the work takes longer than a moment.
bool runWithProgress(QWidget* parent, const QString& title, MessageLog& log,
                     const std::function<void(const Feedback&, MessageLog&)>& work);

}  // namespace vexora::ui
