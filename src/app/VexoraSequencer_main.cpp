// The sequence designer: electrodes, arrays and instrument limits in, a data
// file of quadrupoles out. Started by the workbench's "Schedule Maker".
//
//   VexoraSequencer [DATA] [--screenshot OUT.png]
//
// DATA, when given, supplies the electrodes; --screenshot saves the window
// once designed and quits (for reports and checks without a user).

#include <QApplication>
#include <QStringList>

#include "core/log/MessageLog.h"
#include "core/platform/ProcessLauncher.h"
#include "engine/script/DesignFigures.h"
#include "ui/platform/FileDialogs.h"
#include "ui/platform/QtProcessLauncher.h"
#include "ui/platform/QtQuestions.h"
#include "ui/sequencer/SequenceComparePanel.h"
#include "ui/sequencer/SequencerWindow.h"

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
    vexora::ui::QtFileDialogs dialogs;
    vexora::ui::SequencerWindow window(log, questions, dialogs);
    // The figures are the numerical core's, run in this process.
    vexora::ui::QtProcessLauncher launcher;
    window.comparePanel()->setComparer(vexora::compareSequenceFiles);
    window.comparePanel()->setViewerStart(&launcher, vexora::programFolder());
    window.show();
    if (!file.isEmpty()) window.loadElectrodes(file);
    else (void)window.design();
    if (screenshot.isEmpty()) return QApplication::exec();
    QApplication::processEvents();
    return window.grab().save(screenshot) ? 0 : 1;
}
