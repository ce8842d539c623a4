#include "ui/log/MessageLogPanel.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QMenu>
#include <QScrollBar>
#include <QTextEdit>
#include <QVBoxLayout>

#include "core/platform/Questions.h"
#include "ui/platform/FileDialogs.h"
#include "ui/platform/RunHandler.h"
#include "ui/platform/TextConversion.h"

namespace vexora::ui {

namespace {

const QColor kErrorColour(255, 0, 0);
const QColor kTextColour(0, 0, 0);

const QString kLogFileFilters = QStringLiteral("RTF (*.rtf);;DOC (*.doc);;All files (*)");

}  // namespace

MessageLogPanel::MessageLogPanel(MessageLog& log, Questions& questions, FileDialogs& fileDialogs, QWidget* parent)
    : QWidget(parent),
      log_(log),
      questions_(questions),
      fileDialogs_(fileDialogs),
      textBox_(new QTextEdit(this)),
      logToFileBox_(new QCheckBox(tr("Log to file"), this))
{
    textBox_->setReadOnly(true);
    textBox_->setUndoRedoEnabled(false);
    textBox_->setLineWrapMode(QTextEdit::NoWrap);
    textBox_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Black text on white whatever the desktop theme, so that the colours of
    // the entries mean the same as in the saved file.
    QPalette palette = textBox_->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    textBox_->setPalette(palette);
    textBox_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(textBox_, &QWidget::customContextMenuRequested, this, &MessageLogPanel::showContextMenu);

    logToFileBox_->setToolTip(tr("Keep a copy of the log in a rich-text file"));
    connect(logToFileBox_, &QCheckBox::clicked, this, &MessageLogPanel::chkLogToFile_Click);

    auto* options = new QHBoxLayout;
    options->setContentsMargins(0, 0, 0, 0);
    options->addWidget(logToFileBox_);
    options->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(textBox_, 1);
    layout->addLayout(options);

    follow();
}

MessageLogPanel::~MessageLogPanel() { log_.setListener(nullptr); }

void MessageLogPanel::follow()
{
    reload();
    log_.setListener([this](const LogRun& run) { appendRun(run); });
}

void MessageLogPanel::reload()
{
    textBox_->clear();
    afterCarriageReturn_ = false;
    for (const LogRun& run : log_.runs()) appendRun(run);
    logToFileBox_->setChecked(log_.fileLogging());
}

void MessageLogPanel::appendRun(const LogRun& run)
{
    // QTextCursor starts a new paragraph at CR and at LF alike, so a CR LF
    // pair is reduced to one break here.
    QString text;
    text.reserve(static_cast<qsizetype>(run.text.size()));
    for (QChar c : toQString(run.text)) {
        if (c == QLatin1Char('\n') && afterCarriageReturn_) {
            afterCarriageReturn_ = false;
            continue;
        }
        afterCarriageReturn_ = c == QLatin1Char('\r');
        text += afterCarriageReturn_ ? QChar(QLatin1Char('\n')) : c;
    }

    QTextCharFormat format;
    format.setForeground(run.red ? kErrorColour : kTextColour);
    QTextCursor end(textBox_->document());
    end.movePosition(QTextCursor::End);
    end.insertText(text, format);
    textBox_->verticalScrollBar()->setValue(textBox_->verticalScrollBar()->maximum());

    // The log turns file logging off by itself when the file cannot be written.
    logToFileBox_->setChecked(log_.fileLogging());
}

void MessageLogPanel::showContextMenu(const QPoint& position)
{
    QMenu* menu = textBox_->createStandardContextMenu(position);
    menu->addSeparator();
    menu->addAction(tr("Save log as..."), this, &MessageLogPanel::mnuSaveLogAs_Click);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(textBox_->viewport()->mapToGlobal(position));
}

QString MessageLogPanel::chooseLogFile(const QString& title)
{
    const QString defaultName = QStringLiteral("MessageLog_") + toQString(currentDateText()) + QStringLiteral(".rtf");
    QString path = fileDialogs_.saveFileName(this, title, defaultName, kLogFileFilters);
    if (path.isEmpty()) return {};
    if (QFileInfo::exists(path) &&
        !confirmOverwrite(questions_, "Save as", toWindows1252(path), MessageIcon::Exclamation))
        return {};
    return path;
}

bool MessageLogPanel::saveLog(const QString& path, std::string_view source)
{
    std::string why;
    if (log_.saveRtf(toFilePath(path), &why)) return true;
    log_.logError(source, "Log file " + toWindows1252(path) + " not saved: " + why);
    return false;
}

void MessageLogPanel::mnuSaveLogAs_Click()
{
    runCommand(log_, questions_, "mnuSaveLogAs_Click", [&] {
        const QString path = chooseLogFile(tr("Save log as"));
        if (!path.isEmpty()) saveLog(path, "mnuSaveLogAs_Click");
    });
}

void MessageLogPanel::chkLogToFile_Click(bool checked)
{
    runCommand(log_, questions_, "chkLogToFile_Click", [&] {
        if (!checked) {
            log_.subSendNameToProgress(toFilePath(logFile_), false);
            return;
        }
        const QString path = chooseLogFile(tr("Log to file"));
        if (path.isEmpty()) {
            logToFileBox_->setChecked(false);
            return;
        }
        logFile_ = path;
        // The file gets the log at once; a file that cannot be written leaves
        // file logging off.
        const bool saved = saveLog(path, "chkLogToFile_Click");
        log_.subSendNameToProgress(toFilePath(path), saved);
        logToFileBox_->setChecked(saved);
    });
}

}  // namespace vexora::ui
