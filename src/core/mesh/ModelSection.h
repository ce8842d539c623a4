#pragma once
// Sections through a block model for pictures: a vertical plane at a given
// X or Y, or a horizontal one at a given Z. The blocks are the terrain-
// following hexahedra of the mesh (vertical side edges; corners 0-3 one
// layer, 4-7 the next, in the order x0y0, x1y0, x0y1, x1y1), so a vertical
// section cuts each block it meets in a quadrilateral whose top and bottom
// follow the layer faces, and a horizontal one in the column's rectangle.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/mesh/Mesh.h"
#include "core/mesh/Models.h"
#include "core/mesh/ViewerModelRead.h"

namespace vexora {

enum class SectionAxis { X, Y, Z };

struct SectionCell {
    std::array<std::array<double, 2>, 4> corner;  // (u, v) in the section's plane
    double value = 0;
};

struct ModelSection {
    SectionAxis axis = SectionAxis::Y;
    double at = 0;
    std::string quantity;
    std::vector<SectionCell> cells;
    std::vector<std::array<double, 2>> electrodes;  // within half a block of the plane
    double uMin = 0, uMax = 0, vMin = 0, vMax = 0;
};

// The plane's axes: (x, z) for a Y section, (y, z) for an X section, (x, y)
// for a Z section.
std::string sectionAxisNames(SectionAxis axis);

// False, with `why`, when the model has no such quantity or the plane
// meets no block.
bool modelSection(const ViewerModel& model, SectionAxis axis, double at, std::string_view quantity,
                  ModelSection& section, std::string& why);

// The blocks of a mesh with their resistivity (and chargeability when the
// IP model has one value per block), as the viewer file would hold them.
ViewerModel viewerModelOf(const Mesh& mesh, const Models& models);

}  // namespace vexora
