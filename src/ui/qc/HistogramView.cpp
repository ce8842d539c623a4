#include "ui/qc/HistogramView.h"

#include <cmath>

#include <QMouseEvent>
#include <QPainter>

#include "ui/qc/HistogramPainter.h"

namespace vexora::ui {

namespace {
constexpr double kGrabDistance = 8;  // pixels either side of a bar
}

HistogramView::HistogramView(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(false);
    setMinimumSize(480, 300);
}

double HistogramView::xOfValue(double value) const
{
    if (!model_) return 0;
    return valueToX(*model_, histogramFrame(QRectF(rect()), false).plot, value);
}

void HistogramView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!model_ || model_->empty()) {
        painter.fillRect(rect(), Qt::white);
        return;
    }
    paintHistogram(painter, QRectF(rect()), *model_, mode_, false);
}

void HistogramView::mousePressEvent(QMouseEvent* event)
{
    if (!model_ || model_->empty() || event->button() != Qt::LeftButton) return;
    const double x = event->position().x();
    const double lower = std::abs(x - xOfValue(model_->filterMin));
    const double upper = std::abs(x - xOfValue(model_->filterMax));
    if (std::min(lower, upper) > kGrabDistance) return;
    // When the bars overlap, the upper one is taken to the right of them.
    dragged_ = lower < upper || (lower == upper && x < xOfValue(model_->filterMin)) ? Dragged::Lower : Dragged::Upper;
}

void HistogramView::mouseMoveEvent(QMouseEvent* event)
{
    if (dragged_ == Dragged::None || !model_) return;
    const QRectF plot = histogramFrame(QRectF(rect()), false).plot;
    const double x = std::clamp(event->position().x(), plot.left(), plot.right());
    const double value = xToValue(*model_, plot, x);
    double lower = model_->filterMin, upper = model_->filterMax;
    if (dragged_ == Dragged::Lower) lower = std::min(value, upper);
    else upper = std::max(value, lower);
    setFilterRange(*model_, lower, upper);
    update();
    emit filterMoved(lower, upper);
}

void HistogramView::mouseReleaseEvent(QMouseEvent* event)
{
    if (dragged_ != Dragged::None) mouseMoveEvent(event);
    dragged_ = Dragged::None;
}

}  // namespace vexora::ui
