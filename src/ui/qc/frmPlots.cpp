#include "ui/qc/frmPlots.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/platform/Application.h"
#include "core/settings/LenientNumber.h"
#include "ui/platform/RunHandler.h"
#include "ui/platform/TextConversion.h"
#include "ui/qc/HistogramPainter.h"
#include "ui/qc/HistogramView.h"

namespace vexora::ui {

frmPlots::frmPlots(MessageLog& log, Questions& questions, QWidget* parent)
    : QWidget(parent), log_(log), questions_(questions)
{
    setObjectName("frmPlots");
    view_ = new HistogramView(this);
    view_->setModel(&model_);

    txtBarWidth = new QLineEdit(this);
    lblBins = new QLabel(this);
    txtXnr = new QLineEdit(this);
    txtYnr = new QLineEdit(this);
    optX = new QCheckBox("first:step:last", this);
    optY = new QCheckBox("first:step:last", this);
    optX->setChecked(true);
    optY->setChecked(true);
    cmdReplot = new QPushButton("Replot", this);
    cmdReplot->setToolTip("Draw the histogram again with the bar width and axes given");
    auto* bars = new QGroupBox("Bars and axes", this);
    auto* barsLayout = new QFormLayout(bars);
    barsLayout->addRow("Bar width:", txtBarWidth);
    barsLayout->addRow(lblBins);
    auto* xRow = new QHBoxLayout;
    xRow->addWidget(txtXnr);
    xRow->addWidget(optX);
    barsLayout->addRow("X axis:", xRow);
    auto* yRow = new QHBoxLayout;
    yRow->addWidget(txtYnr);
    yRow->addWidget(optY);
    barsLayout->addRow("Y axis:", yRow);
    barsLayout->addRow(cmdReplot);

    txtMINFilter = new QLineEdit(this);
    txtMAXFilter = new QLineEdit(this);
    optFilterOutside = new QRadioButton("Remove outside the range", this);
    optFilterInside = new QRadioButton("Remove inside the range", this);
    optFilterOutside->setChecked(true);
    cmdApply = new QPushButton("Apply", this);
    cmdApply->setToolTip("Remove the data inside or outside the range given");
    auto* filter = new QGroupBox("Filter", this);
    auto* filterLayout = new QFormLayout(filter);
    filterLayout->addRow("Min:", txtMINFilter);
    filterLayout->addRow("Max:", txtMAXFilter);
    filterLayout->addRow(optFilterOutside);
    filterLayout->addRow(optFilterInside);
    filterLayout->addRow(cmdApply);

    lblStatistics = new QLabel(this);
    lblStatistics->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* statistics = new QGroupBox("Statistics", this);
    (new QVBoxLayout(statistics))->addWidget(lblStatistics);

    auto* side = new QVBoxLayout;
    side->addWidget(statistics);
    side->addWidget(bars);
    side->addWidget(filter);
    side->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(view_, 1);
    layout->addLayout(side);

    connect(cmdReplot, &QPushButton::clicked, this, [this] { funReplotHistogram(); });
    connect(cmdApply, &QPushButton::clicked, this, [this] { cmdApply_Click(); });
    connect(view_, &HistogramView::filterMoved, this, [this](double l, double u) { funMoveFilterBars(l, u); });
    connect(txtMINFilter, &QLineEdit::editingFinished, this, [this] { filterTextEdited(); });
    connect(txtMAXFilter, &QLineEdit::editingFinished, this, [this] { filterTextEdited(); });
    for (QRadioButton* option : {optFilterOutside, optFilterInside})
        connect(option, &QRadioButton::toggled, this, [this] { view_->setFilterMode(filterMode()); });
}

Status frmPlots::funPlotHistogram(std::vector<double> values, const std::string& quantity)
{
    Status status = Status::Error;
    runHandler(log_, "funPlotHistogram", [&] {
        status = vexora::funPlotHistogram(std::move(values), quantity, model_, log_);
        if (status != Status::Ok) return;
        setWindowTitle(toQString(model_.quantity.name) + " data histogram");
        optX->setChecked(true);
        optY->setChecked(true);
        showModel();
    });
    return status;
}

void frmPlots::showModel()
{
    const int d = model_.quantity.decimals;
    const HistogramStatistics& s = model_.stats;
    QString text = QString("n: %1\nMin: %2\nMax: %3\nMean: %4\nMedian: %5\nStd. dev.: %6")
                           .arg(s.count)
                           .arg(valueText(s.min, d), valueText(s.max, d), valueText(s.mean, d),
                                valueText(s.median, d), s.count > 1 ? valueText(s.stdDev, d) : QString("-"));
    if (s.excludedNotComputed + s.excludedNotANumber > 0)
        text += QString("\nLeft out: %1 not computed, %2 not a number")
                        .arg(s.excludedNotComputed)
                        .arg(s.excludedNotANumber);
    lblStatistics->setText(text);
    txtBarWidth->setText(valueText(model_.binWidth, d));
    lblBins->setText(QString("Number of bins: %1").arg(model_.binCount));
    txtXnr->setText(toQString(axisText(model_.xAxis, d)));
    txtYnr->setText(toQString(axisText(model_.yAxis, 0)));
    txtMINFilter->setText(valueText(model_.filterMin, d));
    txtMAXFilter->setText(valueText(model_.filterMax, d));
    view_->update();
}

FilterMode frmPlots::filterMode() const
{
    return optFilterInside->isChecked() ? FilterMode::RemoveInside : FilterMode::RemoveOutside;
}

std::string frmPlots::axisTextFor(QCheckBox* option, QLineEdit* text, bool xAxis) const
{
    const std::string typed = toWindows1252(text->text());
    if (option->isChecked()) return typed;
    // A number of tick labels spread over the data (or count) range.
    bool found = false;
    const double ticks = lenientNumber(typed, found);
    if (!found || ticks < 2 || ticks > 100) return {};
    AxisRange range;
    if (xAxis) {
        range = niceAxis(model_.bins.front().lower, model_.bins.back().upper, static_cast<int>(ticks) - 1);
    } else {
        std::int32_t highest = 1;
        for (const HistogramBin& bin : model_.bins) highest = std::max(highest, bin.count);
        range = niceAxis(0, highest, static_cast<int>(ticks) - 1);
        range.first = 0;
    }
    return axisText(range, 0);
}

void frmPlots::funReplotHistogram()
{
    runHandler(log_, "funReplotHistogram", [&] {
        if (model_.empty()) return;
        const std::string message =
                vexora::funReplotHistogram(model_, toWindows1252(txtBarWidth->text()), axisTextFor(optX, txtXnr, true),
                                           axisTextFor(optY, txtYnr, false));
        if (!message.empty()) {
            questions_.showMessage(std::string(kApplicationTitle) + " - Warning", message, MessageIcon::Exclamation);
            if (message.rfind("Number of bins", 0) != 0) return;  // axis errors keep the previous plot
            setDefaultAxes(model_);
        }
        const int d = model_.quantity.decimals;
        txtBarWidth->setText(valueText(model_.binWidth, d));
        lblBins->setText(QString("Number of bins: %1").arg(model_.binCount));
        if (optX->isChecked()) txtXnr->setText(toQString(axisText(model_.xAxis, d)));
        if (optY->isChecked()) txtYnr->setText(toQString(axisText(model_.yAxis, 0)));
        view_->update();
    });
}

void frmPlots::funMoveFilterBars(double lower, double upper)
{
    const int d = model_.quantity.decimals;
    txtMINFilter->setText(valueText(lower, d));
    txtMAXFilter->setText(valueText(upper, d));
}

void frmPlots::filterTextEdited()
{
    runHandler(log_, "funMoveFilterBars", [&] {
        if (model_.empty()) return;
        setFilterRange(model_, lenientNumber(toWindows1252(txtMINFilter->text())),
                       lenientNumber(toWindows1252(txtMAXFilter->text())));
        view_->update();
    });
}

void frmPlots::cmdApply_Click()
{
    runCommand(log_, questions_, "cmdApply_Click", [&] {
        if (model_.empty()) return;
        // The texts are what the user sees: typed or dragged values.
        setFilterRange(model_, lenientNumber(toWindows1252(txtMINFilter->text())),
                       lenientNumber(toWindows1252(txtMAXFilter->text())));
        const FilterRequest request = filterRequest(model_, filterMode());
        if (applyHandler_) applyHandler_(request);
        emit filterApplied(request);
    });
}

}  // namespace vexora::ui
