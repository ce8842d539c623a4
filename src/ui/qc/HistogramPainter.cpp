#include "ui/qc/HistogramPainter.h"

#include <algorithm>
#include <cmath>

#include <QPainter>
#include <QPainterPath>

#include "core/settings/NumberText.h"
#include "ui/qc/PaintedImage.h"

namespace vexora::ui {

namespace {

constexpr double kLeftMargin = 72, kRightMargin = 16, kTopMargin = 40, kBottomMargin = 56;
constexpr double kStatsWidth = 200;

const QColor kBarFill(70, 130, 180);
const QColor kBarEdge(30, 70, 110);
const QColor kKeptFilter(0, 140, 60);
const QColor kRemovedFilter(200, 30, 30);

QString tickText(double value)
{
    // Ticks are round numbers; their shortest form reads best.
    if (std::abs(value) < 1e-12) value = 0;
    return QString::number(value, 'g', 8);
}

double countToY(const HistogramModel& model, const QRectF& plot, double count)
{
    const double span = model.yAxis.last - model.yAxis.first;
    if (!(span > 0)) return plot.bottom();
    return plot.bottom() - (count - model.yAxis.first) / span * plot.height();
}

}  // namespace

QString valueText(double value, int decimals) { return QString::fromStdString(formatFixed(value, decimals)); }

HistogramFrame histogramFrame(const QRectF& area, bool withStatistics)
{
    HistogramFrame frame;
    const double statsWidth = withStatistics && area.width() > 2 * kStatsWidth ? kStatsWidth : 0;
    frame.plot = QRectF(area.left() + kLeftMargin, area.top() + kTopMargin,
                        std::max(10.0, area.width() - kLeftMargin - kRightMargin - statsWidth),
                        std::max(10.0, area.height() - kTopMargin - kBottomMargin));
    frame.stats = QRectF(frame.plot.right() + kRightMargin, frame.plot.top(), statsWidth - kRightMargin,
                         frame.plot.height());
    return frame;
}

double valueToX(const HistogramModel& model, const QRectF& plot, double value)
{
    const double span = model.xAxis.last - model.xAxis.first;
    if (!(span > 0)) return plot.center().x();
    return plot.left() + (value - model.xAxis.first) / span * plot.width();
}

double xToValue(const HistogramModel& model, const QRectF& plot, double x)
{
    const double span = model.xAxis.last - model.xAxis.first;
    if (!(span > 0) || !(plot.width() > 0)) return model.xAxis.first;
    return model.xAxis.first + (x - plot.left()) / plot.width() * span;
}

void paintHistogram(QPainter& painter, const QRectF& area, const HistogramModel& model,
                    std::optional<FilterMode> filter, bool withStatistics)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(area, Qt::white);
    const HistogramFrame frame = histogramFrame(area, withStatistics);
    const QRectF& plot = frame.plot;
    QFont font = painter.font();
    font.setPixelSize(12);
    painter.setFont(font);
    const QFontMetricsF metrics(font);

