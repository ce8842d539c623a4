#pragma once
// What the 3D viewer draws, as triangles with a colour at every corner: the
// sections through a block model, the model's outside with a box cut away,
// and the electrodes. Coordinates are taken relative to an origin (the
// model's centre) so the single-precision floats of a graphics card keep
// centimetres on survey coordinates of hundreds of kilometres. z is up.

#include <array>
#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "core/mesh/ModelSection.h"
#include "core/mesh/ViewerModelRead.h"
#include "core/qc/ColourScale.h"

namespace vexora {

// x, y, z, red, green, blue, alpha (colours 0..1) per vertex; three
// vertices a triangle.
inline constexpr std::size_t kSceneFloatsPerVertex = 7;

struct SceneGeometry {
    std::vector<float> vertices;
    std::size_t vertexCount() const { return vertices.size() / kSceneFloatsPerVertex; }
};

using Point3 = std::array<double, 3>;

struct ModelBounds {
    Point3 low{}, high{};
    Point3 centre() const { return {(low[0] + high[0]) / 2, (low[1] + high[1]) / 2, (low[2] + high[2]) / 2}; }
};

// The nodes' extent (all zero for a model without nodes).
ModelBounds modelBounds(const ViewerModel& model);

// Resistivity, conductivity and sensitivity span decades: a logarithmic
// scale. Chargeability, the DOI index and anything else: linear.
bool logarithmicQuantity(std::string_view quantity);

// The colour scale of a quantity over its values (the extreme 2 % at each
// end left out). False, with `why` naming the quantities the model holds,
// when there is no such quantity.
bool quantityScale(const ViewerModel& model, std::string_view quantity, ColourMap map, ColourScale& scale,
                   std::string& why);

// Values outside [low, high] are not drawn.
struct ValueRange {
    double low = -std::numeric_limits<double>::infinity();
    double high = std::numeric_limits<double>::infinity();
    bool contains(double value) const { return value >= low && value <= high; }
};

struct SceneStyle {
    std::string quantity;
    ColourScale scale;
    ValueRange clip;
    Point3 origin{};
};

// The cells of the section at `at` across `axis`, two triangles each, in
// their values' colours. False, with `why`, as modelSection.
bool appendSection(const ViewerModel& model, SectionAxis axis, double at, const SceneStyle& style,
                   SceneGeometry& scene, std::string& why);

// Per block, for each of its six faces (layer of corners 0-3, layer of 4-7,
// y0, y1, x0, x1), the block on the other side or -1 on the model's outside.
using BlockNeighbours = std::vector<std::array<std::int32_t, 6>>;
BlockNeighbours blockNeighbours(const ViewerModel& model);

// The model with the blocks whose centre lies inside the box taken away:
// every face of a remaining block that looks onto the box or out of the
// model. False, with `why`, when there is no such quantity.
bool appendCutaway(const ViewerModel& model, const BlockNeighbours& neighbours, const ModelBounds& box,
                   const SceneStyle& style, SceneGeometry& scene, std::string& why);

// A black cube of edge `size` at every electrode.
void appendElectrodes(const ViewerModel& model, double size, const SceneStyle& style, SceneGeometry& scene);

}  // namespace vexora
