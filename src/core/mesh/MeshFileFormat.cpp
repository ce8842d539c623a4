#include "core/mesh/MeshFileFormat.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "core/io/TextFile.h"
#include "core/settings/NumberText.h"

namespace vexora {

namespace {

constexpr std::string_view kSource = "OutputGlobalMesh";
constexpr std::string_view kEnd = "\r\n";

void appendCountLine(std::string& out, long long value)
{
    char buffer[32];
    auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (value >= 0) out += ' ';
    out.append(buffer, r.ptr);
    out += ' ';
    out += kEnd;
}

void appendLines(std::string& out, std::initializer_list<std::string_view> lines)
{
    for (std::string_view line : lines) {
        out += line;
        out += kEnd;
    }
}

// Five decimals keep at least three digits from 0.01 up; below that the
// value would read back rounded, a tiny resistivity as 0.
void appendBlockValue(std::string& out, double value)
{
    if (value == 0 || std::abs(value) >= 0.01) return appendFixedField(out, value, 5, 5);
    const std::string text = formatNumber(value);
    out += text;
    if (text.size() < 5) out.append(5 - text.size(), ' ');
}

double blockValue(const Models& models, MeshFileKind kind, std::size_t block)
{
    return kind == MeshFileKind::Ip ? models.ip[block] * models.ipScale : 1 / models.conductivity[block];
}

bool completeMesh(const Mesh& mesh)
{
    const std::int64_t nodes = static_cast<std::int64_t>(mesh.nx + 2) * (mesh.ny + 2) * (mesh.nz + 2);
    return blockCount(mesh) > 0 && static_cast<std::int64_t>(mesh.nodeGrid.size()) == nodes &&
           static_cast<std::int64_t>(mesh.elementNodes.size()) == blockCount(mesh);
}

}  // namespace

void appendFixedField(std::string& out, double value, int width, int decimals)
{
    char buffer[512];
    auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    const char* begin = buffer;
    if (buffer[0] == '-') {
        bool zero = true;
        for (const char* p = buffer + 1; p < r.ptr && zero; ++p) zero = *p == '0' || *p == '.';
        if (zero) ++begin;
    }
    out.append(begin, static_cast<std::size_t>(r.ptr - begin));
    const std::ptrdiff_t length = r.ptr - begin;
    if (length < width) out.append(static_cast<std::size_t>(width - length), ' ');
}

void appendIntegerField(std::string& out, long long value, int width)
{
    std::ptrdiff_t length = 0;
    if (value != 0) {
        char buffer[32];
        auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
        out.append(buffer, r.ptr);
        length = r.ptr - buffer;
    }
    if (length < width) out.append(static_cast<std::size_t>(width - length), ' ');
}

std::string meshFileText(const Survey& survey, const Mesh& mesh, const Models& models, MeshFileKind kind,
                         std::string_view date)
{
    const std::size_t nodes = mesh.nodeGrid.size();
    const std::size_t blocks = mesh.elementNodes.size();

    std::string out;
    // Node lines hold 3 x 12 characters and two tabs, block lines eight
    // indices and a value: one allocation for ordinary meshes.
    out.reserve(1024 + nodes * 40 + blocks * (8 * 9 + 16) + survey.electrodes.size() * 60 +
                survey.quadrupoles.size() * 60);
    appendLines(out, {"# version_info", "# 1.0.0"});
    out += "# ";
    out += date;
    out += kEnd;
    out += kind == MeshFileKind::Resistivity ? "# 1" : "# 2";
    out += kEnd;
    for (std::int32_t n : {mesh.nx, mesh.ny, mesh.nz}) {
        out += "# ";
        out += std::to_string(n);
        out += kEnd;
    }
    appendLines(out, {"hexa", "#", "# NN", "#"});
    appendCountLine(out, static_cast<long long>(nodes));
    appendLines(out, {"#", "# NE", "#"});
    appendCountLine(out, static_cast<long long>(blocks));
    appendLines(out, {"#", "# NP", "#"});
    appendCountLine(out, static_cast<long long>(survey.electrodes.size()));
    appendLines(out, {"#", "# NQ", "#"});
    appendCountLine(out, static_cast<long long>(survey.quadrupoles.size()));
    appendLines(out, {"#", "# Nodes coordinates", "#", "#         X          Y           Z       Flag"});
    for (const NodePoint& p : mesh.nodeGrid) {
        appendFixedField(out, p.x, 12, 5);
        out += '\t';
        appendFixedField(out, p.y, 12, 5);
        out += '\t';
        appendFixedField(out, p.z, 12, 5);
        out += kEnd;
    }
    appendLines(out, {"#", "# Elements-resistivity", "#"});
    for (std::size_t e = 0; e < blocks; ++e) {
        for (std::int32_t k : mesh.elementNodes[e]) {
            appendIntegerField(out, k, 1);
            out += '\t';
        }
        appendBlockValue(out, blockValue(models, kind, e));
        out += kEnd;
    }
    appendLines(out, {"#", "# Electrodes coordinates", "#", "# CABLE     #         X            Y           Z"});
    for (const Electrode& el : survey.electrodes) {
        appendIntegerField(out, el.cable, 5);
        out += '\t';
        appendIntegerField(out, el.number, 5);
        out += '\t';
        appendFixedField(out, el.x, 12, 5);
        out += '\t';
        appendFixedField(out, el.y, 12, 5);
        out += '\t';
        appendFixedField(out, el.z, 12, 5);
        out += kEnd;
    }
    appendLines(out, {"#", "# Quadrupoles", "#",
                      "#    #   cab A       A   cab B       B   cab M       M   cab N       N"});
    for (const Quadrupole& q : survey.quadrupoles.rows) {
        appendIntegerField(out, q.id, 5);
        out += '\t';
        for (const ElectrodeRef& pole : q.pole) {
            appendIntegerField(out, pole.cable, 5);
            out += '\t';
            appendIntegerField(out, pole.number, 5);
            out += '\t';
        }
        out += kEnd;
    }
    return out;
}

Status OutputGlobalMesh(const std::filesystem::path& path, bool ipKind, const Survey& survey, const Mesh& mesh,
                        const Models& models, MessageLog& log)
{
    if (!completeMesh(mesh)) return log.error(kSource, "No mesh to write.");
    const std::size_t blocks = mesh.elementNodes.size();
    if (!ipKind && models.conductivity.size() != blocks)
        return log.error(kSource, "The resistivity model has " + std::to_string(models.conductivity.size()) +
                                      " blocks, the mesh " + std::to_string(blocks) + ".");
    if (ipKind && models.ip.size() != blocks)
        return log.error(kSource, "The IP model has " + std::to_string(models.ip.size()) +
                                      " blocks, the mesh " + std::to_string(blocks) + ".");
    const MeshFileKind kind = ipKind ? MeshFileKind::Ip : MeshFileKind::Resistivity;
    for (std::size_t e = 0; e < blocks; ++e)
        if (!std::isfinite(blockValue(models, kind, e)))
            return log.error(kSource, "Block " + std::to_string(e + 1) + ": the model value " +
                                          formatNumber(blockValue(models, kind, e)) + " cannot be written.");
    const std::string text = meshFileText(survey, mesh, models, kind, currentDateText());
    std::string why;
    if (!writeFileAtomically(path, text, &why))
        return log.error(kSource, path.string() + " not written: " + why);
    return Status::Ok;
}

}  // namespace vexora
