#pragma once
// A preview of the mesh lines (plan or section) drawn with QPainter from
// what the core lays out (core/mesh/MeshPreview.h).

#include <QWidget>

#include "core/mesh/MeshPreview.h"

class QPainter;

namespace vexora::ui {

// Draws the preview into a `size` picture: lines grey, foreground box blue,
// anomalies orange, topography points green, electrodes black.
void paintMeshPreview(QPainter& painter, const MeshPreview& preview, const QSizeF& size, const QString& title);

class MeshPreviewView : public QWidget {
    Q_OBJECT
public:
    explicit MeshPreviewView(QString title, QWidget* parent = nullptr);
    void setPreview(MeshPreview preview);
    QSize sizeHint() const override { return {320, 200}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString title_;
    MeshPreview preview_;
};

}  // namespace vexora::ui
