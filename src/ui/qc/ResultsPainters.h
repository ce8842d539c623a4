#pragma once
// The plots of an inversion's results: measured against modelled apparent
// resistivity on log-log axes with the 1:1 line, and RMS and chi2 per
// iteration. The results window and `vexora results --png` draw with the
// same code; the residual histogram is the histogram plot's.

#include <QImage>
#include <QRectF>

#include "core/jobs/JobLogMisfit.h"
#include "core/qc/DataFit.h"

class QPainter;

namespace vexora::ui {

// Decade-rounded logarithmic range covering every value (at least one decade).
struct LogRange {
    double low = 1, high = 10;
};
LogRange crossPlotRange(const DataFit& fit);

void paintCrossPlot(QPainter& painter, const QRectF& area, const DataFit& fit);
QImage crossPlotImage(const DataFit& fit, QSize size = QSize(800, 760));

void paintMisfitCurve(QPainter& painter, const QRectF& area, const JobLogMisfits& misfits);
QImage misfitImage(const JobLogMisfits& misfits, QSize size = QSize(960, 640));

}  // namespace vexora::ui
