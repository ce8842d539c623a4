#pragma once
// The colour bar of every map and section: the scale's colours top (high)
// to bottom (low) in `bar`, framed, with its ticks labelled at the right.

#include <QColor>
#include <QRectF>

#include "core/qc/ColourScale.h"

class QPainter;

namespace vexora::ui {

QColor toColour(const Rgb& c);

// `labelWidth`: room for the labels right of the bar.
void paintColourBar(QPainter& painter, const QRectF& bar, const ColourScale& scale, double labelWidth);

}  // namespace vexora::ui
