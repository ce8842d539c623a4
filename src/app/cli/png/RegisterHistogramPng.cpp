// Registers the renderer of `vexora histogram --png`: the plot the window
// shows, drawn into an image. Linked into the `vexora` executable only, so
// the command library and its tests stay free of Qt.

#include <cstdio>
#include <memory>

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>

#include "app/cli/HistogramPng.h"
#include "core/io/TextFile.h"
#include "ui/platform/TextConversion.h"
#include "ui/qc/HistogramPainter.h"

namespace {

// The command line reports through its own log: Qt's chatter about the
// environment (runtime folders, fonts) is dropped, its failures kept.
void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
}

bool renderHistogramPng(const vexora::HistogramModel& model, const std::string& path, std::string& why)
{
    // Text needs a GUI application; the offscreen platform needs no display,
    // whatever platform the environment names.
    std::unique_ptr<QGuiApplication> application;
    if (QCoreApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(quietQtMessages);
        static int argc = 1;
        static char name[] = "vexora";
        static char* argv[] = {name, nullptr};
        application = std::make_unique<QGuiApplication>(argc, argv);
    }
    const QImage image = vexora::ui::histogramImage(model, vexora::FilterMode::RemoveOutside);
    // Encoded in memory, then written as every other output is: whole or not
    // at all, so a full disk leaves the previous picture in place.
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        why = "the PNG image cannot be encoded";
        return false;
    }
    std::string written;
    if (!vexora::writeFileAtomically(path, std::string_view(png.constData(), static_cast<std::size_t>(png.size())),
                                     &written)) {
        why = "the PNG file cannot be written: " + written;
        return false;
    }
    return true;
}

const bool registered = (vexora::cli::setHistogramPngRenderer(renderHistogramPng), true);

}  // namespace
