// The 3D viewer: a block model with its sections, from a viewer script the
// workbench writes or a model file.
//
//   VexoraViewer [SCRIPT.ohm | MODEL] [--quantity NAME] [--view YAW PITCH]
//                [--cutaway] [--exaggeration FACTOR]
//                [--screenshot OUT.png] [--window-shot OUT.png]
//
// --screenshot saves the picture (File > Save image) once drawn and quits
// (exit status 1 when the file could not be shown or saved); --window-shot
// saves the whole window as well: for reports and checks without a user.

#include <cstdio>
#include <memory>
#include <optional>

#include <QApplication>
#include <QStringList>
#include <QTimer>

#include "core/log/MessageLog.h"
#include "ui/platform/TextConversion.h"
#include "ui/viewer/ViewerSplash.h"
#include "ui/viewer/ViewerWindow.h"

namespace {

struct StartOptions {
    QString file, quantity, screenshot, windowShot;
    bool cutaway = false;
    double exaggeration = 1;
    std::optional<std::pair<double, double>> view;
};

// Unknown options are ignored: a stray argument must not stop the viewer.
StartOptions readArguments(const QStringList& arguments)
{
    StartOptions options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--quantity") && i + 1 < arguments.size()) options.quantity = arguments[++i];
        else if (argument == QLatin1String("--screenshot") && i + 1 < arguments.size())
            options.screenshot = arguments[++i];
        else if (argument == QLatin1String("--window-shot") && i + 1 < arguments.size())
            options.windowShot = arguments[++i];
        else if (argument == QLatin1String("--view") && i + 2 < arguments.size()) {
            options.view = std::pair{arguments[i + 1].toDouble(), arguments[i + 2].toDouble()};
            i += 2;
        }
        else if (argument == QLatin1String("--cutaway")) options.cutaway = true;
        else if (argument == QLatin1String("--exaggeration") && i + 1 < arguments.size())
            options.exaggeration = arguments[++i].toDouble();
        else if (!argument.startsWith(QLatin1String("--"))) options.file = argument;
    }
    return options;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VexoraViewer"));
    const StartOptions options = readArguments(QApplication::arguments());
    vexora::MessageLog log;
    vexora::ui::ViewerWindow window(log);
    bool shown = true;
    std::unique_ptr<QSplashScreen> splash;
    if (!options.file.isEmpty()) {
        const auto path = vexora::ui::toFilePath(options.file);
        if (options.screenshot.isEmpty()) splash = vexora::ui::showScriptSplash(path);
        shown = window.open(path) == vexora::Status::Ok;
    }
    if (shown && !options.quantity.isEmpty())
        shown = window.setQuantity(vexora::ui::toWindows1252(options.quantity)) == vexora::Status::Ok;
    if (shown && options.cutaway) window.setCutaway(true);
    if (options.exaggeration != 1) window.setVerticalExaggeration(options.exaggeration);
    if (options.view) window.setViewDirection(options.view->first, options.view->second);
    window.show();
    if (splash) splash->finish(&window);
    if (options.screenshot.isEmpty()) return QApplication::exec();
    bool saved = shown && window.saveImage(vexora::ui::toFilePath(options.screenshot)) == vexora::Status::Ok;
    if (!options.windowShot.isEmpty()) saved = window.grab().save(options.windowShot) && saved;
    std::fputs(log.plainText().c_str(), stderr);
    return saved ? 0 : 1;
}
