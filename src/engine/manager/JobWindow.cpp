#include "engine/manager/JobWindow.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "engine/script/JobEnd.h"
#include "engine/script/JobFiles.h"
#include "engine/script/JobTime.h"

namespace vexora {

QString jobKindTitle(const QString& kind)
{
    if (kind == "INV") return "Data inversion (INV)";
    if (kind == "FWM") return "Forward modelling (FWM)";
    return "Sensitivity (SENS)";
}

JobWindow::JobWindow(const QString& kind, const QString& projectFolder, std::function<bool(QString&)> requestAbort)
    : requestAbort_(std::move(requestAbort))
{
    setWindowTitle("VORozurire - " + jobKindTitle(kind));
    auto* form = new QFormLayout;
    form->addRow("Job:", new QLabel(jobKindTitle(kind)));
    auto* folder = new QLabel(projectFolder);
    folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow("Project folder:", folder);

    bar_ = new QProgressBar;
    bar_->setRange(0, 100);
    bar_->setValue(0);
    stage_ = new QLabel("Waiting for the numerical core...");
    time_ = new QLabel;
    log_ = new QPlainTextEdit;
    log_->setReadOnly(true);
    log_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    button_ = new QPushButton(requestAbort_ ? "Abort" : "Close");
    button_->setEnabled(static_cast<bool>(requestAbort_));
    connect(button_, &QPushButton::clicked, this, [this] { ended_ ? void(close()) : abort(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(button_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(bar_);
    layout->addWidget(stage_);
    layout->addWidget(time_);
    layout->addWidget(log_, 1);
    layout->addLayout(buttons);
    resize(720, 420);

    // The job starts with the window; the time runs on between progress lines.
    elapsed_.start();
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, [this, clock] {
        if (ended_) clock->stop();
        else showTime();
    });
    clock->start(1000);
    showTime();
}

void JobWindow::showTime()
{
    time_->setText(QString::fromStdString(jobTimeText(static_cast<double>(elapsed_.elapsed()) / 1000, percent_)));
}

void JobWindow::showProgress(const ProgressState& state)
{
    bar_->setValue(state.percent);
    percent_ = state.percent;
    showTime();
    stage_->setText(QString::fromLatin1(state.stage.data(), static_cast<qsizetype>(state.stage.size())));
}

void JobWindow::appendLog(const QString& text)
{
    // Lines arrive whole or in pieces: insert at the end, keep the view there.
    QTextCursor cursor = log_->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    log_->verticalScrollBar()->setValue(log_->verticalScrollBar()->maximum());
}

void JobWindow::showEnd(const ProcessEnd& coreEnd)
{
    percent_ = 100;  // nothing is left, however the job ended
    showTime();
    ended_ = true;
    if (const std::optional<std::string> stage = jobEndStage(coreEnd)) stage_->setText(QString::fromStdString(*stage));
    button_->setText("Close");
    button_->setEnabled(true);
    if (closeWhenEnded_) close();
}

void JobWindow::abort()
{
    QString why;
    if (!requestAbort_(why)) {
        appendLog("Abort file not written: " + why + "\n");
        return;
    }
    button_->setEnabled(false);
    stage_->setText(stage_->text() + " - abort requested");
}

void JobWindow::closeEvent(QCloseEvent* event)
{
    if (ended_) {
        event->accept();
        return;
    }
    // Closing a running job asks the core to stop; the window goes once it has.
    event->ignore();
    if (!requestAbort_) return;
    closeWhenEnded_ = true;
    if (button_->isEnabled()) abort();
}

}  // namespace vexora
