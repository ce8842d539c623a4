#pragma once
// A block model in VTK's XML formats, which ParaView and every VTK-based
// tool open as they are: the blocks as an unstructured grid of hexahedra
// (`.vtu`; the viewer file's plotted region need not be a full box of the
// mesh, so the general cell list rather than a structured grid), each
// stored quantity as cell data, with log10 of the resistivity beside it;
// the electrodes as points (`.vtp`) with their cable and number. ASCII
// arrays, numbers written shortest round-trip with "." as decimal mark.

#include <string>

#include "core/mesh/ViewerModelRead.h"

namespace vexora {

std::string vtkUnstructuredGrid(const ViewerModel& model);
std::string vtkElectrodePoints(const ViewerModel& model);

}  // namespace vexora
