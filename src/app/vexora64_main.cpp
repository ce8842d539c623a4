// The workbench: one main window over one project store and message log.
//
//   vexora64 [DATA_FILE]
//
// Hidden options for documentation and visual checks: --screenshot FILE
// saves a picture of the main window and its open dialogs shortly after
// start and quits;
// --new-project inversion|design opens a new project of that type first;
// --node TEXT then clicks that explorer node (after the data file's load);
// --results FOLDER then opens the results window of that inversion job
// folder, on its tab N with --results-tab N.

#include <cstdio>

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QPainter>
#include <QPixmap>
#include <QStringList>
#include <QTabWidget>
#include <QTimer>

#include "core/io/SaveTemporary.h"
#include "core/log/MessageLog.h"
#include "core/platform/Application.h"
#include "core/project/ProjectStore.h"
#include "core/shell/ShellFolders.h"
#include "ui/Workbench.h"
#include "ui/jobs/ResultsWindow.h"
#include "ui/platform/FileDialogs.h"
#include "ui/platform/QtQuestions.h"
#include "ui/platform/QtUserSettings.h"
#include "ui/platform/TextConversion.h"
#include "ui/shell/MainWindow.h"

namespace {

struct StartOptions {
    QString dataFile;
    QString screenshotFile;
    QString node;
    QString resultsFolder;
    int resultsTab = 0;
    vexora::ProjectType newProject = vexora::ProjectType::None;
};

// Unknown options are ignored: a stray argument must not stop the workbench.
StartOptions readArguments(const QStringList& arguments)
{
    StartOptions options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--screenshot") && i + 1 < arguments.size())
            options.screenshotFile = arguments[++i];
        else if (argument == QLatin1String("--node") && i + 1 < arguments.size())
            options.node = arguments[++i];
        else if (argument == QLatin1String("--results") && i + 1 < arguments.size())
            options.resultsFolder = arguments[++i];
        else if (argument == QLatin1String("--results-tab") && i + 1 < arguments.size())
            options.resultsTab = arguments[++i].toInt();
        else if (argument == QLatin1String("--new-project") && i + 1 < arguments.size()) {
            const QString type = arguments[++i];
            if (type == QLatin1String("inversion")) options.newProject = vexora::ProjectType::DataInversion;
            else if (type == QLatin1String("design")) options.newProject = vexora::ProjectType::SurveyDesign;
            else std::fprintf(stderr, "vexora64: project type %s ignored\n", qPrintable(type));
        }
        else if (argument.startsWith(QLatin1String("--")))
            std::fprintf(stderr, "vexora64: option %s ignored\n", qPrintable(argument));
        else if (options.dataFile.isEmpty())
            options.dataFile = argument;
    }
    return options;
}

// The main window with the dialogs and windows open over it, as the user
// sees them.
QPixmap screenshot(QWidget& window)
{
    QPixmap picture = window.grab();
    QPainter painter(&picture);
    for (QWidget* top : QApplication::topLevelWidgets()) {
        const bool over = qobject_cast<QDialog*>(top) || qobject_cast<vexora::ui::ResultsWindow*>(top);
        if (top == &window || !top->isVisible() || !over) continue;
        painter.drawPixmap(window.mapFromGlobal(top->mapToGlobal(QPoint(0, 0))), top->grab());
    }
    return picture;
}

}  // namespace

int main(int argc, char** argv)
{
    vexora::installSaveInterruptCleanup();
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Vexora"));
    QCoreApplication::setApplicationName(vexora::ui::toQString(vexora::kApplicationTitle));
    const StartOptions options = readArguments(QCoreApplication::arguments());

    vexora::ProjectStore store;
    vexora::MessageLog log;
    vexora::ui::QtQuestions questions;
    vexora::ui::QtUserSettings userSettings;
    vexora::ui::QtFileDialogs fileDialogs(&userSettings);
    const QString dataFolder = vexora::ui::fromFilePath(
        vexora::applicationDataFolder(vexora::ui::toFilePath(QCoreApplication::applicationDirPath())));
    if (QFileInfo(dataFolder).isDir()) fileDialogs.setStartFolder(dataFolder);

    vexora::ui::MDIStart window(store, log, questions, userSettings, fileDialogs);
    questions.setParentWindow(&window);
    vexora::ui::plugInWorkbench(window, store, log, questions, userSettings, fileDialogs);
    window.show();
    if (options.newProject != vexora::ProjectType::None) window.mnuNewProject_Click(options.newProject);
    if (!options.dataFile.isEmpty() || !options.node.isEmpty() || !options.resultsFolder.isEmpty()) {
        const QString path = options.dataFile.isEmpty() ? QString() : QFileInfo(options.dataFile).absoluteFilePath();
        const std::string node = vexora::ui::toWindows1252(options.node);
        // One step: a question of the load runs an event loop of its own,
        // and the node must not be clicked before the load is over.
        QTimer::singleShot(0, &window, [&, path, node] {
            if (!path.isEmpty()) window.loadDataFile(path);
            if (!node.empty()) window.LinkMenusToTreeView(node);
            if (options.resultsFolder.isEmpty()) return;
            vexora::ui::ResultsWindow* results =
                vexora::ui::showJobResults(vexora::ui::toFilePath(options.resultsFolder), log, questions, userSettings,
                                           fileDialogs, window.environment(), &window);
            if (results) results->tabs()->setCurrentIndex(options.resultsTab);
        });
    }

    if (!options.screenshotFile.isEmpty()) {
        QTimer::singleShot(1500, &window, [&window, &options] {
            const bool saved = screenshot(window).save(options.screenshotFile);
            if (!saved) std::fprintf(stderr, "vexora64: %s not saved\n", qPrintable(options.screenshotFile));
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    return application.exec();
}
