#pragma once
// The message log as the user sees it: a read-only rich-text box that mirrors
// a MessageLog run by run (errors red, the rest black), with "Save log as..."
// and the "Log to file" check box.

#include <QString>
#include <QWidget>

#include "core/log/MessageLog.h"

class QCheckBox;
class QTextEdit;

namespace vexora {
class Questions;
}

namespace vexora::ui {

class FileDialogs;

class MessageLogPanel : public QWidget {
    Q_OBJECT
public:
    // Shows what the log already holds and then follows it. The panel is the
    // log's one listener until it is destroyed.
    MessageLogPanel(MessageLog& log, Questions& questions, FileDialogs& fileDialogs, QWidget* parent = nullptr);
    ~MessageLogPanel() override;

    QTextEdit* textBox() const { return textBox_; }
    QCheckBox* logToFileBox() const { return logToFileBox_; }

    // Rebuilds the box from the log, after the log was cleared or replaced.
    void reload();
    // Becomes the log's listener again (another box took it meanwhile),
    // showing everything that came in the while.
    void follow();

    // "Save log as...": the whole log as RTF to a chosen file.
    void mnuSaveLogAs_Click();
    // The check box was clicked: turn file logging on (after choosing the
    // file) or off.
    void chkLogToFile_Click(bool checked);

private:
    void appendRun(const LogRun& run);
    void showContextMenu(const QPoint& position);
    // Save dialog for a log file plus the overwrite question; empty when the
    // user gave up.
    QString chooseLogFile(const QString& title);
    bool saveLog(const QString& path, std::string_view source);

    MessageLog& log_;
    Questions& questions_;
    FileDialogs& fileDialogs_;
    QTextEdit* textBox_;
    QCheckBox* logToFileBox_;
    QString logFile_;
    // A CR LF pair may arrive split over two runs.
    bool afterCarriageReturn_ = false;
};

}  // namespace vexora::ui
