#pragma once
// A plot drawn into a white picture of a given size, for "Save image" and the
// command line's PNG files.

#include <QImage>
#include <QPainter>

namespace vexora::ui {

template <class Paint>
QImage paintedImage(QSize size, Paint paint)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paint(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

}  // namespace vexora::ui
