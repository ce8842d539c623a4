#include "core/mesh/MeshFileImport.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "core/io/TextFile.h"
#include "core/mesh/NodeMesh.h"
#include "core/settings/LenientNumber.h"

namespace vexora {

namespace {

// Lines of a text with CR LF, LF or CR ends, numbered from 1.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : text_(text) {}

    std::optional<std::string_view> next()
    {
        if (pos_ >= text_.size()) return std::nullopt;
        std::size_t end = pos_;
        while (end < text_.size() && text_[end] != '\n' && text_[end] != '\r') ++end;
        std::string_view line = text_.substr(pos_, end - pos_);
        if (end < text_.size() && text_[end] == '\r') {
            ++end;
            if (end < text_.size() && text_[end] == '\n') ++end;
        }
        else if (end < text_.size()) ++end;
        pos_ = end;
        ++number_;
        return line;
    }
    std::size_t number() const { return number_; }
    std::size_t remainingBytes() const { return text_.size() - pos_; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t number_ = 0;
};

struct Failure {
    std::string text;
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Numbers of a line in order; false at the first field that is not a number.
class FieldReader {
public:
    explicit FieldReader(std::string_view line) : p_(line.data()), end_(line.data() + line.size()) {}

    bool real(double& value)
    {
        skip();
        if (p_ == end_) return false;
        auto r = std::from_chars(p_, end_, value);
        if (r.ec != std::errc() || (r.ptr != end_ && !isBlank(*r.ptr))) return false;
        p_ = r.ptr;
        return std::isfinite(value);
    }
    bool integer(long long& value)
    {
        skip();
        if (p_ == end_) return false;
        auto r = std::from_chars(p_, end_, value);
        if (r.ec != std::errc() || (r.ptr != end_ && !isBlank(*r.ptr))) return false;
        p_ = r.ptr;
        return true;
    }
    bool atEnd()
    {
        skip();
        return p_ == end_;
    }

private:
    void skip()
    {
        while (p_ != end_ && isBlank(*p_)) ++p_;
    }
    const char* p_;
    const char* end_;
};

class MeshFileReader {
public:
    MeshFileReader(std::string_view text) : lines_(text) {}

