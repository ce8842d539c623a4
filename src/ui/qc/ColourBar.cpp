#include "ui/qc/ColourBar.h"

#include <QPainter>

namespace vexora::ui {

QColor toColour(const Rgb& c)
{
    return QColor(c.r, c.g, c.b);
}

void paintColourBar(QPainter& painter, const QRectF& bar, const ColourScale& scale, double labelWidth)
{
    for (int i = 0; i < static_cast<int>(bar.height()); ++i) {
        painter.setPen(toColour(colourAt(scale.map, 1 - i / bar.height())));
        painter.drawLine(QPointF(bar.left(), bar.top() + i), QPointF(bar.right(), bar.top() + i));
    }
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(bar);
    for (double t : scale.ticks()) {
        const double y = bar.bottom() - scale.position(t) * bar.height();
        painter.drawLine(QPointF(bar.right(), y), QPointF(bar.right() + 4, y));
        painter.drawText(QRectF(bar.right() + 6, y - 8, labelWidth, 16), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::number(t, 'g', 4));
    }
}

}  // namespace vexora::ui
