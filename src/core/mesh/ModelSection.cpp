#include "core/mesh/ModelSection.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vexora {

namespace {

double lerp(double a, double b, double t) { return a + t * (b - a); }

}  // namespace

std::string sectionAxisNames(SectionAxis axis)
{
    return axis == SectionAxis::Y ? "xz" : axis == SectionAxis::X ? "yz" : "xy";
}

bool modelSection(const ViewerModel& model, SectionAxis axis, double at, std::string_view quantity,
                  ModelSection& section, std::string& why)
{
    const std::vector<double>* values = model.quantity(quantity);
    if (!values) {
        why = model.lacking(quantity);
        return false;
    }
    ModelSection made;
    made.axis = axis, made.at = at, made.quantity = quantity;
    made.uMin = made.vMin = std::numeric_limits<double>::infinity();
    made.uMax = made.vMax = -std::numeric_limits<double>::infinity();
    double thinnest = std::numeric_limits<double>::infinity();
    for (std::size_t e = 0; e < model.blocks.size(); ++e) {
        std::array<NodePoint, 8> c;
        for (std::size_t k = 0; k < 8; ++k) c[k] = model.nodes[static_cast<std::size_t>(model.blocks[e][k])];
        SectionCell cell;
        cell.value = (*values)[e];
        if (axis == SectionAxis::Z) {
            // The column's rectangle where the block's middle spans the height.
            double low = 0, high = 0;
            for (std::size_t k = 0; k < 4; ++k) low += c[k].z / 4, high += c[k + 4].z / 4;
            if (low > high) std::swap(low, high);
            if (!(at >= low && at < high)) continue;
            thinnest = std::min(thinnest, high - low);
            cell.corner = {{{c[0].x, c[0].y}, {c[1].x, c[1].y}, {c[3].x, c[3].y}, {c[2].x, c[2].y}}};
        }
        else {
            // Y section: across the block from its y0 face (corners 0, 1) to its
            // y1 face (2, 3); an X section likewise from x0 (0, 2) to x1 (1, 3).
            const bool y = axis == SectionAxis::Y;
            const double from = y ? c[0].y : c[0].x, to = y ? c[2].y : c[1].x;
            const double low = std::min(from, to), high = std::max(from, to);
            if (!(at >= low && at < high)) continue;
            thinnest = std::min(thinnest, high - low);
            const double t = (at - from) / (to - from);
            const std::size_t a = 0, b = y ? 1 : 2, nextA = y ? 2 : 1, nextB = 3;
            const auto along = [&](const NodePoint& p) { return y ? p.x : p.y; };
            cell.corner = {{{along(c[a]), lerp(c[a].z, c[nextA].z, t)},
                            {along(c[b]), lerp(c[b].z, c[nextB].z, t)},
                            {along(c[b + 4]), lerp(c[b + 4].z, c[nextB + 4].z, t)},
                            {along(c[a + 4]), lerp(c[a + 4].z, c[nextA + 4].z, t)}}};
        }
        for (const auto& [u, v] : cell.corner) {
            made.uMin = std::min(made.uMin, u), made.uMax = std::max(made.uMax, u);
            made.vMin = std::min(made.vMin, v), made.vMax = std::max(made.vMax, v);
        }
        made.cells.push_back(cell);
    }
    if (made.cells.empty()) {
        why = "the plane " + std::string(axis == SectionAxis::X ? "x" : axis == SectionAxis::Y ? "y" : "z") + " = " +
              std::to_string(at) + " meets no block of the model";
        return false;
    }
    for (const ViewerElectrode& e : model.electrodes) {
        const double off = axis == SectionAxis::X ? e.x : axis == SectionAxis::Y ? e.y : e.z;
        if (std::abs(off - at) > thinnest / 2 && axis != SectionAxis::Z) continue;
        made.electrodes.push_back(axis == SectionAxis::Y   ? std::array<double, 2>{e.x, e.z}
                                  : axis == SectionAxis::X ? std::array<double, 2>{e.y, e.z}
                                                           : std::array<double, 2>{e.x, e.y});
    }
    section = std::move(made);
    return true;
}

ViewerModel viewerModelOf(const Mesh& mesh, const Models& models)
{
    ViewerModel model;
    std::vector<std::int32_t> indexOf(mesh.nodeGrid.size(), -1);
    for (const ElementCorners& corners : mesh.elementNodes) {
        std::array<std::int32_t, 8> block{};
        for (std::size_t k = 0; k < 8; ++k) {
            const auto grid = static_cast<std::size_t>(corners[k] - 1);
            if (indexOf[grid] < 0) {
                indexOf[grid] = static_cast<std::int32_t>(model.nodes.size());
                model.nodes.push_back(mesh.nodeGrid[grid]);
                model.nodeNumbers.push_back(corners[k]);
            }
            block[k] = indexOf[grid];
        }
        model.blocks.push_back(block);
    }
    model.quantities = {"Resistivity"};
    model.values.emplace_back();
    for (double sigma : models.conductivity) model.values.back().push_back(1 / sigma);
    if (models.ip.size() == models.conductivity.size()) {
        model.quantities.push_back("Chargeability");
        model.values.emplace_back();
        for (double eta : models.ip) model.values.back().push_back(eta * models.ipScale);
    }
    return model;
}

}  // namespace vexora
