#include "ui/qc/PseudosectionPainter.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

#include "ui/qc/ColourBar.h"

namespace vexora::ui {

namespace {

constexpr double kBarWidth = 110;  // colour bar and its labels at the right
constexpr double kMargin = 56;     // for the axis labels

// The median gap between neighbouring distinct values, or `fallback`: real
// electrode positions are not exactly regular, and the smallest gap would
// draw the cells as slivers.
double typicalGap(std::vector<double> v, double fallback)
{
    std::sort(v.begin(), v.end());
    std::vector<double> gaps;
    for (std::size_t i = 1; i < v.size(); ++i)
        if (double d = v[i] - v[i - 1]; d > 1e-6 * std::max(1.0, std::abs(v[i]))) gaps.push_back(d);
    if (gaps.empty()) return fallback;
    std::nth_element(gaps.begin(), gaps.begin() + static_cast<std::ptrdiff_t>(gaps.size() / 2), gaps.end());
    return gaps[gaps.size() / 2];
}

// Per point: the distance to the nearest other point at the same
// pseudo-depth, between `gap` and four times it.
std::vector<double> levelWidths(const std::vector<PseudoPoint>& points, double gap)
{
    std::vector<std::size_t> order(points.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    const auto level = [&](std::size_t i) { return std::round(points[i].depth * 1e6); };
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return level(a) != level(b) ? level(a) < level(b) : points[a].x < points[b].x;
    });
    std::vector<double> widths(points.size(), 4 * gap);
    for (std::size_t k = 0; k + 1 < order.size(); ++k) {
        const std::size_t a = order[k], b = order[k + 1];
        if (level(a) != level(b)) continue;
        const double d = points[b].x - points[a].x;
        if (d <= 1e-9) continue;
        widths[a] = std::min(widths[a], d), widths[b] = std::min(widths[b], d);
    }
    for (double& w : widths) w = std::max(w, gap);
    return widths;
}

QString number(double v)
{
    return QString::number(v, 'g', 4);
}

void paintPanel(QPainter& painter, const QRectF& frame, const PseudosectionPanel& panel, PseudoQuantity quantity,
                const ColourScale& scale)
{
    const QRectF plot = frame.adjusted(kMargin, 28, -12, -36);
    double deepest = 0, left = 0, right = panel.length;
    std::vector<double> xs, depths;
    for (const PseudoPoint& p : panel.points) {
        deepest = std::max(deepest, p.depth);
        left = std::min(left, p.x), right = std::max(right, p.x);
        xs.push_back(p.x), depths.push_back(p.depth);
    }
    const double dx = typicalGap(xs, std::max(right - left, 1.0) / 20);
    // Mixed arrays put pseudo-depths close together: cells at least a
    // twentieth of the section high stay visible.
    const double dz = std::max(typicalGap(depths, deepest / 10), deepest / 20);
    left -= dx / 2, right += dx / 2, deepest += dz;
    const auto toX = [&](double x) { return plot.left() + (x - left) / (right - left) * plot.width(); };
    const auto toY = [&](double z) { return plot.top() + z / deepest * plot.height(); };

    painter.setPen(Qt::black);
    painter.drawText(QRectF(frame.left(), frame.top(), frame.width(), 24), Qt::AlignCenter,
                     QString("Cable %1: %2, %3 data")
                         .arg(QString::fromStdString(panel.cable), QString::fromStdString(pseudoQuantityLabel(quantity)))
                         .arg(panel.points.size()));
    painter.setPen(Qt::NoPen);
    // Arrays stagger their levels (dipole-dipole data at one pseudo-depth
    // stand a whole spacing apart): each cell reaches its nearest neighbour
    // on its own level, within four typical gaps.
    const std::vector<double> widths = levelWidths(panel.points, dx);
    const double h = std::max(2.0, toY(dz) - toY(0));
    for (std::size_t i = 0; i < panel.points.size(); ++i) {
        const PseudoPoint& p = panel.points[i];
        const double w = std::max(2.0, toX(widths[i]) - toX(0));
        painter.setBrush(toColour(scale.colour(p.value)));
        painter.drawRect(QRectF(toX(p.x) - w / 2, toY(p.depth) - h / 2, w, h));
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(Qt::black);
    painter.drawRect(plot);
    const ColourScale xAxis{ColourMap::Sequential, left, right, false};
    for (double t : xAxis.ticks(8)) {
        painter.drawLine(QPointF(toX(t), plot.bottom()), QPointF(toX(t), plot.bottom() + 4));
        painter.drawText(QRectF(toX(t) - 40, plot.bottom() + 5, 80, 16), Qt::AlignHCenter | Qt::AlignTop, number(t));
    }
    painter.drawText(QRectF(plot.left(), plot.bottom() + 18, plot.width(), 16), Qt::AlignHCenter,
                     "Distance along the line (m)");
    const ColourScale zAxis{ColourMap::Sequential, 0, deepest, false};
    for (double t : zAxis.ticks(4)) {
        painter.drawLine(QPointF(plot.left() - 4, toY(t)), QPointF(plot.left(), toY(t)));
        painter.drawText(QRectF(frame.left(), toY(t) - 8, kMargin - 8, 16), Qt::AlignRight | Qt::AlignVCenter,
                         number(t));
    }
    painter.save();
    painter.translate(frame.left() + 12, plot.center().y());
    painter.rotate(-90);
    painter.drawText(QRectF(-plot.height() / 2, -10, plot.height(), 16), Qt::AlignCenter, "Pseudo-depth (m)");
    painter.restore();
}

}  // namespace

ColourScale pseudosectionScale(const std::vector<PseudosectionPanel>& panels, PseudoQuantity quantity)
{
    std::vector<double> values;
    for (const PseudosectionPanel& panel : panels)
        for (const PseudoPoint& p : panel.points) values.push_back(p.value);
    return scaleFor(std::move(values),
                    quantity == PseudoQuantity::MisfitPercent ? ColourMap::Diverging : ColourMap::Sequential,
                    logarithmicScale(quantity));
}

void paintPseudosections(QPainter& painter, const QRectF& area, const std::vector<PseudosectionPanel>& panels,
                         PseudoQuantity quantity, const ColourScale& scale)
{
    const QRectF panelsArea = area.adjusted(0, 0, -kBarWidth, 0);
    const double height = panelsArea.height() / static_cast<double>(std::max<std::size_t>(panels.size(), 1));
    for (std::size_t i = 0; i < panels.size(); ++i)
        paintPanel(painter, QRectF(panelsArea.left(), panelsArea.top() + i * height, panelsArea.width(), height),
                   panels[i], quantity, scale);
    paintColourBar(painter, QRectF(panelsArea.right() + 16, area.top() + 40, 22, area.height() - 80), scale,
                   kBarWidth - 44);
}

QImage pseudosectionImage(const std::vector<PseudosectionPanel>& panels, PseudoQuantity quantity)
{
    QImage image(1200, 320 * std::max<int>(1, static_cast<int>(panels.size())), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    paintPseudosections(painter, QRectF(image.rect()), panels, quantity, pseudosectionScale(panels, quantity));
    return image;
}

}  // namespace vexora::ui
