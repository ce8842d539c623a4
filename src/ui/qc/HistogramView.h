#pragma once
// The drawing surface of frmPlots: paints the histogram and lets the user
// drag the two filter bars.

#include <QWidget>

#include "core/qc/Histogram.h"

namespace vexora::ui {

class HistogramView : public QWidget {
    Q_OBJECT
public:
    explicit HistogramView(QWidget* parent = nullptr);

    // The model is owned by the window; the view only reads it and moves the
    // filter bars.
    void setModel(HistogramModel* model) { model_ = model; update(); }
    void setFilterMode(FilterMode mode) { mode_ = mode; update(); }

    // Screen x of a value, for the window's tests and the drag logic.
    double xOfValue(double value) const;

    QSize sizeHint() const override { return {760, 420}; }

signals:
    // A filter bar moved: the new lower and upper values.
    void filterMoved(double lower, double upper);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Dragged { None, Lower, Upper };

    HistogramModel* model_ = nullptr;
    FilterMode mode_ = FilterMode::RemoveOutside;
    Dragged dragged_ = Dragged::None;
};

}  // namespace vexora::ui
