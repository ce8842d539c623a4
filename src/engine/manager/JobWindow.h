#pragma once
// The manager's window: the job kind and project folder, a progress bar
// with the current stage, the time taken and the time left, the job's log
// as it grows, and an Abort button that asks the core to stop. Once the
// core has ended the button closes the window.

#include <functional>

#include <QElapsedTimer>
#include <QString>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace vexora {

struct ProcessEnd;
struct ProgressState;

class JobWindow : public QWidget {
public:
    // `requestAbort` writes the abort file; it returns false (with the
    // reason) when it could not. Null when the script names no abort file.
    JobWindow(const QString& kind, const QString& projectFolder,
              std::function<bool(QString& why)> requestAbort);

    void showProgress(const ProgressState& state);
    void appendLog(const QString& text);
    void showEnd(const ProcessEnd& coreEnd);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void abort();
    void showTime();

    std::function<bool(QString&)> requestAbort_;
    QProgressBar* bar_;
    QLabel* stage_;
    QLabel* time_;
    QElapsedTimer elapsed_;
    int percent_ = 0;
    QPlainTextEdit* log_;
    QPushButton* button_;
    bool ended_ = false;
    bool closeWhenEnded_ = false;
};

// "Forward modelling (FWM)" and the like.
QString jobKindTitle(const QString& kind);

}  // namespace vexora
