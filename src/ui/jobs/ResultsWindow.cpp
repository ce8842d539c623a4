#include "ui/jobs/ResultsWindow.h"

#include <algorithm>
#include <functional>

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/settings/NumberText.h"
#include "core/shell/ExternalPrograms.h"
#include "ui/platform/FileDialogs.h"
#include "ui/platform/PngFile.h"
#include "ui/platform/RunHandler.h"
#include "ui/platform/TextConversion.h"
#include "ui/qc/HistogramPainter.h"
#include "ui/qc/ResultsPainters.h"
#include "ui/shell/ShellEnvironment.h"

namespace vexora::ui {

namespace {

constexpr const char* kSource = "Results";

// Paints one plot into its whole area, again on every resize.
class PlotView : public QWidget {
public:
    using Paint = std::function<void(QPainter&, const QRectF&)>;
    PlotView(Paint paint, QWidget* parent) : QWidget(parent), paint_(std::move(paint)) { setMinimumSize(480, 360); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        paint_(painter, QRectF(rect()));
    }

private:
    Paint paint_;
};

enum Tab { CrossPlotTab = 0, MisfitTab = 1, ResidualTab = 2 };
const char* const kImageNames[] = {"crossplot.png", "misfit.png", "residuals.png"};

}  // namespace

ResultsWindow::ResultsWindow(JobResults results, MessageLog& log, Questions& questions, UserSettings& userSettings,
                             FileDialogs& fileDialogs, const ShellEnvironment& environment, QWidget* parent)
    : QWidget(parent, Qt::Window),
      results_(std::move(results)),
      log_(log),
      questions_(questions),
      userSettings_(userSettings),
      fileDialogs_(fileDialogs),
      environment_(environment),
      tabs_(new QTabWidget(this)),
      cmdOpenModel_(new QPushButton(tr("Open model in viewer"), this))
{
    setObjectName(QStringLiteral("ResultsWindow"));
    setWindowTitle(tr("Results - %1").arg(fromFilePath(results_.folder)));
    tabs_->setObjectName(QStringLiteral("tabsResults"));
    cmdOpenModel_->setObjectName(QStringLiteral("cmdOpenModel"));
    cmdOpenModel_->setToolTip(tr("Start the 3D viewer on the inverted model"));
    cmdOpenModel_->setEnabled(!results_.modelFile.empty());
    auto* cmdSave = new QPushButton(tr("Save image..."), this);
    cmdSave->setObjectName(QStringLiteral("cmdSaveImage"));
    cmdSave->setToolTip(tr("Save the plot shown as a PNG image"));

    const JobResults& r = results_;
    tabs_->addTab(new PlotView([&r](QPainter& p, const QRectF& area) { paintCrossPlot(p, area, r.fit); }, this),
                  tr("Measured vs modelled"));
    tabs_->addTab(new PlotView([&r](QPainter& p, const QRectF& area) { paintMisfitCurve(p, area, r.misfits); }, this),
                  tr("RMS and chi2 per iteration"));
    tabs_->addTab(new PlotView([&r](QPainter& p, const QRectF& area) {
                      paintHistogram(p, area, r.residuals, std::nullopt);
                  }, this),
                  tr("Residual histogram"));

    auto* lastLine = new QLabel(tr("Last log line: %1").arg(toQString(r.lastLogLine)), this);
    lastLine->setObjectName(QStringLiteral("lblLastLogLine"));
    auto* commands = new QHBoxLayout;
    commands->addWidget(lastLine, 1);
    commands->addWidget(cmdOpenModel_);
    commands->addWidget(cmdSave);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_, 1);
    layout->addLayout(commands);
    resize(980, 800);

    connect(cmdSave, &QPushButton::clicked, this, [this] { saveImage(); });
    connect(cmdOpenModel_, &QPushButton::clicked, this, [this] { openModel(); });
}

QImage ResultsWindow::tabImage(int tab) const
{
    switch (tab) {
    case CrossPlotTab: return crossPlotImage(results_.fit);
    case MisfitTab: return misfitImage(results_.misfits);
    default: return histogramImage(results_.residuals, std::nullopt);
    }
}

void ResultsWindow::saveImage()
{
    runHandler(log_, "cmdSaveImage", [&] {
        const int tab = tabs_->currentIndex();
        const QString proposed = fromFilePath(results_.folder / kImageNames[std::clamp(tab, 0, 2)]);
        const QString path = fileDialogs_.saveFileName(this, tr("Save image"), proposed, "PNG image (*.png)");
        if (path.isEmpty()) return;
        std::string why;
        if (!writePngFile(tabImage(tab), toWindows1252(path), why))
            (void)log_.error(kSource, toWindows1252(path) + ": " + why);
        else log_.subWriteToTextBox("Image saved in " + toWindows1252(path) + kLineBreak);
    });
}

void ResultsWindow::openModel()
{
    runHandler(log_, "cmdOpenModel", [&] {
        std::filesystem::path script;
        if (writeResultsViewerScript(results_, script, log_) != Status::Ok) return;
        ExternalEnvironment external{userSettings_, questions_, *environment_.launcher, *environment_.roots,
                                     log_,          nullptr,    environment_.userDataFolder};
        // A program not started was reported to the user.
        (void)RunExternal(external, kViewerProgram, script);
    });
}

ResultsWindow* showJobResults(const std::filesystem::path& folder, MessageLog& log, Questions& questions,
                              UserSettings& userSettings, FileDialogs& fileDialogs,
                              const ShellEnvironment& environment, QWidget* parent)
{
    JobResults results;
    if (loadJobResults(folder, results, log) != Status::Ok) return nullptr;
    log.subWriteToTextBox("Results of " + folder.string() + ": " + std::to_string(results.fit.residualRows.size()) +
                          " data compared, RMS " + formatFixed(results.fit.rmsPercent, 2) + " %, chi2 " +
                          formatFixed(results.fit.chi2, 3) + kLineBreak);
    auto* window = new ResultsWindow(std::move(results), log, questions, userSettings, fileDialogs, environment, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

}  // namespace vexora::ui
