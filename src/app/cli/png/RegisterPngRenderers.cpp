// Registers the renderers of `vexora histogram --png`, `vexora
// pseudosection`, `vexora section` and `vexora results --png`: the plots the
// windows show, drawn into images. Linked into the `vexora` executable only,
// so the command library and its tests stay free of Qt.

#include <cstdio>
#include <memory>

#include <QGuiApplication>
#include <QImage>

#include "app/cli/PngRenderers.h"
#include "ui/platform/PngFile.h"
#include "ui/model/SectionPainter.h"
#include "ui/qc/CrossCablePainter.h"
#include "ui/qc/HistogramPainter.h"
#include "ui/qc/PseudosectionPainter.h"
#include "ui/qc/ResultsPainters.h"

namespace {

// The command line reports through its own log: Qt's chatter about the
// environment (runtime folders, fonts) is dropped, its failures kept.
void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
}

// Draws with `draw` and writes the PNG.
template <typename Draw>
bool writePng(const std::string& path, std::string& why, Draw draw)
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
    return vexora::ui::writePngFile(draw(), path, why);
}

const bool registered = [] {
    vexora::cli::PngRenderers& renderers = vexora::cli::pngRenderers();
    renderers.histogram = [](const vexora::HistogramModel& model, const std::string& path, std::string& why) {
        return writePng(path, why,
                        [&] { return vexora::ui::histogramImage(model, vexora::FilterMode::RemoveOutside); });
    };
    renderers.pseudosection = [](const std::vector<vexora::PseudosectionPanel>& panels,
                                 vexora::PseudoQuantity quantity, const std::string& path, std::string& why) {
        return writePng(path, why, [&] { return vexora::ui::pseudosectionImage(panels, quantity); });
    };
    renderers.section = [](const vexora::ModelSection& section, bool linear, const std::string& path,
                           std::string& why) {
        return writePng(path, why, [&] { return vexora::ui::sectionImage(section, linear); });
    };
    renderers.crossPlot = [](const vexora::DataFit& fit, const std::string& path, std::string& why) {
        return writePng(path, why, [&] { return vexora::ui::crossPlotImage(fit); });
    };
    renderers.misfit = [](const vexora::JobLogMisfits& misfits, const std::string& path, std::string& why) {
        return writePng(path, why, [&] { return vexora::ui::misfitImage(misfits); });
    };
    renderers.crossCable = [](const vexora::CrossCablePicture& picture, const std::string& caption,
                              const std::string& path, std::string& why) {
        return writePng(path, why, [&] {
            return vexora::ui::crossCableImage(picture, false, QString::fromStdString(caption));
        });
    };
    renderers.residuals = [](const vexora::HistogramModel& model, const std::string& path, std::string& why) {
        return writePng(path, why, [&] { return vexora::ui::histogramImage(model, std::nullopt); });
    };
    return true;
}();

}  // namespace
