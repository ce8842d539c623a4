#pragma once
// Long work (loads, meshing, imports, checks) off the window thread: a
// progress dialog shows the percent and stage the work reports and offers
// Cancel, while the window thread goes on answering events. The call
// returns when the work is done; what the work produced is swapped in by
// the caller, on the window thread.

#include <functional>

#include <QString>

#include "core/platform/Feedback.h"

class QWidget;

namespace vexora::ui {

// Runs `work` on a worker thread with a feedback wired to the dialog, and
// returns true when the user cancelled. An exception thrown by the work is
// thrown again here, on the window thread. The dialog appears only when the
// work takes longer than a moment.
bool runWithProgress(QWidget* parent, const QString& title, const std::function<void(const Feedback&)>& work);

}  // namespace vexora::ui
