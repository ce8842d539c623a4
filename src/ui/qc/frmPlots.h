#pragma once
// The histogram window: the distribution of one quantity with its
// statistics, adjustable bars and axes, and two filter bars whose range
// "Apply" hands back to the window that opened it.

#include <functional>
#include <vector>

#include <QWidget>

#include "core/log/MessageLog.h"
#include "core/platform/Questions.h"
#include "core/qc/Histogram.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vexora::ui {

class HistogramView;

class frmPlots : public QWidget {
    Q_OBJECT
public:
    using ApplyHandler = std::function<void(const FilterRequest&)>;

    frmPlots(MessageLog& log, Questions& questions, QWidget* parent = nullptr);

    // Opens the plot for the values; Error (logged) when nothing can be drawn.
    Status funPlotHistogram(std::vector<double> values, const std::string& quantity);
    // The removal operation of the window that opened this one.
    void setApplyHandler(ApplyHandler handler) { applyHandler_ = std::move(handler); }

    const HistogramModel& model() const { return model_; }
    HistogramView* view() const { return view_; }

    // Controls by their workbench names, for the field-data window and tests.
    QLineEdit* txtBarWidth = nullptr;
    QLineEdit* txtXnr = nullptr;
    QLineEdit* txtYnr = nullptr;
    QCheckBox* optX = nullptr;
    QCheckBox* optY = nullptr;
    QLineEdit* txtMINFilter = nullptr;
    QLineEdit* txtMAXFilter = nullptr;
    QRadioButton* optFilterOutside = nullptr;
    QRadioButton* optFilterInside = nullptr;
    QPushButton* cmdReplot = nullptr;
    QPushButton* cmdApply = nullptr;
    QLabel* lblBins = nullptr;
    QLabel* lblStatistics = nullptr;

signals:
    void filterApplied(const vexora::FilterRequest& request);

private:
    void funReplotHistogram();
    void funMoveFilterBars(double lower, double upper);
    void filterTextEdited();
    void cmdApply_Click();
    void showModel();
    FilterMode filterMode() const;
    std::string axisTextFor(QCheckBox* option, QLineEdit* text, bool xAxis) const;

    MessageLog& log_;
    Questions& questions_;
    HistogramModel model_;
    HistogramView* view_ = nullptr;
    ApplyHandler applyHandler_;
};

}  // namespace vexora::ui
