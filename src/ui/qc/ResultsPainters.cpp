#include "ui/qc/ResultsPainters.h"

#include <algorithm>
#include <cmath>

#include <QPainter>
#include <QPainterPath>

#include "core/qc/Histogram.h"
#include "ui/qc/PaintedImage.h"

namespace vexora::ui {

namespace {

constexpr double kLeftMargin = 80, kRightMargin = 24, kTopMargin = 48, kBottomMargin = 56;
const QColor kPointColour(40, 90, 170, 150);
const QColor kIpColour(210, 110, 20);
const QColor kGridColour(225, 225, 225);

QFont fontOfSize(const QPainter& painter, int pixels, bool bold = false)
{
    QFont font = painter.font();
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void drawTitle(QPainter& painter, const QRectF& area, const QString& title)
{
    painter.setFont(fontOfSize(painter, 15, true));
    painter.setPen(Qt::black);
    painter.drawText(QRectF(area.left(), area.top() + 6, area.width(), 36), Qt::AlignHCenter | Qt::AlignTop, title);
    painter.setFont(fontOfSize(painter, 12));
}

void drawVerticalLabel(QPainter& painter, double x, double centreY, const QString& text)
{
    painter.save();
    painter.translate(x, centreY);
    painter.rotate(-90);
    painter.drawText(QRectF(-200, -10, 400, 20), Qt::AlignCenter, text);
    painter.restore();
}

// Screen position of a value on a log axis from `low` to `high` over [from, to].
double logPosition(double value, double low, double high, double from, double to)
{
    return from + (std::log10(value) - std::log10(low)) / (std::log10(high) - std::log10(low)) * (to - from);
}

QString decadeText(double value) { return QString::number(value, 'g', 6); }

// Decades, and 2 and 5 between them when few decades are shown.
std::vector<std::pair<double, bool>> logTicks(double low, double high)
{
    std::vector<std::pair<double, bool>> ticks;
    const int first = static_cast<int>(std::floor(std::log10(low) + 1e-9));
    const int last = static_cast<int>(std::ceil(std::log10(high) - 1e-9));
    const bool minor = last - first <= 3;
    for (int d = first; d <= last; ++d) {
        const double decade = std::pow(10.0, d);
        ticks.push_back({decade, true});
        if (minor && d < last)
            for (double m : {2.0, 5.0}) ticks.push_back({m * decade, false});
    }
    return ticks;
}

}  // namespace

LogRange crossPlotRange(const DataFit& fit)
{
    double low = 0, high = 0;
    for (const CrossPlotPoint& p : fit.points)
        for (double v : {p.measured, p.modelled}) {
            if (low == 0 || v < low) low = v;
            high = std::max(high, v);
        }
    if (!(low > 0)) return {};
    LogRange range{std::pow(10.0, std::floor(std::log10(low))), std::pow(10.0, std::ceil(std::log10(high)))};
    if (range.high <= range.low) range.high = range.low * 10;
    return range;
}

void paintCrossPlot(QPainter& painter, const QRectF& area, const DataFit& fit)
{
    painter.save();
    painter.fillRect(area, Qt::white);
    drawTitle(painter, area,
              QString("Measured against modelled apparent resistivity: %1 data, RMS %2 %, chi2 %3")
                  .arg(fit.points.size())
                  .arg(fit.rmsPercent, 0, 'f', 2)
                  .arg(fit.chi2, 0, 'f', 3));
    // A square plot, so the 1:1 line runs at 45 degrees.
    const double side = std::max(10.0, std::min(area.width() - kLeftMargin - kRightMargin,
                                                area.height() - kTopMargin - kBottomMargin));
    const QRectF plot(area.left() + kLeftMargin + (area.width() - kLeftMargin - kRightMargin - side) / 2,
                      area.top() + kTopMargin, side, side);
    const LogRange range = crossPlotRange(fit);
    const auto toX = [&](double v) { return logPosition(v, range.low, range.high, plot.left(), plot.right()); };
    const auto toY = [&](double v) { return logPosition(v, range.low, range.high, plot.bottom(), plot.top()); };

    const auto ticks = logTicks(range.low, range.high);
    painter.setPen(QPen(kGridColour, 1));
    for (const auto& [t, major] : ticks) {
        if (t < range.low || t > range.high) continue;
        painter.drawLine(QPointF(toX(t), plot.top()), QPointF(toX(t), plot.bottom()));
        painter.drawLine(QPointF(plot.left(), toY(t)), QPointF(plot.right(), toY(t)));
    }
    painter.setPen(QPen(Qt::darkGray, 1.5, Qt::DashLine));
    painter.drawLine(QPointF(plot.left(), plot.bottom()), QPointF(plot.right(), plot.top()));

    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kPointColour);
    const double radius = fit.points.size() > 5000 ? 1.5 : 3;
    for (const CrossPlotPoint& p : fit.points)
        painter.drawEllipse(QPointF(toX(p.measured), toY(p.modelled)), radius, radius);
    painter.setRenderHint(QPainter::Antialiasing, false);

    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
    for (const auto& [t, major] : ticks) {
        if (t < range.low || t > range.high) continue;
        const double length = major ? 6 : 3;
        painter.drawLine(QPointF(toX(t), plot.bottom()), QPointF(toX(t), plot.bottom() + length));
        painter.drawLine(QPointF(plot.left() - length, toY(t)), QPointF(plot.left(), toY(t)));
        if (!major && ticks.size() > 12) continue;
        painter.drawText(QRectF(toX(t) - 40, plot.bottom() + 8, 80, 16), Qt::AlignHCenter | Qt::AlignTop,
                         decadeText(t));
        painter.drawText(QRectF(plot.left() - 78, toY(t) - 8, 70, 16), Qt::AlignRight | Qt::AlignVCenter,
                         decadeText(t));
    }
    painter.drawText(QRectF(plot.left(), plot.bottom() + 28, plot.width(), 20), Qt::AlignHCenter | Qt::AlignTop,
                     "Measured apparent resistivity (ohm m)");
    drawVerticalLabel(painter, std::max(area.left() + 14, plot.left() - 56), plot.center().y(),
                      "Modelled apparent resistivity (ohm m)");
    if (fit.notPlotted > 0)
        painter.drawText(QRectF(plot.left() + 6, plot.top() + 4, plot.width() - 12, 16), Qt::AlignLeft | Qt::AlignTop,
                         QString("%1 data not shown (apparent resistivity of 0 or less)").arg(fit.notPlotted));
    painter.restore();
}

QImage crossPlotImage(const DataFit& fit, QSize size)
{
    return paintedImage(size, [&](QPainter& painter, const QRectF& area) { paintCrossPlot(painter, area, fit); });
}

void paintMisfitCurve(QPainter& painter, const QRectF& area, const JobLogMisfits& misfits)
{
    painter.save();
    painter.fillRect(area, Qt::white);
    const std::vector<IterationMisfit>& rho = misfits.resistivity;
    drawTitle(painter, area, "RMS and chi2 per iteration");
    if (rho.empty()) {
        painter.drawText(area, Qt::AlignCenter, "The job's log holds no misfit per iteration.");
        painter.restore();
        return;
    }
    const double gap = 48;
    const double height = std::max(10.0, (area.height() - kTopMargin - kBottomMargin - gap) / 2);
    const double width = std::max(10.0, area.width() - kLeftMargin - kRightMargin);
    const QRectF top(area.left() + kLeftMargin, area.top() + kTopMargin, width, height);
    const QRectF bottom(top.left(), top.bottom() + gap, width, height);

    int lastIteration = 1;
    for (const auto* series : {&rho, &misfits.ip})
        for (const IterationMisfit& m : *series) lastIteration = std::max(lastIteration, m.iteration);
    const auto toX = [&](const QRectF& plot, double i) { return plot.left() + i / lastIteration * plot.width(); };

    // RMS: linear from 0, on round ticks.
    double rmsHighest = 0;
    for (const IterationMisfit& m : rho) rmsHighest = std::max(rmsHighest, m.rms);
    const AxisRange rmsAxis = niceAxis(0, rmsHighest > 0 ? rmsHighest : 1, 5);
    const double rmsTop = rmsAxis.last > 0 ? rmsAxis.last : 1;
    const auto rmsY = [&](double v) { return top.bottom() - v / rmsTop * top.height(); };
    // chi2: logarithmic, with the noise level (1) always in range.
    double chiLow = 1, chiHigh = 1;
    for (const auto* series : {&rho, &misfits.ip})
        for (const IterationMisfit& m : *series)
            if (m.chi2 > 0) chiLow = std::min(chiLow, m.chi2), chiHigh = std::max(chiHigh, m.chi2);
    chiLow = std::pow(10.0, std::floor(std::log10(chiLow)));
    chiHigh = std::pow(10.0, std::ceil(std::log10(chiHigh)));
    if (chiHigh <= chiLow) chiHigh = chiLow * 10;
    const auto chiY = [&](double v) {
        return logPosition(std::max(v, chiLow), chiLow, chiHigh, bottom.bottom(), bottom.top());
    };

    painter.setPen(QPen(kGridColour, 1));
    const int step = std::max(1, lastIteration / 15);
    for (int i = 0; i <= lastIteration; i += step)
        for (const QRectF* plot : {&top, &bottom})
            painter.drawLine(QPointF(toX(*plot, i), plot->top()), QPointF(toX(*plot, i), plot->bottom()));
    painter.setPen(QPen(Qt::darkGray, 1.5, Qt::DashLine));
    painter.drawLine(QPointF(bottom.left(), chiY(1)), QPointF(bottom.right(), chiY(1)));

    const auto drawSeries = [&](const QRectF& plot, const std::vector<IterationMisfit>& series, const QColor& colour,
                                auto valueY) {
        QPainterPath path;
        for (std::size_t k = 0; k < series.size(); ++k) {
            const QPointF p(toX(plot, series[k].iteration), valueY(series[k]));
            if (k == 0) path.moveTo(p);
            else path.lineTo(p);
        }
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(colour, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
        painter.setBrush(colour);
        for (const IterationMisfit& m : series) painter.drawEllipse(QPointF(toX(plot, m.iteration), valueY(m)), 4, 4);
        painter.setRenderHint(QPainter::Antialiasing, false);
    };
    drawSeries(top, rho, kPointColour, [&](const IterationMisfit& m) { return rmsY(m.rms); });
    drawSeries(bottom, rho, kPointColour, [&](const IterationMisfit& m) { return chiY(m.chi2); });
    if (!misfits.ip.empty())
        drawSeries(bottom, misfits.ip, kIpColour, [&](const IterationMisfit& m) { return chiY(m.chi2); });

    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    for (const QRectF* plot : {&top, &bottom}) {
        painter.drawRect(*plot);
        for (int i = 0; i <= lastIteration; i += step) {
            painter.drawLine(QPointF(toX(*plot, i), plot->bottom()), QPointF(toX(*plot, i), plot->bottom() + 5));
            painter.drawText(QRectF(toX(*plot, i) - 20, plot->bottom() + 6, 40, 16), Qt::AlignHCenter | Qt::AlignTop,
                             QString::number(i));
        }
    }
    for (const double v : axisTicks(rmsAxis)) {
        if (v > rmsTop) continue;
        painter.drawLine(QPointF(top.left() - 5, rmsY(v)), QPointF(top.left(), rmsY(v)));
        painter.drawText(QRectF(top.left() - 78, rmsY(v) - 8, 70, 16), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(v, 'g', 6));
    }
    for (const auto& [t, major] : logTicks(chiLow, chiHigh)) {
        if (!major) continue;
        painter.drawLine(QPointF(bottom.left() - 5, chiY(t)), QPointF(bottom.left(), chiY(t)));
        painter.drawText(QRectF(bottom.left() - 78, chiY(t) - 8, 70, 16), Qt::AlignRight | Qt::AlignVCenter,
                         decadeText(t));
    }
    drawVerticalLabel(painter, area.left() + 14, top.center().y(), "RMS (%)");
    drawVerticalLabel(painter, area.left() + 14, bottom.center().y(),
                      misfits.robustWeights ? "chi2 (robust weights)" : "chi2");
    painter.drawText(QRectF(bottom.left(), bottom.bottom() + 26, bottom.width(), 20), Qt::AlignHCenter | Qt::AlignTop,
                     "Iteration");
    QString legend = "Resistivity; dashed: chi2 = 1, the noise level";
    if (!misfits.ip.empty()) legend = "Blue: resistivity, orange: IP; dashed: chi2 = 1, the noise level";
    if (misfits.resistivityFinal)
        legend += QString("; final unweighted RMS %1 %, chi2 %2")
                      .arg(misfits.resistivityFinal->unweightedRms, 0, 'f', 2)
                      .arg(misfits.resistivityFinal->unweightedChi2, 0, 'f', 3);
    painter.drawText(QRectF(bottom.left(), top.bottom() + 24, bottom.width(), 20), Qt::AlignLeft | Qt::AlignVCenter,
                     legend);
    painter.restore();
}

QImage misfitImage(const JobLogMisfits& misfits, QSize size)
{
    return paintedImage(size, [&](QPainter& painter, const QRectF& area) { paintMisfitCurve(painter, area, misfits); });
}

}  // namespace vexora::ui
