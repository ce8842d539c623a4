#include "ui/shell/SearchProgress.h"

#include <QCoreApplication>
#include <QProgressDialog>

#include "core/platform/Application.h"
#include "ui/platform/TextConversion.h"

namespace vexora::ui {

SearchProgress::SearchProgress(QWidget* parent, const QString& programName)
    : parent_(parent), programName_(programName)
{
}

SearchProgress::~SearchProgress() { delete dialog_.data(); }

bool SearchProgress::searching(const std::filesystem::path& folder)
{
    if (!started_) {
        started_ = true;
        dialog_ = new QProgressDialog(QObject::tr("Searching for %1...").arg(programName_), QObject::tr("Cancel"), 0,
                                      0, parent_);
        dialog_->setWindowTitle(toQString(kApplicationTitle));
        dialog_->setWindowModality(Qt::WindowModal);
        // A quick search shows no dialog at all.
        dialog_->setMinimumDuration(400);
        dialog_->setValue(0);
        sinceEvents_.start();
    }
    // Turning the event loop for every folder would slow the walk down;
    // every 30 ms keeps the window responsive.
    if (sinceEvents_.elapsed() >= 30) {
        if (dialog_) dialog_->setLabelText(fromFilePath(folder));
        QCoreApplication::processEvents();
        sinceEvents_.restart();
    }
    return dialog_ && !dialog_->wasCanceled();
}

}  // namespace vexora::ui
