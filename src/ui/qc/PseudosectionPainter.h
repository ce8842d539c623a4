#pragma once
// Drawing of pseudosections: one panel per line, each datum a cell coloured
// by its value at its position and pseudo-depth (depth down), a colour bar
// shared by the panels. The window and `vexora pseudosection --png` draw
// with the same code.

#include <QImage>
#include <QRectF>

#include "core/qc/ColourScale.h"
#include "core/qc/Pseudosection.h"

class QPainter;

namespace vexora::ui {

// The colour scale of the panels' values: viridis, logarithmic for
// resistivities; blue-white-red about zero for the misfit.
ColourScale pseudosectionScale(const std::vector<PseudosectionPanel>& panels, PseudoQuantity quantity);

void paintPseudosections(QPainter& painter, const QRectF& area, const std::vector<PseudosectionPanel>& panels,
                         PseudoQuantity quantity, const ColourScale& scale);

// A whole picture on white, 1200 pixels wide, each panel 320 high.
QImage pseudosectionImage(const std::vector<PseudosectionPanel>& panels, PseudoQuantity quantity);

}  // namespace vexora::ui