    std::string_view line(const char* what)
    {
        auto l = lines_.next();
        if (!l) throw Failure{"The file ends at line " + std::to_string(lines_.number()) + "; " + what + " expected."};
        return *l;
    }
    void skip(int count, const char* what)
    {
        for (int k = 0; k < count; ++k) line(what);
    }
    long long headerNumber(const char* what)
    {
        std::string_view l = line(what);
        const double v = l.size() > 2 ? lenientNumber(l.substr(2)) : 0;
        if (!(std::abs(v) < 1e15) || v != std::floor(v))
            throw Failure{where() + "'" + std::string(l) + "' does not give a whole " + what + "."};
        return static_cast<long long>(v);
    }
    long long count(const char* what)
    {
        std::string_view l = line(what);
        FieldReader f(l);
        long long v = 0;
        if (!f.integer(v) || !f.atEnd())
            throw Failure{where() + "'" + std::string(l) + "' is not a count (" + what + ")."};
        return v;
    }
    std::string where() const { return "Line " + std::to_string(lines_.number()) + ": "; }
    std::size_t remainingBytes() const { return lines_.remainingBytes(); }

private:
    LineCursor lines_;
};

long long checkedProduct(long long a, long long b, long long c)
{
    long long ab = 0, abc = 0;
    if (__builtin_mul_overflow(a, b, &ab) || __builtin_mul_overflow(ab, c, &abc)) return -1;
    return abc;
}

struct Staging {
    Mesh mesh;
    std::vector<double> values;
    int kind = 0;
};

void readFile(std::string_view text, Staging& s)
{
    MeshFileReader r(text);
    r.skip(3, "the header");
    s.kind = static_cast<int>(r.headerNumber("model kind"));
    if (s.kind != 1 && s.kind != 2)
        throw Failure{r.where() + "model kind " + std::to_string(s.kind) + "; 1 (resistivity) or 2 (IP) expected."};
    const long long nx = r.headerNumber("line count");
    const long long ny = r.headerNumber("line count");
    const long long nz = r.headerNumber("line count");
    if (nx < 2 || ny < 2 || nz < 2)
        throw Failure{"Lines 5 to 7: " + std::to_string(nx) + " x " + std::to_string(ny) + " x " + std::to_string(nz) +
                      " mesh lines; at least 2 per axis expected."};
    const long long expectedNodes = checkedProduct(nx + 2, ny + 2, nz + 2);
    if (expectedNodes < 0 || expectedNodes > kMaxMeshNodes)
        throw Failure{"Mesh too large: " + std::to_string(nx) + " x " + std::to_string(ny) + " x " +
                      std::to_string(nz) + " lines need more than " + std::to_string(kMaxMeshNodes) + " nodes."};
    const long long expectedBlocks = (nx - 1) * (ny - 1) * (nz - 1);

    r.skip(4, "the node count");
    const long long nn = r.count("NN");
    if (nn != expectedNodes)
        throw Failure{r.where() + "NN is " + std::to_string(nn) + "; (nx+2)(ny+2)(nz+2) = " +
                      std::to_string(expectedNodes) + " expected."};
    r.skip(3, "the block count");
    const long long ne = r.count("NE");
    if (ne != expectedBlocks)
        throw Failure{r.where() + "NE is " + std::to_string(ne) + "; (nx-1)(ny-1)(nz-1) = " +
                      std::to_string(expectedBlocks) + " expected."};
    r.skip(3, "the electrode count");
    r.count("NP");
    r.skip(3, "the quadrupole count");
    r.count("NQ");
    r.skip(4, "the node section");
    // A node line needs at least five characters and a line end, a block
    // line seventeen: a file too short for its counts is refused before the
    // arrays are allocated.
    const long long needed = 6 * nn + 18 * ne;
    if (needed > static_cast<long long>(r.remainingBytes()))
        throw Failure{"The file is too short for " + std::to_string(nn) + " nodes and " + std::to_string(ne) +
                      " blocks (" + std::to_string(r.remainingBytes()) + " bytes left)."};

    std::vector<NodePoint> nodes(static_cast<std::size_t>(nn));
    for (NodePoint& p : nodes) {
        std::string_view l = r.line("a node line");
        FieldReader f(l);
        if (!f.real(p.x) || !f.real(p.y) || !f.real(p.z))
            throw Failure{r.where() + "'" + std::string(l) + "' does not hold three node coordinates."};
    }
    r.skip(3, "the block section");
    std::vector<ElementCorners> corners(static_cast<std::size_t>(ne));
    s.values.resize(static_cast<std::size_t>(ne));
    for (std::size_t e = 0; e < corners.size(); ++e) {
        std::string_view l = r.line("a block line");
        FieldReader f(l);
        for (std::int32_t& k : corners[e]) {
            long long v = 0;
            if (!f.integer(v))
                throw Failure{r.where() + "'" + std::string(l) + "' does not hold eight node numbers and a value."};
            if (v < 1 || v > nn)
                throw Failure{r.where() + "node number " + std::to_string(v) + " outside 1.." + std::to_string(nn) +
                              "."};
            k = static_cast<std::int32_t>(v);
        }
        if (!f.real(s.values[e]))
            throw Failure{r.where() + "'" + std::string(l) + "' does not hold eight node numbers and a value."};
        // The conductivity kept is 1/value: 0 stands for 1e-7 below.
        const double v = s.values[e];
        if (s.kind == 1 && (v < 0 || (v != 0 && !std::isnormal(1 / v))))
            throw Failure{r.where() + "'" + std::string(l) + "' holds a resistivity that is negative or out of range."};
    }

    // The lines are the file's own: x along the first row, y along the first
    // column, z down the first node column of the real nodes.
    Mesh& m = s.mesh;
    m.nx = static_cast<std::int32_t>(nx);
    m.ny = static_cast<std::int32_t>(ny);
    m.nz = static_cast<std::int32_t>(nz);
    m.lines.x.resize(static_cast<std::size_t>(nx));
    m.lines.y.resize(static_cast<std::size_t>(ny));
    m.lines.z.resize(static_cast<std::size_t>(nz));
    for (long long i = 1; i <= nx; ++i) m.lines.x[i - 1] = nodes[nodeNumber(m, i, 1, 1) - 1].x;
    for (long long i = 1; i <= ny; ++i) m.lines.y[i - 1] = nodes[nodeNumber(m, 1, i, 1) - 1].y;
    for (long long i = 1; i <= nz; ++i) m.lines.z[i - 1] = nodes[nodeNumber(m, 1, 1, i) - 1].z;
    for (std::size_t i = 1; i < m.lines.x.size(); ++i)
        if (!(m.lines.x[i] > m.lines.x[i - 1])) throw Failure{"The X coordinates of the first node row do not ascend."};
    for (std::size_t i = 1; i < m.lines.y.size(); ++i)
        if (!(m.lines.y[i] > m.lines.y[i - 1]))
            throw Failure{"The Y coordinates of the first node column do not ascend."};
    for (std::size_t i = 1; i < m.lines.z.size(); ++i)
        if (!(m.lines.z[i] < m.lines.z[i - 1])) throw Failure{"The Z coordinates of the first node column do not descend."};
    m.nodeGrid = std::move(nodes);
    m.elementNodes = std::move(corners);
}

}  // namespace

MeshFileStatus importMeshText(std::string_view text, std::string_view name, SettingsTable& settings, Mesh& mesh,
                              Models& models, MessageLog& log)
{
    LineCursor first(text);
    auto line1 = first.next();
    if (!line1 || *line1 != "# version_info") {
        log.logError(kImportMeshSource, "Line 1 is not \"# version_info\": not a mesh file.");
        return MeshFileStatus::NotAMeshFile;
    }
    Staging s;
    try {
        readFile(text, s);
    } catch (const Failure& failure) {
        log.logError(kImportMeshSource, failure.text);
        return MeshFileStatus::Failed;
    } catch (const std::bad_alloc&) {
        log.logError(kImportMeshSource, "Not enough memory for the mesh of the file.");
        return MeshFileStatus::Failed;
    }

    // Flags, strides and boundary codes exactly as a built mesh has them; the
    // nodes and corners then come from the file.
    Mesh built;
    built.lines = s.mesh.lines;
    built.redBlack = mesh.redBlack;
    built.foreground = mesh.foreground;
    if (NodeMesh(built, settings, log) != NodeMeshStatus::Made) {
        log.logError(kImportMeshSource, "The mesh of the file cannot be built.");
        return MeshFileStatus::Failed;
    }
    built.nodeGrid = std::move(s.mesh.nodeGrid);
    built.elementNodes = std::move(s.mesh.elementNodes);
    built.followsTerrain = false;
    built.terrainSurface.clear();
    built.present = true;

    if (s.kind == 1) {
        for (double& v : s.values) v = 1 / (v == 0 ? 1e-7 : v);
        models.conductivity = std::move(s.values);
        models.ip.resize(1);
        models.conductivityImported = true;
        setSettingText(settings, Item::ResistivityModelType, "1-Imported");
    }
    else {
        double scale = settingNumber(settings, Item::IpScale);
        if (!(scale > 0)) scale = kDefaultIpScale;
        for (double& v : s.values) v /= scale;
        models.ip = std::move(s.values);
        models.ipScale = scale;
        models.ipImported = true;
        setSettingText(settings, Item::IpModelType, "1-Imported");
    }
    mesh = std::move(built);
    setSettingText(settings, Item::MeshType, "2-Imported(" + std::string(name) + ")");
    return MeshFileStatus::Read;
}

MeshFileStatus funImportMesh(const std::filesystem::path& path, SettingsTable& settings, Mesh& mesh, Models& models,
                             MessageLog& log)
{
    std::string text, why;
    if (!readTextFile(path, text, &why)) {
        log.logError(kImportMeshSource, path.string() + ": " + why);
        return MeshFileStatus::Failed;
    }
    return importMeshText(text, path.string(), settings, mesh, models, log);
}

}  // namespace vexora
