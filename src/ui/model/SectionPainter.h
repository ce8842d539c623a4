#pragma once
// Drawing of a model section: the cut blocks coloured by their values at
// true scale where the section's proportions allow it, the electrodes on
// it, axes and a colour bar. `vexora section` draws with it.

#include <QImage>

#include "core/mesh/ModelSection.h"
#include "core/qc/ColourScale.h"

namespace vexora::ui {

// 1200 pixels wide, as high as the section's proportions ask (the plot
// within 240 .. 1100 pixels, the vertical scale stretched beyond). Resistivity, conductivity and an all-positive sensitivity on a logarithmic scale unless
// `linear`.
QImage sectionImage(const ModelSection& section, bool linear);

}  // namespace vexora::ui