    QFont titleFont = font;
    titleFont.setPixelSize(15);
    titleFont.setBold(true);
    painter.setFont(titleFont);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(area.left(), area.top() + 6, area.width(), 24), Qt::AlignHCenter | Qt::AlignVCenter,
                     QString::fromStdString(model.quantity.name) + " data histogram");
    painter.setFont(font);

    // Grid and ticks.
    const std::vector<double> xTicks = axisTicks(model.xAxis);
    const std::vector<double> yTicks = axisTicks(model.yAxis);
    painter.setPen(QPen(QColor(225, 225, 225), 1));
    for (double t : yTicks) painter.drawLine(QPointF(plot.left(), countToY(model, plot, t)),
                                             QPointF(plot.right(), countToY(model, plot, t)));

    // Bars, clipped to the plot so typed axes may cut them.
    painter.save();
    painter.setClipRect(plot);
    painter.setPen(model.bins.size() > 400 ? Qt::NoPen : QPen(kBarEdge, 1));
    painter.setBrush(kBarFill);
    for (const HistogramBin& bin : model.bins) {
        if (bin.count == 0) continue;
        const double left = valueToX(model, plot, bin.lower);
        const double right = std::max(valueToX(model, plot, bin.upper), left + 1);
        const double top = countToY(model, plot, bin.count);
        painter.drawRect(QRectF(QPointF(left, top), QPointF(right, plot.bottom())));
    }

    // Filter bars; the side the removal takes is shaded in red.
    if (filter) {
        const FilterMode mode = *filter;
        const double low = valueToX(model, plot, model.filterMin);
        const double high = valueToX(model, plot, model.filterMax);
        QColor shade = kRemovedFilter;
        shade.setAlpha(40);
        painter.setPen(Qt::NoPen);
        painter.setBrush(shade);
        if (mode == FilterMode::RemoveOutside) {
            painter.drawRect(QRectF(QPointF(plot.left(), plot.top()), QPointF(low, plot.bottom())));
            painter.drawRect(QRectF(QPointF(high, plot.top()), QPointF(plot.right(), plot.bottom())));
        } else {
            painter.drawRect(QRectF(QPointF(low, plot.top()), QPointF(high, plot.bottom())));
        }
        const QColor barColour = mode == FilterMode::RemoveOutside ? kKeptFilter : kRemovedFilter;
        painter.setPen(QPen(barColour, 2, Qt::DashLine));
        painter.drawLine(QPointF(low, plot.top()), QPointF(low, plot.bottom()));
        painter.drawLine(QPointF(high, plot.top()), QPointF(high, plot.bottom()));
        painter.setBrush(barColour);
        painter.setPen(Qt::NoPen);
        for (double x : {low, high}) painter.drawRect(QRectF(x - 5, plot.top() - 1, 10, 10));  // drag handles
    }
    painter.restore();

    // Axes, ticks and labels.
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
    for (double t : xTicks) {
        const double x = valueToX(model, plot, t);
        painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 5));
        painter.drawText(QRectF(x - 50, plot.bottom() + 6, 100, 16), Qt::AlignHCenter | Qt::AlignTop, tickText(t));
    }
    for (double t : yTicks) {
        const double y = countToY(model, plot, t);
        painter.drawLine(QPointF(plot.left() - 5, y), QPointF(plot.left(), y));
        painter.drawText(QRectF(plot.left() - 70, y - 8, 62, 16), Qt::AlignRight | Qt::AlignVCenter, tickText(t));
    }
    painter.drawText(QRectF(plot.left(), plot.bottom() + 26, plot.width(), 20), Qt::AlignHCenter | Qt::AlignTop,
                     QString::fromStdString(model.quantity.unitLabel));
    painter.save();
    painter.translate(area.left() + 14, plot.center().y());
    painter.rotate(-90);
    painter.drawText(QRectF(-60, -10, 120, 20), Qt::AlignCenter, "Count");
    painter.restore();

    // Statistics beside the plot.
    if (frame.stats.width() > 0) {
        const HistogramStatistics& s = model.stats;
        const int d = model.quantity.decimals;
        QStringList lines = {QString("n: %1").arg(s.count),
                             "Min: " + valueText(s.min, d),
                             "Max: " + valueText(s.max, d),
                             "Mean: " + valueText(s.mean, d),
                             "Median: " + valueText(s.median, d),
                             "Std. dev.: " + (s.count > 1 ? valueText(s.stdDev, d) : QString("-")),
                             "",
                             "Bar width: " + valueText(model.binWidth, d),
                             QString("Number of bins: %1").arg(model.binCount)};
        if (filter)
            lines << "" << "Filter min: " + valueText(model.filterMin, d)
                  << "Filter max: " + valueText(model.filterMax, d)
                  << QString("In range: %1").arg(countInRange(model, model.filterMin, model.filterMax));
        if (s.excludedNotComputed + s.excludedNotANumber > 0)
            lines << "" << QString("Left out: %1").arg(s.excludedNotComputed + s.excludedNotANumber);
        double y = frame.stats.top();
        for (const QString& line : lines) {
            painter.drawText(QPointF(frame.stats.left(), y + metrics.ascent()), line);
            y += metrics.height() + 2;
        }
    }
    painter.restore();
}

QImage histogramImage(const HistogramModel& model, std::optional<FilterMode> filter, QSize size)
{
    return paintedImage(size, [&](QPainter& painter, const QRectF& area) { paintHistogram(painter, area, model, filter); });
}

}  // namespace vexora::ui
