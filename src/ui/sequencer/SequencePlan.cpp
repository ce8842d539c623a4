#include "ui/sequencer/SequencePlan.h"

#include <algorithm>

#include <QPainter>

#include "core/import/tables/ImportFill.h"

namespace vexora::ui {

SequencePlan::SequencePlan(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("sequencePlan"));
    setMinimumSize(320, 220);
}

void SequencePlan::setDesign(const SequenceDesign* design)
{
    design_ = design;
    use_ = design ? electrodeUse(*design) : std::vector<std::size_t>{};
    update();
}

void SequencePlan::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!design_ || design_->layout.electrodes.empty()) {
        painter.setPen(Qt::darkGray);
        painter.drawText(rect(), Qt::AlignCenter, tr("No sequence designed yet"));
        return;
    }
    const ElectrodeLayout& layout = design_->layout;
    const auto remoteCable = std::find(layout.cableNames.begin(), layout.cableNames.end(), kRemoteCableName) -
                             layout.cableNames.begin() + 1;
    auto onPlan = [&](const Electrode& e) { return e.cable != remoteCable; };
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    bool first = true;
    for (const Electrode& e : layout.electrodes) {
        if (!onPlan(e)) continue;
        if (first) xMin = xMax = e.x, yMin = yMax = e.y, first = false;
        xMin = std::min(xMin, e.x), xMax = std::max(xMax, e.x);
        yMin = std::min(yMin, e.y), yMax = std::max(yMax, e.y);
    }
    // Equal scales in x and y, at least one spacing of room either way.
    const double pad = layout.spacing;
    const double width = std::max(xMax - xMin, pad) + 2 * pad, height = std::max(yMax - yMin, pad) + 2 * pad;
    const QRectF area = QRectF(rect()).adjusted(16, 24, -16, -16);
    const double scale = std::min(area.width() / width, area.height() / height);
    const QPointF origin(area.center().x() - scale * (xMin + xMax) / 2, area.center().y() + scale * (yMin + yMax) / 2);
    auto at = [&](const Electrode& e) { return QPointF(origin.x() + scale * e.x, origin.y() - scale * e.y); };

    painter.setPen(QPen(QColor(170, 170, 170), 1));
    for (const auto& line : layout.lines)
        for (std::size_t k = 1; k < line.size(); ++k)
            painter.drawLine(at(layout.electrodes[static_cast<std::size_t>(line[k - 1])]),
                             at(layout.electrodes[static_cast<std::size_t>(line[k])]));
    const std::size_t most = use_.empty() ? 1 : std::max<std::size_t>(1, *std::max_element(use_.begin(), use_.end()));
    const double radius = std::clamp(scale * layout.spacing * 0.3, 2.0, 7.0);
    for (std::size_t r = 0; r < layout.electrodes.size(); ++r) {
        const Electrode& e = layout.electrodes[r];
        if (!onPlan(e)) continue;
        // White for an unused electrode, deep blue for the most used one.
        const double share = static_cast<double>(use_[r]) / static_cast<double>(most);
        painter.setPen(QPen(Qt::black, 0.8));
        painter.setBrush(QColor::fromRgbF(1 - 0.9 * share, 1 - 0.7 * share, 1 - 0.2 * share));
        painter.drawEllipse(at(e), radius, radius);
    }
    painter.setPen(Qt::black);
    QString caption = tr("Plan: %1 electrodes, shade = quadrupoles using each").arg(layout.electrodes.size());
    if (remoteCable <= static_cast<long>(layout.cableNames.size())) caption += tr("; remote electrode off the plan");
    painter.drawText(QRectF(rect()).adjusted(6, 4, -6, 0), Qt::AlignLeft | Qt::AlignTop, caption);
}

}  // namespace vexora::ui
