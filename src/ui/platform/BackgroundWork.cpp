#include "ui/platform/BackgroundWork.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <limits>
#include <memory>
#include <thread>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>

#include "ui/platform/BusyPointer.h"
#include "ui/platform/TextConversion.h"

namespace vexora::ui {

namespace {

constexpr int kDialogDelayMs = 400;

}  // namespace

bool runWithProgress(QWidget* parent, const QString& title, MessageLog& log,
                     const std::function<void(const Feedback&, MessageLog&)>& work)
{
    const BusyPointer busy;
    QProgressDialog dialog(title, QObject::tr("Cancel"), 0, 100, parent);
    dialog.setWindowTitle(title);
    dialog.setWindowModality(Qt::ApplicationModal);
    // Shown by the timer below, not by the dialog itself: never over a
    // question the work is waiting on, where it would take the keyboard and
    // Enter would cancel the work instead of answering.
    dialog.setMinimumDuration(std::numeric_limits<int>::max());
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setValue(0);

    const auto cancel = std::make_shared<std::atomic<bool>>(false);
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [cancel] { *cancel = true; });

    // Calls from the worker are queued to the dialog; they are all posted
    // before the worker is joined below, so the dialog outlives every one.
    Feedback feedback;
    feedback.cancelRequested = [cancel] { return cancel->load(); };
    feedback.progress = [&dialog, &title](int percent, std::string_view stage) {
        const QString text = title + QLatin1Char('\n') + toQString(stage);
        QMetaObject::invokeMethod(
            &dialog,
            [&dialog, percent, text] {
                if (dialog.wasCanceled()) return;
                dialog.setLabelText(text);
                dialog.setValue(std::clamp(percent, 0, 99));
            },
            Qt::QueuedConnection);
    };

    QElapsedTimer started;
    started.start();
    QTimer showLater;
    QObject::connect(&showLater, &QTimer::timeout, &dialog, [&] {
        if (dialog.isVisible() || started.elapsed() < kDialogDelayMs) return;
        if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr && modal != &dialog) return;
        dialog.show();
    });
    showLater.start(100);

    QEventLoop loop;
    MessageLog workLog;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work(feedback, workLog);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    log.appendLog(workLog);
    if (failure) std::rethrow_exception(failure);
    return cancel->load();
}

}  // namespace vexora::ui
