// The sequence designer: electrodes, arrays and instrument limits in, a data
// file of quadrupoles out. Started by the workbench's "Schedule Maker".
//
//   VexoraSequencer [DATA] [--screenshot OUT.png]
//
// DATA, when given, supplies the electrodes; --screenshot saves the window
// once designed and quits (for reports and checks without a user).

#include <utility>

#include <QApplication>
#include <QStringList>

#include "core/log/MessageLog.h"
#include "ui/platform/FileDialogs.h"
#include "ui/platform/QtQuestions.h"
#include "ui/sequencer/SequencerWindow.h"

namespace {

// Answers the file dialog with the file named on the command line, once.
class FirstAnswer : public vexora::ui::QtFileDialogs {
public:
    QString pending;
    QString openFileName(QWidget* parent, const QString& title, const QString& filters) override
    {
        if (pending.isEmpty()) return QtFileDialogs::openFileName(parent, title, filters);
        return std::exchange(pending, QString());
    }
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VexoraSequencer"));
    QString file, screenshot;
    const QStringList arguments = QApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--screenshot") && i + 1 < arguments.size()) screenshot = arguments[++i];
        else if (!arguments[i].startsWith(QLatin1String("--"))) file = arguments[i];
    }
    vexora::MessageLog log;
    vexora::ui::QtQuestions questions;
    FirstAnswer dialogs;
    vexora::ui::SequencerWindow window(log, questions, dialogs);
    window.show();
    if (!file.isEmpty()) {
        dialogs.pending = file;
        window.mnuLoadElectrodes_Click();
    } else {
        (void)window.design();
    }
    if (screenshot.isEmpty()) return QApplication::exec();
    QApplication::processEvents();
    return window.grab().save(screenshot) ? 0 : 1;
}
