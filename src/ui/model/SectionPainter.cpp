#include "ui/model/SectionPainter.h"

#include <QPainter>
#include <QPolygonF>

#include "ui/qc/ColourBar.h"

#include <algorithm>
#include <cmath>

namespace vexora::ui {

namespace {

QString number(double v) { return QString::number(v, 'g', 5); }

}  // namespace

QImage sectionImage(const ModelSection& section, bool linear)
{
    const double margin = 64, bar = 120, width = 1200;
    const double spanU = std::max(section.uMax - section.uMin, 1e-9), spanV = std::max(section.vMax - section.vMin, 1e-9);
    const double plotWidth = width - margin - bar;
    // True scale unless the section is so flat (or so tall) that it would
    // be less than 240 (or more than 1100) pixels high: then the vertical
    // axis is stretched (or squeezed), and the title says by how much.
    const double trueHeight = plotWidth * spanV / spanU;
    const double plotHeight = std::clamp(trueHeight, 240.0, 1100.0);
    const double exaggeration = plotHeight / trueHeight;
    QImage image(static_cast<int>(width), static_cast<int>(plotHeight + 2 * margin), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const QRectF plot(margin, margin, plotWidth, plotHeight);
    const double scaleU = plot.width() / spanU, scaleV = plot.height() / spanV;
    const auto toPoint = [&](double u, double v) {
        return QPointF(plot.left() + (u - section.uMin) * scaleU, plot.top() + (section.vMax - v) * scaleV);
    };

    std::vector<double> values;
    for (const SectionCell& c : section.cells) values.push_back(c.value);
    // A cumulative sensitivity (all positive) falls by decades with depth:
    // on a linear scale everything below the first layer looks the same.
    const bool positiveSensitivity = section.quantity == "Sensitivity" && !values.empty() &&
                                     *std::min_element(values.begin(), values.end()) > 0;
    const bool logarithmic = !linear && (section.quantity == "Resistivity" || section.quantity == "Conductivity" ||
                                         positiveSensitivity);
    const ColourScale colours = scaleFor(values, ColourMap::Sequential, logarithmic);
    for (const SectionCell& c : section.cells) {
        QPolygonF cell;
        for (const auto& [u, v] : c.corner) cell << toPoint(u, v);
        // Outlined in its own colour, so rounding leaves no seams between cells.
        const QColor colour = toColour(colours.colour(c.value));
        painter.setPen(colour);
        painter.setBrush(colour);
        painter.drawPolygon(cell);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (const auto& [u, v] : section.electrodes) {
        const QPointF p = toPoint(u, v);
        painter.drawPolygon(QPolygonF({p, p + QPointF(-5, -9), p + QPointF(5, -9)}));
    }

    painter.setBrush(Qt::NoBrush);
    painter.setPen(Qt::black);
    const QRectF drawn(toPoint(section.uMin, section.vMax), toPoint(section.uMax, section.vMin));
    painter.drawRect(drawn);
    const std::string names = sectionAxisNames(section.axis);
    const QString u = QString(QChar(names[0])), v = names[1] == 'z' ? QString("elevation") : QString(QChar(names[1]));
    const ColourScale uAxis{ColourMap::Sequential, section.uMin, section.uMax, false};
    for (double t : uAxis.ticks(8)) {
        const QPointF p = toPoint(t, section.vMin);
        painter.drawLine(p, p + QPointF(0, 4));
        painter.drawText(QRectF(p.x() - 40, p.y() + 5, 80, 16), Qt::AlignHCenter | Qt::AlignTop, number(t));
    }
    painter.drawText(QRectF(drawn.left(), drawn.bottom() + 20, drawn.width(), 16), Qt::AlignHCenter,
                     u + " (m)");
    const ColourScale vAxis{ColourMap::Sequential, section.vMin, section.vMax, false};
    for (double t : vAxis.ticks(5)) {
        const QPointF p = toPoint(section.uMin, t);
        painter.drawLine(p, p - QPointF(4, 0));
        painter.drawText(QRectF(0, p.y() - 8, margin - 8, 16), Qt::AlignRight | Qt::AlignVCenter, number(t));
    }
    const char* across = section.axis == SectionAxis::X ? "x" : section.axis == SectionAxis::Y ? "y" : "z";
    QString title = QString("%1 at %2 = %3 m (%4 against %5, m)")
                        .arg(QString::fromStdString(section.quantity), across, number(section.at), u, v);
    if (std::abs(exaggeration - 1) > 0.01)
        title += QString(", %1 scale x %2")
                     .arg(section.axis == SectionAxis::Z ? "y" : "vertical")
                     .arg(exaggeration, 0, 'f', 2);
    painter.drawText(QRectF(0, 8, width - bar, 20), Qt::AlignCenter, title);

    paintColourBar(painter, QRectF(width - bar + 16, margin, 22, plotHeight), colours, bar - 44);
    return image;
}

}  // namespace vexora::ui
