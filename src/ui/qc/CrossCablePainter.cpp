#include "ui/qc/CrossCablePainter.h"

#include <algorithm>

#include "core/qc/CrossCableMap.h"
#include "ui/platform/TextConversion.h"
#include "ui/qc/PaintedImage.h"

namespace vexora::ui {

namespace {

constexpr int kLegendSwatch = 22;
constexpr int kLegendWidth = 190;
constexpr int kMargin = 8;

QColor toColour(const Rgb& c) { return QColor(c.r, c.g, c.b); }

}  // namespace

CrossCableLayout::Hit CrossCableLayout::hit(QPoint point) const
{
    const int x = point.x() - matrix.left(), y = point.y() - matrix.top();
    const bool inRows = y >= 0 && y < matrix.height(), inColumns = x >= 0 && x < matrix.width();
    if (inRows && inColumns) return {Part::Cell, y / cellHeight, x / cellWidth};
    if (inRows && x < 0 && x >= -rowHeaderWidth) return {Part::RowHeader, y / cellHeight, -1};
    if (inColumns && y < 0 && y >= -columnHeaderHeight) return {Part::ColumnHeader, -1, x / cellWidth};
    return {};
}

CrossCableLayout crossCableLayout(const CrossCablePicture& picture, bool numerical)
{
    CrossCableLayout layout;
    if (numerical) layout.cellWidth = 64;
    else if (std::max(picture.rows, picture.columns) <= 48) layout.cellWidth = layout.cellHeight = 22;
    layout.matrix = QRect(kMargin + layout.rowHeaderWidth, layout.top + layout.columnHeaderHeight,
                          layout.cellWidth * static_cast<int>(picture.columns),
                          layout.cellHeight * static_cast<int>(picture.rows));
    const int legendHeight = 24 + kLegendSwatch * static_cast<int>(picture.legend.size());
    layout.legend = QRect(layout.matrix.right() + 1 + 2 * kMargin, layout.matrix.top(), kLegendWidth, legendHeight);
    layout.size = QSize(layout.legend.right() + 1 + kMargin,
                        std::max(layout.matrix.bottom(), layout.legend.bottom()) + 1 + kMargin);
    return layout;
}

void paintCrossCable(QPainter& painter, const CrossCablePicture& picture, const CrossCableLayout& layout,
                     bool numerical, const QString& caption)
{
    painter.setPen(Qt::black);
    QFont font = painter.font();
    font.setPixelSize(11);
    painter.setFont(font);
    painter.drawText(QRect(kMargin, 4, layout.size.width() - 2 * kMargin, layout.top - 6),
                     Qt::AlignLeft | Qt::AlignVCenter, caption);

    // Headers: electrode numbers of the TX cable down, of the RX cable across.
    const QRect& m = layout.matrix;
    painter.fillRect(QRect(m.left() - layout.rowHeaderWidth, m.top(), layout.rowHeaderWidth, m.height()),
                     QColor(235, 235, 235));
    painter.fillRect(QRect(m.left(), m.top() - layout.columnHeaderHeight, m.width(), layout.columnHeaderHeight),
                     QColor(235, 235, 235));
    font.setPixelSize(std::min(11, layout.cellHeight - 4));
    painter.setFont(font);
    for (std::size_t r = 0; r < picture.rows; ++r)
        painter.drawText(QRect(m.left() - layout.rowHeaderWidth, m.top() + static_cast<int>(r) * layout.cellHeight,
                               layout.rowHeaderWidth - 4, layout.cellHeight),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(picture.rowNumbers[r]));
    for (std::size_t c = 0; c < picture.columns; ++c) {
        const QRect header(m.left() + static_cast<int>(c) * layout.cellWidth, m.top() - layout.columnHeaderHeight,
                           layout.cellWidth, layout.columnHeaderHeight);
        painter.save();
        painter.translate(header.center());
        if (layout.cellWidth < 30) painter.rotate(-90);  // narrow cells: the numbers stand upright
        const QRect text = layout.cellWidth < 30 ? QRect(-header.height() / 2, -header.width() / 2, header.height(), header.width())
                                                 : QRect(-header.width() / 2, -header.height() / 2, header.width(), header.height());
        painter.drawText(text, Qt::AlignCenter, QString::number(picture.columnNumbers[c]));
        painter.restore();
    }

    // Cells: blank where no quadrupole falls or it is skipped.
    painter.fillRect(m, Qt::white);
    for (std::size_t r = 0; r < picture.rows; ++r)
        for (std::size_t c = 0; c < picture.columns; ++c) {
            const CrossCableCell& cell = picture.cells[r * picture.columns + c];
            if (cell.quadrupole < 0) continue;
            const QRect box(m.left() + static_cast<int>(c) * layout.cellWidth,
                            m.top() + static_cast<int>(r) * layout.cellHeight, layout.cellWidth, layout.cellHeight);
            painter.fillRect(box, toColour(cell.colour));
            if (numerical)
                painter.drawText(box, Qt::AlignCenter, toQString(crossCableLegendLabel(cell.value, picture.resistivity)));
        }
    painter.setPen(QColor(200, 200, 200));
    if (layout.cellWidth >= 16) {
        for (std::size_t r = 0; r <= picture.rows; ++r)
            painter.drawLine(m.left(), m.top() + static_cast<int>(r) * layout.cellHeight, m.left() + m.width(),
                             m.top() + static_cast<int>(r) * layout.cellHeight);
        for (std::size_t c = 0; c <= picture.columns; ++c)
            painter.drawLine(m.left() + static_cast<int>(c) * layout.cellWidth, m.top(),
                             m.left() + static_cast<int>(c) * layout.cellWidth, m.top() + m.height());
    }

    // Legend: its title, then a swatch and label per step from the minimum up.
    const QRect& l = layout.legend;
    painter.setPen(Qt::black);
    font.setPixelSize(11);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(l.left(), l.top(), l.width(), 20), Qt::AlignLeft | Qt::AlignVCenter,
                     toQString(picture.legendTitle));
    font.setBold(false);
    painter.setFont(font);
    for (std::size_t i = 0; i < picture.legend.size(); ++i) {
        const int y = l.top() + 24 + static_cast<int>(picture.legend.size() - 1 - i) * kLegendSwatch;
        painter.fillRect(QRect(l.left(), y, 36, kLegendSwatch - 2), toColour(picture.legend[i].colour));
        painter.drawText(QRect(l.left() + 44, y, l.width() - 44, kLegendSwatch - 2), Qt::AlignLeft | Qt::AlignVCenter,
                         toQString(picture.legend[i].label));
    }
}

QImage crossCableImage(const CrossCablePicture& picture, bool numerical, const QString& caption)
{
    const CrossCableLayout layout = crossCableLayout(picture, numerical);
    return paintedImage(layout.size, [&](QPainter& painter, const QRectF&) {
        paintCrossCable(painter, picture, layout, numerical, caption);
    });
}

}  // namespace vexora::ui
