#pragma once
// Drawing of a histogram: bars, axes with ticks and labels, the two filter
// bars and the statistics beside the plot. The window and `vexora histogram
// --png` draw with the same code.

#include <optional>

#include <QImage>
#include <QRectF>
#include <QString>

#include "core/qc/Histogram.h"

class QPainter;

namespace vexora::ui {

struct HistogramFrame {
    QRectF plot;   // the bars' area
    QRectF stats;  // the statistics column at the right
};

// With `withStatistics` false (the window, which has its own boxes) the
// plot takes the whole width.
HistogramFrame histogramFrame(const QRectF& area, bool withStatistics = true);

// Screen x of a value in the plot area, and back.
double valueToX(const HistogramModel& model, const QRectF& plot, double value);
double xToValue(const HistogramModel& model, const QRectF& plot, double x);

// Draws everything into `area`; without `filter` no filter bars (a plot
// nothing is removed from).
void paintHistogram(QPainter& painter, const QRectF& area, const HistogramModel& model,
                    std::optional<FilterMode> filter, bool withStatistics = true);

// A whole picture of the given size, on white.
QImage histogramImage(const HistogramModel& model, std::optional<FilterMode> filter, QSize size = QSize(960, 600));

// Text of a number with the quantity's decimals, trailing zeros kept.
QString valueText(double value, int decimals);

}  // namespace vexora::ui
