#include "ui/mesh/MeshPreviewView.h"

#include <QPainter>

namespace vexora::ui {

namespace {

constexpr double kMargin = 14;

}  // namespace

void paintMeshPreview(QPainter& painter, const MeshPreview& p, const QSizeF& size, const QString& title)
{
    painter.fillRect(QRectF(QPointF(0, 0), size), Qt::white);
    const PreviewFrame frame = previewFrame(p.extent, size.width(), size.height(), kMargin);
    const auto at = [&](double h, double v) {
        const auto [x, y] = frame.map(h, v);
        return QPointF(x, y);
    };
    const QRectF drawn(at(p.extent.h0, p.extent.v1), at(p.extent.h1, p.extent.v0));
    painter.save();
    painter.setClipRect(drawn.adjusted(-1, -1, 1, 1));

    painter.setPen(QPen(QColor(170, 170, 170), 0));
    for (double h : p.horizontalLines) painter.drawLine(at(h, p.extent.v0), at(h, p.extent.v1));
    for (double v : p.verticalLines) painter.drawLine(at(p.extent.h0, v), at(p.extent.h1, v));

    painter.setPen(QPen(QColor(230, 120, 0), 1.5));
    painter.setBrush(QColor(230, 120, 0, 60));
    for (const PreviewBox& a : p.anomalies) painter.drawRect(QRectF(at(a.h0, a.v1), at(a.h1, a.v0)));

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(30, 80, 200), 2));
    painter.drawRect(QRectF(at(p.foreground.h0, p.foreground.v1), at(p.foreground.h1, p.foreground.v0)));

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 150, 60));
    for (const auto& [h, v] : p.topography) painter.drawEllipse(at(h, v), 1.5, 1.5);
    painter.setBrush(Qt::black);
    for (const auto& [h, v] : p.electrodes) painter.drawEllipse(at(h, v), 2.5, 2.5);
    painter.restore();

    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(drawn);
    painter.drawText(QRectF(4, 0, size.width() - 8, kMargin), Qt::AlignLeft | Qt::AlignVCenter, title);
}

MeshPreviewView::MeshPreviewView(QString title, QWidget* parent) : QWidget(parent), title_(std::move(title))
{
    setMinimumSize(200, 140);
}

void MeshPreviewView::setPreview(MeshPreview preview)
{
    preview_ = std::move(preview);
    update();
}

void MeshPreviewView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintMeshPreview(painter, preview_, QSizeF(size()), title_);
}

}  // namespace vexora::ui
