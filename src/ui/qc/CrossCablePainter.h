#pragma once
// Drawing a cross-cable map: the matrix with its electrode headers, the
// colour legend beside it; the same drawing in the window and in the
// command line's PNG file. The layout also tells what lies under a point.

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

#include "core/qc/CrossCableMap.h"

namespace vexora::ui {

struct CrossCableLayout {
    int cellWidth = 16, cellHeight = 16;
    int rowHeaderWidth = 48, columnHeaderHeight = 22;
    int top = 28;  // room for the caption
    QRect matrix;  // the cells
    QRect legend;  // swatches and labels
    QSize size;    // the whole drawing

    enum class Part { None, RowHeader, ColumnHeader, Cell };
    struct Hit {
        Part part = Part::None;
        int row = -1, column = -1;
    };
    Hit hit(QPoint point) const;
};

// Cells wide enough for their values when `numerical`.
CrossCableLayout crossCableLayout(const CrossCablePicture& picture, bool numerical);

void paintCrossCable(QPainter& painter, const CrossCablePicture& picture, const CrossCableLayout& layout,
                     bool numerical, const QString& caption);

QImage crossCableImage(const CrossCablePicture& picture, bool numerical, const QString& caption);

}  // namespace vexora::ui
