#include "ui/qc/PseudoPlots.h"

#include <QPushButton>

#include "core/project/ProjectStore.h"
#include "core/qc/SurveyValues.h"
#include "ui/qc/PseudosectionPage.h"
#include "ui/qc/frmPlots.h"
#include "ui/shell/MainWindow.h"

namespace vexora::ui {

namespace {

// The measured quantity every data set has; no geometry is assumed.
constexpr char kPlottedQuantity[] = "V/I";

}  // namespace

PseudoPlots::PseudoPlots(const ProjectStore& store, MessageLog& log, Questions& questions, FileDialogs& dialogs,
                         QWidget* parent)
    : QTabWidget(parent)
{
    setObjectName("PseudoPlots");
    setWindowTitle("Pseudo Plots");
    sections_ = new PseudosectionPage(store, log, dialogs, this);
    histogram_ = new frmPlots(log, questions, this);
    addTab(sections_, "Pseudosections");
    addTab(histogram_, "V/I histogram");
    // Removing the chosen range is the field data window's work.
    histogram_->cmdApply->setEnabled(false);
    histogram_->cmdApply->setToolTip("Removing data needs the field data window, which is not in this release.");
}

void registerPlots(MDIStart& mainWindow, ProjectStore& store, MessageLog& log, Questions& questions,
                   FileDialogs& fileDialogs)
{
    mainWindow.taskWindows().registerWindow(
        TaskWindow::Histogram,
        [&store, &log, &questions, &fileDialogs]() -> QWidget* {
            std::vector<double> values;
            if (histogramValues(store.survey, kPlottedQuantity, false, values, log) != Status::Ok) return nullptr;
            return new PseudoPlots(store, log, questions, fileDialogs);
        },
        [&store, &log](QWidget* window, WindowMode) {
            // The data may have been loaded again since the last show.
            auto* plots = static_cast<PseudoPlots*>(window);
            plots->sections()->refresh();
            std::vector<double> values;
            if (histogramValues(store.survey, kPlottedQuantity, false, values, log) != Status::Ok) return;
            // A failure is logged and leaves the window as it was.
            (void)plots->histogram()->funPlotHistogram(std::move(values), kPlottedQuantity);
        });
}

}  // namespace vexora::ui
