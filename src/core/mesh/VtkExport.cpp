#include "core/mesh/VtkExport.h"

#include <charconv>
#include <cmath>

namespace vexora {

namespace {

constexpr int kHexahedron = 12;

void put(std::string& out, double v)
{
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, v);
    out.append(text, error == std::errc() ? end : text);
    out += ' ';
}

void put(std::string& out, long long v)
{
    char text[24];
    const auto [end, error] = std::to_chars(text, text + sizeof text, v);
    out.append(text, error == std::errc() ? end : text);
    out += ' ';
}

void openArray(std::string& out, const char* type, const std::string& name, int components = 1)
{
    out += "<DataArray type=\"";
    out += type;
    out += "\" Name=\"" + name + "\"";
    if (components > 1) out += " NumberOfComponents=\"" + std::to_string(components) + "\"";
    out += " format=\"ascii\">\n";
}

void closeArray(std::string& out) { out += "\n</DataArray>\n"; }

const char kHeader[] = "<?xml version=\"1.0\"?>\n";

}  // namespace

std::string vtkUnstructuredGrid(const ViewerModel& model)
{
    const std::size_t cells = model.blocks.size();
    std::string out = kHeader;
    out += "<VTKFile type=\"UnstructuredGrid\" version=\"1.0\" byte_order=\"LittleEndian\">\n<UnstructuredGrid>\n";
    out += "<Piece NumberOfPoints=\"" + std::to_string(model.nodes.size()) + "\" NumberOfCells=\"" +
           std::to_string(cells) + "\">\n<Points>\n";
    openArray(out, "Float64", "Points", 3);
    for (const NodePoint& p : model.nodes) put(out, p.x), put(out, p.y), put(out, p.z);
    closeArray(out);
    out += "</Points>\n<Cells>\n";
    openArray(out, "Int64", "connectivity");
    for (const auto& c : model.blocks) {
        // VTK walks each face around (x0y0, x1y0, x1y1, x0y1), the lower face first.
        const bool downward = model.nodes[static_cast<std::size_t>(c[4])].z < model.nodes[static_cast<std::size_t>(c[0])].z;
        const std::size_t lower = downward ? 4 : 0, upper = downward ? 0 : 4;
        for (std::size_t layer : {lower, upper})
            for (std::size_t k : {0, 1, 3, 2}) put(out, static_cast<long long>(c[layer + k]));
    }
    closeArray(out);
    openArray(out, "Int64", "offsets");
    for (std::size_t e = 1; e <= cells; ++e) put(out, static_cast<long long>(8 * e));
    closeArray(out);
    openArray(out, "UInt8", "types");
    for (std::size_t e = 0; e < cells; ++e) put(out, static_cast<long long>(kHexahedron));
    closeArray(out);
    out += "</Cells>\n<CellData";
    if (!model.quantities.empty()) out += " Scalars=\"" + model.quantities.front() + "\"";
    out += ">\n";
    for (std::size_t q = 0; q < model.quantities.size(); ++q) {
        openArray(out, "Float64", model.quantities[q]);
        for (double v : model.values[q]) put(out, v);
        closeArray(out);
        if (model.quantities[q] == "Resistivity") {
            openArray(out, "Float64", "log10 Resistivity");
            for (double v : model.values[q]) put(out, v > 0 ? std::log10(v) : std::nan(""));
            closeArray(out);
        }
    }
    out += "</CellData>\n</Piece>\n</UnstructuredGrid>\n</VTKFile>\n";
    return out;
}

std::string vtkElectrodePoints(const ViewerModel& model)
{
    const std::size_t n = model.electrodes.size();
    std::string out = kHeader;
    out += "<VTKFile type=\"PolyData\" version=\"1.0\" byte_order=\"LittleEndian\">\n<PolyData>\n";
    out += "<Piece NumberOfPoints=\"" + std::to_string(n) + "\" NumberOfVerts=\"" + std::to_string(n) +
           "\" NumberOfLines=\"0\" NumberOfStrips=\"0\" NumberOfPolys=\"0\">\n<Points>\n";
    openArray(out, "Float64", "Points", 3);
    for (const ViewerElectrode& e : model.electrodes) put(out, e.x), put(out, e.y), put(out, e.z);
    closeArray(out);
    out += "</Points>\n<Verts>\n";
    openArray(out, "Int64", "connectivity");
    for (std::size_t k = 0; k < n; ++k) put(out, static_cast<long long>(k));
    closeArray(out);
    openArray(out, "Int64", "offsets");
    for (std::size_t k = 1; k <= n; ++k) put(out, static_cast<long long>(k));
    closeArray(out);
    out += "</Verts>\n<PointData>\n";
    openArray(out, "Int32", "Cable");
    for (const ViewerElectrode& e : model.electrodes) put(out, static_cast<long long>(e.cable));
    closeArray(out);
    openArray(out, "Int32", "Electrode");
    for (const ViewerElectrode& e : model.electrodes) put(out, static_cast<long long>(e.number));
    closeArray(out);
    out += "</PointData>\n</Piece>\n</PolyData>\n</VTKFile>\n";
    return out;
}

}  // namespace vexora
