#include "core/viewer/ViewerScene.h"

#include <algorithm>
#include <cmath>

namespace vexora {

namespace {

// The corners of each face, in order round the face.
constexpr std::array<std::array<std::size_t, 4>, 6> kFaces = {
    {{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}}};

struct Colour {
    float r = 0, g = 0, b = 0;
};

Colour colourOf(const ColourScale& scale, double value)
{
    const Rgb c = scale.colour(value);
    return {c.r / 255.0f, c.g / 255.0f, c.b / 255.0f};
}

void vertex(SceneGeometry& scene, const Point3& p, const Point3& origin, Colour c)
{
    scene.vertices.insert(scene.vertices.end(),
                          {static_cast<float>(p[0] - origin[0]), static_cast<float>(p[1] - origin[1]),
                           static_cast<float>(p[2] - origin[2]), c.r, c.g, c.b, 1.0f});
}

// Two triangles over the quadrilateral a b c d.
void quad(SceneGeometry& scene, const std::array<Point3, 4>& q, const Point3& origin, Colour c)
{
    for (std::size_t k : {0, 1, 2, 0, 2, 3}) vertex(scene, q[k], origin, c);
}

Point3 pointOf(const NodePoint& n) { return {n.x, n.y, n.z}; }

}  // namespace

ModelBounds modelBounds(const ViewerModel& model)
{
    ModelBounds b;
    if (model.nodes.empty()) return b;
    b.low = b.high = pointOf(model.nodes.front());
    for (const NodePoint& n : model.nodes) {
        const Point3 p = pointOf(n);
        for (std::size_t k = 0; k < 3; ++k) b.low[k] = std::min(b.low[k], p[k]), b.high[k] = std::max(b.high[k], p[k]);
    }
    return b;
}

bool logarithmicQuantity(std::string_view quantity)
{
    return quantity == "Resistivity" || quantity == "Conductivity" || quantity == "Sensitivity";
}

bool quantityScale(const ViewerModel& model, std::string_view quantity, ColourMap map, ColourScale& scale,
                   std::string& why)
{
    const std::vector<double>* values = model.quantity(quantity);
    if (!values) {
        why = model.lacking(quantity);
        return false;
    }
    const bool logarithmic = logarithmicQuantity(quantity);
    // A log scale over the positive values only; none leaves it linear.
    std::vector<double> usable;
    usable.reserve(values->size());
    for (double v : *values)
        if (std::isfinite(v) && (!logarithmic || v > 0)) usable.push_back(v);
    if (usable.empty()) usable.push_back(logarithmic ? 1 : 0);
    scale = scaleFor(std::move(usable), map, logarithmic);
    return true;
}

bool appendSection(const ViewerModel& model, SectionAxis axis, double at, const SceneStyle& style,
                   SceneGeometry& scene, std::string& why)
{
    ModelSection section;
    if (!modelSection(model, axis, at, style.quantity, section, why)) return false;
    const auto lift = [axis, at](const std::array<double, 2>& uv) -> Point3 {
        if (axis == SectionAxis::X) return {at, uv[0], uv[1]};
        if (axis == SectionAxis::Y) return {uv[0], at, uv[1]};
        return {uv[0], uv[1], at};
    };
    scene.vertices.reserve(scene.vertices.size() + section.cells.size() * 6 * kSceneFloatsPerVertex);
    for (const SectionCell& cell : section.cells) {
        if (!style.clip.contains(cell.value)) continue;
        quad(scene, {lift(cell.corner[0]), lift(cell.corner[1]), lift(cell.corner[2]), lift(cell.corner[3])},
             style.origin, colourOf(style.scale, cell.value));
    }
    return true;
}

BlockNeighbours blockNeighbours(const ViewerModel& model)
{
    // Each face keyed by its sorted corners; the two blocks sharing a face
    // sort next to each other.
    struct Face {
        std::array<std::int32_t, 4> key;
        std::int32_t block;
        std::int32_t side;
    };
    std::vector<Face> faces;
    faces.reserve(model.blocks.size() * 6);
    for (std::size_t e = 0; e < model.blocks.size(); ++e)
        for (std::size_t f = 0; f < 6; ++f) {
            Face face{{}, static_cast<std::int32_t>(e), static_cast<std::int32_t>(f)};
            for (std::size_t k = 0; k < 4; ++k) face.key[k] = model.blocks[e][kFaces[f][k]];
            std::sort(face.key.begin(), face.key.end());
            faces.push_back(face);
        }
    std::sort(faces.begin(), faces.end(), [](const Face& a, const Face& b) { return a.key < b.key; });
    BlockNeighbours neighbours(model.blocks.size());
    for (auto& n : neighbours) n.fill(-1);
    for (std::size_t i = 0; i + 1 < faces.size(); ++i)
        if (faces[i].key == faces[i + 1].key) {
            neighbours[static_cast<std::size_t>(faces[i].block)][static_cast<std::size_t>(faces[i].side)] = faces[i + 1].block;
            neighbours[static_cast<std::size_t>(faces[i + 1].block)][static_cast<std::size_t>(faces[i + 1].side)] = faces[i].block;
            ++i;
        }
    return neighbours;
}

bool appendCutaway(const ViewerModel& model, const BlockNeighbours& neighbours, const ModelBounds& box,
                   const SceneStyle& style, SceneGeometry& scene, std::string& why)
{
    const std::vector<double>* values = model.quantity(style.quantity);
    if (!values) {
        why = "the model holds no " + style.quantity;
        return false;
    }
    const auto removed = [&](std::size_t e) {
        Point3 centre{};
        for (std::int32_t n : model.blocks[e]) {
            const Point3 p = pointOf(model.nodes[static_cast<std::size_t>(n)]);
            for (std::size_t k = 0; k < 3; ++k) centre[k] += p[k] / 8;
        }
        for (std::size_t k = 0; k < 3; ++k)
            if (centre[k] < box.low[k] || centre[k] > box.high[k]) return false;
        return true;
    };
    std::vector<char> gone(model.blocks.size());
    for (std::size_t e = 0; e < model.blocks.size(); ++e) gone[e] = removed(e) || !style.clip.contains((*values)[e]);
    for (std::size_t e = 0; e < model.blocks.size(); ++e) {
        if (gone[e]) continue;
        const Colour c = colourOf(style.scale, (*values)[e]);
        for (std::size_t f = 0; f < 6; ++f) {
            const std::int32_t other = neighbours[e][f];
            if (other >= 0 && !gone[static_cast<std::size_t>(other)]) continue;
            std::array<Point3, 4> q;
            for (std::size_t k = 0; k < 4; ++k)
                q[k] = pointOf(model.nodes[static_cast<std::size_t>(model.blocks[e][kFaces[f][k]])]);
            quad(scene, q, style.origin, c);
        }
    }
    return true;
}

void appendElectrodes(const ViewerModel& model, double size, const SceneStyle& style, SceneGeometry& scene)
{
    const double h = size / 2;
    for (const ViewerElectrode& e : model.electrodes) {
        std::array<Point3, 8> corner;
        for (std::size_t k = 0; k < 8; ++k)
            corner[k] = {e.x + ((k & 1) ? h : -h), e.y + ((k & 2) ? h : -h), e.z + ((k & 4) ? h : -h)};
        for (const auto& face : kFaces)
            quad(scene, {corner[face[0]], corner[face[1]], corner[face[2]], corner[face[3]]}, style.origin, {});
    }
}

}  // namespace vexora
