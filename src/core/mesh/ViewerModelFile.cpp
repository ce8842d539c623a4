#include "core/mesh/ViewerModelFile.h"

#include <cstring>
#include <ctime>
#include <functional>
#include <limits>

#include "core/io/TextFile.h"
#include "core/settings/ParseLine.h"

namespace vexora {

namespace {

constexpr std::size_t kHeaderBytes = 200;
constexpr std::size_t kBlocksStart = 400;  // 0-based: absolute position 401

void put16(std::string& out, std::size_t at, std::int16_t v)
{
    const auto u = static_cast<std::uint16_t>(v);
    out[at] = static_cast<char>(u & 0xFF);
    out[at + 1] = static_cast<char>(u >> 8);
}

void put32(std::string& out, std::size_t at, std::int32_t v)
{
    const auto u = static_cast<std::uint32_t>(v);
    for (int b = 0; b < 4; ++b) out[at + static_cast<std::size_t>(b)] = static_cast<char>((u >> (8 * b)) & 0xFF);
}

class Appender {
public:
    explicit Appender(std::string& out) : out_(out) {}
    void i16(std::int16_t v)
    {
        const std::size_t at = out_.size();
        out_.resize(at + 2);
        put16(out_, at, v);
    }
    void i32(std::int32_t v)
    {
        const std::size_t at = out_.size();
        out_.resize(at + 4);
        put32(out_, at, v);
    }
    void f64(double v)
    {
        std::uint64_t u = 0;
        std::memcpy(&u, &v, sizeof u);
        char b[8];
        for (int k = 0; k < 8; ++k) b[k] = static_cast<char>((u >> (8 * k)) & 0xFF);
        out_.append(b, 8);
    }
    void bytes(std::string_view text) { out_.append(text); }

private:
    std::string& out_;
};

void writeHeader(std::string& out, std::size_t at, const char (&letters)[3], const ViewerTimestamp& when)
{
    for (std::size_t k = 0; k < 3; ++k) out[at + 2 * k] = letters[k];
    put16(out, at + 6, 1);
    for (std::size_t k = 0; k < 6; ++k) put16(out, at + 20 + 2 * k, when[k]);
}

bool inside(const PlotRegion& r, const NodePoint& p)
{
    return p.x >= r.xMin && p.x <= r.xMax && p.y >= r.yMin && p.y <= r.yMax && p.z >= r.zMin && p.z <= r.zMax;
}

bool fits32(std::size_t v) { return v <= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()); }

}  // namespace

ViewerTimestamp currentViewerTimestamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {static_cast<std::int16_t>(local.tm_year + 1900), static_cast<std::int16_t>(local.tm_mon + 1),
            static_cast<std::int16_t>(local.tm_mday), static_cast<std::int16_t>(local.tm_hour),
            static_cast<std::int16_t>(local.tm_min), static_cast<std::int16_t>(local.tm_sec)};
}

PlotRegion viewerPlotRegion(const SettingsTable& table)
{
    classParseLine tokenizer;
    const std::vector<double> b = dDataFill(tokenizer, settingText(table, Item::PlotBounds));
    const double dx = settingNumber(table, Item::GridSizeX), dy = settingNumber(table, Item::GridSizeY),
                 dz = settingNumber(table, Item::GridSizeZ);
    auto at = [&](std::size_t k) { return k < b.size() ? b[k] : 0.0; };
    PlotRegion r{at(0) - dx, at(1) + dx, at(2) - dy, at(3) + dy, at(4) - dz, at(5) + dz};
    if (settingInteger(table, Item::FlatZBottom) == 2) {
        r.zMin = settingNumber(table, Item::ForegroundZMax) - at(4) - dz;
        r.zMax = std::numeric_limits<double>::infinity();
    }
    return r;
}

ViewerFileStatus viewerModelBytes(const SettingsTable& settings, const Survey& survey, const Mesh& mesh,
                                  const Models& models, std::string_view quantity,
                                  const std::vector<double>* sensitivity, const ViewerTimestamp& when,
                                  std::string& bytes, std::span<const BlockQuantity> more)
{
    const std::size_t blocks = mesh.elementNodes.size();
    const bool rho = quantity == "RHO";
    if (rho ? models.conductivity.size() != blocks : (!sensitivity || sensitivity->size() != blocks))
        return ViewerFileStatus::BlockFailed;
    const PlotRegion region = viewerPlotRegion(settings);

    // Which nodes and blocks lie in the region, counted first so the buffer
    // is allocated once.
    std::vector<char> nodeIn(mesh.nodeGrid.size(), 0);
    std::size_t nodes = 0;
    for (std::int64_t iz = 1; iz <= mesh.nz; ++iz)
        for (std::int64_t iy = 1; iy <= mesh.ny; ++iy)
            for (std::int64_t ix = 1; ix <= mesh.nx; ++ix) {
                const auto k = static_cast<std::size_t>(nodeNumber(mesh, ix, iy, iz) - 1);
                if (k < nodeIn.size() && inside(region, mesh.nodeGrid[k])) {
                    nodeIn[k] = 1;
                    ++nodes;
                }
            }
    std::vector<std::uint32_t> blockList;
    for (std::size_t e = 0; e < blocks; ++e) {
        bool all = true;
        for (std::int32_t k : mesh.elementNodes[e]) all = all && k >= 1 && nodeIn[static_cast<std::size_t>(k - 1)];
        if (all) blockList.push_back(static_cast<std::uint32_t>(e));
    }
    std::vector<const Electrode*> electrodes;
    for (const Electrode& el : survey.electrodes)
        if (el.x >= region.xMin && el.x <= region.xMax && el.y >= region.yMin && el.y <= region.yMax)
            electrodes.push_back(&el);

    // Each quantity's name and its value of block e.
    std::vector<std::pair<std::string_view, std::function<double(std::size_t)>>> columns;
    if (rho) {
        columns.emplace_back("Resistivity", [&](std::size_t e) { return 1 / models.conductivity[e]; });
        columns.emplace_back("Conductivity", [&](std::size_t e) { return models.conductivity[e]; });
        if (models.ip.size() == blocks)
            columns.emplace_back("Chargeability", [&](std::size_t e) { return models.ip[e] * models.ipScale; });
        if (models.sensitivity.size() == blocks)
            columns.emplace_back(kSensitivityQuantity, [&](std::size_t e) { return models.sensitivity[e]; });
        if (models.doiIndex.size() == blocks)
            columns.emplace_back(kDoiIndexQuantity, [&](std::size_t e) { return models.doiIndex[e]; });
        for (const BlockQuantity& q : more) {
            if (!q.values || q.values->size() != blocks) return ViewerFileStatus::BlockFailed;
            columns.emplace_back(q.name, [values = q.values](std::size_t e) { return (*values)[e]; });
        }
    }
    else columns.emplace_back(kSensitivityQuantity, [&](std::size_t e) { return (*sensitivity)[e]; });
    std::size_t nameBytes = 0;
    for (const auto& column : columns) nameBytes += 4 + column.first.size();
    const std::size_t n2 = blockList.size(), q = columns.size();
    const std::size_t sizes[5] = {8 + 28 * nodes, 8 + 32 * n2, 12 + nameBytes + 8 * q * n2, 8 + 32 * electrodes.size(),
                                  8 + 14 * electrodes.size()};
    std::size_t total = 0;
    for (std::size_t s : sizes) total += s;
    if (!fits32(total + kBlocksStart)) return ViewerFileStatus::BlockFailed;

    bytes.assign(kBlocksStart, '\0');
    bytes.reserve(kBlocksStart + total);
    writeHeader(bytes, 0, {'V', 'X', 'R'}, when);
    put32(bytes, 116, 201);
    put32(bytes, 120, static_cast<std::int32_t>(total));
    writeHeader(bytes, kHeaderBytes, {'V', 'W', 'R'}, when);
    std::int32_t offset = 201;
    for (std::size_t b = 0; b < 5; ++b) {
        put32(bytes, kHeaderBytes + 100 + 8 * b, offset);
        put32(bytes, kHeaderBytes + 104 + 8 * b, static_cast<std::int32_t>(sizes[b]));
        offset += static_cast<std::int32_t>(sizes[b]);
    }

    Appender out(bytes);
    out.i32(1);
    out.i32(static_cast<std::int32_t>(nodes));
    for (std::size_t k = 0; k < nodeIn.size(); ++k)
        if (nodeIn[k]) {
            out.i32(static_cast<std::int32_t>(k + 1));
            out.f64(mesh.nodeGrid[k].x);
            out.f64(mesh.nodeGrid[k].y);
            out.f64(mesh.nodeGrid[k].z);
        }
    out.i32(1);
    out.i32(static_cast<std::int32_t>(n2));
    for (std::uint32_t e : blockList)
        for (std::int32_t k : mesh.elementNodes[e]) out.i32(k);
    out.i32(1);
    out.i32(static_cast<std::int32_t>(n2));
    out.i32(static_cast<std::int32_t>(q));
    for (const auto& column : columns) {
        out.i32(static_cast<std::int32_t>(column.first.size()));
        out.bytes(column.first);
    }
    for (std::uint32_t e : blockList)
        for (const auto& column : columns) out.f64(column.second(e));
    out.i32(1);
    out.i32(static_cast<std::int32_t>(electrodes.size()));
    for (const Electrode* el : electrodes) {
        out.i32(el->cable);
        out.i32(el->number);
        out.f64(el->x);
        out.f64(el->y);
        out.f64(el->z);
    }
    out.i32(1);
    out.i32(static_cast<std::int32_t>(electrodes.size()));
    for (const Electrode* el : electrodes) {
        out.i16(el->type);
        out.f64(el->elevation);
        out.i32(el->cable);
    }
    return ViewerFileStatus::Written;
}

ViewerFileStatus modBinOutput(const std::filesystem::path& path, std::string_view quantity,
                              const SettingsTable& settings, const Survey& survey, const Mesh& mesh,
                              const Models& models, MessageLog& log, const std::vector<double>* sensitivity,
                              std::span<const BlockQuantity> more)
{
    constexpr std::string_view kSource = "modBinOutput";
    if (!mesh.present || mesh.elementNodes.empty()) {
        log.logError(kSource, "No mesh to write.");
        return ViewerFileStatus::HeaderFailed;
    }
    std::string bytes;
    const auto made = viewerModelBytes(settings, survey, mesh, models, quantity, sensitivity, currentViewerTimestamp(),
                                      bytes, more);
    if (made != ViewerFileStatus::Written) {
        log.logError(kSource, "The model values do not match the mesh's " +
                               std::to_string(mesh.elementNodes.size()) + " blocks.");
        return made;
    }
    std::string why;
    if (!writeFileAtomically(path, bytes, &why)) {
        log.logError(kSource, path.string() + " not written: " + why);
        return ViewerFileStatus::HeaderFailed;
    }
    return ViewerFileStatus::Written;
}

}  // namespace vexora
