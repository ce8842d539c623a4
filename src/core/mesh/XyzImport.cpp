#include "core/mesh/XyzImport.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

#include "core/io/TextFile.h"
#include "core/mesh/MeshBuild.h"
#include "core/mesh/MeshSettings.h"
#include "core/mesh/StartingModel.h"
#include "core/platform/Application.h"
#include "core/settings/LenientNumber.h"
#include "core/settings/NumberText.h"
#include "core/settings/ParseLine.h"

namespace vexora {

namespace {

template <class Visit>
void forEachLine(std::string_view text, Visit&& visit)
{
    std::size_t pos = 0, number = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        if (!visit(text.substr(pos, end - pos), ++number)) return;
        if (end < text.size() && text[end] == '\r') ++end;
        if (end < text.size() && text[end] == '\n') ++end;
        pos = end;
    }
}

struct CellKey {
    std::int64_t i, j, k;
    bool operator==(const CellKey&) const = default;
};

struct CellHash {
    std::size_t operator()(const CellKey& c) const
    {
        std::uint64_t h = static_cast<std::uint64_t>(c.i) * 0x9E3779B97F4A7C15ull;
        h ^= static_cast<std::uint64_t>(c.j) + 0x7F4A7C15ull + (h << 6) + (h >> 2);
        h ^= static_cast<std::uint64_t>(c.k) + 0x165667B1ull + (h << 6) + (h >> 2);
        return static_cast<std::size_t>(h);
    }
};

// Cell of a coordinate; far-away values share the outermost cells, which no
// block centre reaches anyway.
std::int64_t cellOf(double value, double size)
{
    const double c = std::floor(value / size);
    return static_cast<std::int64_t>(std::clamp(c, -4.0e15, 4.0e15));
}

class PointBins {
public:
    PointBins(const std::vector<XyzPoint>& points, const std::array<double, 3>& size) : size_(size)
    {
        order_.resize(points.size());
        std::vector<CellKey> keys(points.size());
        for (std::size_t p = 0; p < points.size(); ++p) {
            order_[p] = static_cast<std::uint32_t>(p);
            keys[p] = {cellOf(points[p].x, size[0]), cellOf(points[p].y, size[1]), cellOf(points[p].z, size[2])};
        }
        auto less = [&](std::uint32_t a, std::uint32_t b) {
            const CellKey& ka = keys[a];
            const CellKey& kb = keys[b];
            if (ka.i != kb.i) return ka.i < kb.i;
            if (ka.j != kb.j) return ka.j < kb.j;
            if (ka.k != kb.k) return ka.k < kb.k;
            return a < b;
        };
        std::sort(order_.begin(), order_.end(), less);
        ranges_.reserve(points.size());
        for (std::size_t b = 0; b < order_.size();) {
            std::size_t e = b + 1;
            while (e < order_.size() && keys[order_[e]] == keys[order_[b]]) ++e;
            ranges_.emplace(keys[order_[b]], std::pair<std::uint32_t, std::uint32_t>(static_cast<std::uint32_t>(b),
                                                                                      static_cast<std::uint32_t>(e)));
            b = e;
        }
    }

    // Highest point index within `half` of the centre on every axis, or -1.
    std::int64_t lastWithin(const std::vector<XyzPoint>& points, double cx, double cy, double cz,
                            const std::array<double, 3>& half) const
    {
        std::int64_t best = -1;
        const std::int64_t i0 = cellOf(cx - half[0], size_[0]), i1 = cellOf(cx + half[0], size_[0]);
        const std::int64_t j0 = cellOf(cy - half[1], size_[1]), j1 = cellOf(cy + half[1], size_[1]);
        const std::int64_t k0 = cellOf(cz - half[2], size_[2]), k1 = cellOf(cz + half[2], size_[2]);
        for (std::int64_t i = i0; i <= i1; ++i)
            for (std::int64_t j = j0; j <= j1; ++j)
                for (std::int64_t k = k0; k <= k1; ++k) {
                    auto it = ranges_.find({i, j, k});
                    if (it == ranges_.end()) continue;
                    for (std::uint32_t r = it->second.first; r < it->second.second; ++r) {
                        const std::uint32_t p = order_[r];
                        if (static_cast<std::int64_t>(p) <= best) continue;
                        const XyzPoint& q = points[p];
                        if (std::abs(q.x - cx) <= half[0] && std::abs(q.y - cy) <= half[1] &&
                            std::abs(q.z - cz) <= half[2])
                            best = p;
                    }
                }
        return best;
    }

private:
    std::array<double, 3> size_;
    std::vector<std::uint32_t> order_;
    std::unordered_map<CellKey, std::pair<std::uint32_t, std::uint32_t>, CellHash> ranges_;
};

std::string title(std::string_view suffix = "") { return std::string(kApplicationTitle) + std::string(suffix); }

}  // namespace

int xyzColumnCount(std::string_view text)
{
    classParseLine tokenizer;
    int count = 0;
    forEachLine(text, [&](std::string_view line, std::size_t) {
        tokenizer.AddLine(line);
        count = tokenizer.Number();
        return count == 0;
    });
    return count;
}

std::optional<std::array<double, 3>> parseXyzGridSize(std::string_view answer)
{
    classParseLine tokenizer;
    tokenizer.AddLine(answer);
    if (tokenizer.Number() != 3) return std::nullopt;
    std::array<double, 3> size{};
    for (int k = 0; k < 3; ++k) {
        bool found = false;
        size[static_cast<std::size_t>(k)] = lenientNumber(tokenizer.View(k + 1), found);
        if (!found || !(size[static_cast<std::size_t>(k)] > 0) || !std::isfinite(size[static_cast<std::size_t>(k)]))
            return std::nullopt;
    }
    return size;
}

std::optional<XyzColumns> parseXyzColumns(std::string_view answer, int columnCount, bool withIp)
{
    classParseLine tokenizer;
    tokenizer.AddLine(answer);
    const int given = tokenizer.Number();
    if (given < 4 || given > (withIp ? 5 : 4)) return std::nullopt;
    int c[5] = {0, 0, 0, 0, 0};
    for (int k = 0; k < given; ++k) {
        bool found = false;
        const double v = lenientNumber(tokenizer.View(k + 1), found);
        if (!found || v != std::floor(v) || v < 1 || v > columnCount) return std::nullopt;
        c[k] = static_cast<int>(v);
    }
    return XyzColumns{c[0], c[1], c[2], c[3], c[4]};
}

std::optional<std::vector<XyzPoint>> readXyzPoints(std::string_view text, const XyzColumns& columns, MessageLog& log)
{
    std::vector<XyzPoint> points;
    bool refused = false;
    auto refuse = [&](std::size_t line, const std::string& why) {
        log.logError(kLoadXyzSource, "Line " + std::to_string(line) + ": " + why + "; the model is not loaded.");
        refused = true;
        return false;
    };
    const int needed = std::max({columns.x, columns.y, columns.z, columns.resistivity, columns.ip});
    const int used[5] = {columns.x, columns.y, columns.z, columns.resistivity, columns.ip};
    classParseLine tokenizer;
    std::size_t reported = 0;
    auto skipped = [&](std::size_t line, const std::string& why) {
        if (++reported <= 5) log.warning(kLoadXyzSource, "Line " + std::to_string(line) + ": " + why + "; line skipped.");
    };
    forEachLine(text, [&](std::string_view line, std::size_t number) {
        tokenizer.AddLine(line);
        const int n = tokenizer.Number();
        if (n < 4) return true;
        // A short line would give its last token for the columns it lacks
        // (the resistivity read as the IP value): it is skipped instead.
        if (n < needed) {
            skipped(number, std::to_string(n) + " columns, " + std::to_string(needed) + " needed");
            return true;
        }
        double v[5] = {0, 0, 0, 0, 0};
        for (int k = 0; k < 5; ++k) {
            if (used[k] <= 0) continue;
            bool found = false;
            const std::string_view token = tokenizer.View(used[k]);
            v[k] = lenientNumber(token, found);
            const std::string column = "column " + std::to_string(used[k]) + " '" + std::string(token) + "'";
            if (!found) {
                skipped(number, column + " is not a number");
                return true;
            }
            if (!std::isfinite(v[k])) return refuse(number, column + " is not a finite number");
        }
        if (v[3] == 0) return true;
        const std::string resistivity =
            "the resistivity '" + std::string(tokenizer.View(columns.resistivity)) + "'";
        if (v[3] < 0) return refuse(number, resistivity + " is negative");
        // The mesh keeps 1/rho, and the mesh file 1/(1/rho): both must be
        // ordinary doubles.
        if (!std::isnormal(1 / v[3])) return refuse(number, resistivity + " is beyond the range of a model value");
        points.push_back({v[0], v[1], v[2], v[3], v[4], columns.ip > 0});
        return true;
    });
    if (refused) return std::nullopt;
    if (reported > 5)
        log.warning(kLoadXyzSource, std::to_string(reported) + " lines skipped in all.");
    return points;
}

std::size_t assignXyzModel(const Mesh& mesh, const std::vector<XyzPoint>& points, const std::array<double, 3>& spacing,
                           double backgroundResistivity, double backgroundIpScaled, double ipScale,
                           std::vector<double>& conductivity, std::vector<double>* ip)
{
    const std::size_t blocks = mesh.elementNodes.size();
    conductivity.assign(blocks, 1 / backgroundResistivity);
    if (ip) ip->assign(blocks, backgroundIpScaled);
    const std::array<double, 3> half = {spacing[0] / 2, spacing[1] / 2, spacing[2] / 2};
    const PointBins bins(points, spacing);
    std::vector<char> used(points.size(), 0);
    for (std::size_t e = 0; e < blocks; ++e) {
        double cx = 0, cy = 0, cz = 0;
        for (std::int32_t k : mesh.elementNodes[e]) {
            const NodePoint& n = mesh.nodeGrid[static_cast<std::size_t>(k - 1)];
            cx += n.x;
            cy += n.y;
            cz += n.z;
        }
        const std::int64_t p = bins.lastWithin(points, cx / 8, cy / 8, cz / 8, half);
        if (p < 0) continue;
        const XyzPoint& q = points[static_cast<std::size_t>(p)];
        used[static_cast<std::size_t>(p)] = 1;
        conductivity[e] = 1 / q.resistivity;
        if (ip && q.hasIp) (*ip)[e] = q.ip / ipScale;
    }
    // A point outside the mesh lies near no block centre.
    std::size_t outside = 0;
    for (std::size_t p = 0; p < points.size(); ++p) {
        const XyzPoint& q = points[p];
        const MeshLines& L = mesh.lines;
        if (!used[p] && !L.x.empty() &&
            (q.x < L.x.front() || q.x > L.x.back() || q.y < L.y.front() || q.y > L.y.back()))
            ++outside;
    }
    return outside;
}

Status subImportXYZ(const std::filesystem::path& path, int kind, SettingsTable& settings, Survey& survey, Mesh& mesh,
                    Models& models, Questions& questions, MessageLog& log)
{
    const bool withIp = kind != 1;
    std::string text;
    if (!readTextFile(path, text)) {
        questions.showMessage(title(" - Error"), path.filename().string() + " not found!", MessageIcon::Critical);
        return Status::Error;
    }
    const MeshSettings meshSettings = readMeshSettings(settings);
    const auto sizeAnswer = questions.inputText(
        {QuestionId::XyzGridSize, title(), "Insert average of x, y, z grid size for xyz file."},
        formatNumber(meshSettings.dx) + " " + formatNumber(meshSettings.dy) + " " + formatNumber(meshSettings.dz));
    if (!sizeAnswer || sizeAnswer->empty()) return Status::Error;
    const auto spacing = parseXyzGridSize(*sizeAnswer);
    if (!spacing) {
        questions.showMessage(title(), "Invalid grid size", MessageIcon::Information);
        return Status::Error;
    }
    const int n = xyzColumnCount(text);
    if (n < 4) {
        questions.showMessage(title(" - Error"), "Invalid number of columns (" + std::to_string(n) + ")",
                              MessageIcon::Critical);
        return Status::Error;
    }
    const std::string prompt =
        std::to_string(n) + " columns detected.\n" +
        (withIp ? "Please specify columns for X, Y, Z, RESISTIVITY and IP (optional) values."
                : "Please specify columns for X, Y, Z and RESISTIVITY values.");
    const auto columnAnswer =
        questions.inputText({QuestionId::XyzColumns, title(), prompt}, withIp ? " 1 2 3 4 5" : " 1 2 3 4 ");
    if (!columnAnswer || columnAnswer->empty()) return Status::Error;
    const auto columns = parseXyzColumns(*columnAnswer, n, withIp);
    if (!columns) {
        questions.showMessage(title(" - Error"),
                              "Invalid column number (Max column number is " + std::to_string(n) + ")",
                              MessageIcon::Critical);
        return Status::Error;
    }

    const double background = settingNumber(settings, Item::BackgroundResistivity);
    double scale = settingNumber(settings, Item::IpScale);
    if (!(scale > 0)) scale = kDefaultIpScale;
    if (!(background > 0)) return log.error(kLoadXyzSource, "The background resistivity must be positive.");

    const std::optional<std::vector<XyzPoint>> points = readXyzPoints(text, *columns, log);
    if (!points) return Status::Error;
    models.conductivityImported = false;
    models.ipImported = false;
    MeshBuildOutcome outcome;
    if (applyMeshSettings(settings, mesh, log) != Status::Ok ||
        funMakeMesh(settings, survey, mesh, models, log, outcome) != Status::Ok)
        return log.error(kLoadXyzSource, "Error: invalid mesh");

    std::vector<double> conductivity, ip;
    const std::size_t outside =
        assignXyzModel(mesh, *points, *spacing, background,
                       settingNumber(settings, Item::BackgroundIp) / scale, scale, conductivity,
                       withIp ? &ip : nullptr);
    if (outside > 0)
        log.warning(kLoadXyzSource, std::to_string(outside) + " of " + std::to_string(points->size()) +
                                        " points lie outside the mesh and were not used.");
    models.conductivity = std::move(conductivity);
    models.conductivityImported = true;
    setSettingText(settings, Item::ResistivityModelType, "1-Imported");
    if (withIp) {
        // An IP model was asked for: IP is modelled, or the refresh below
        // would reduce it to one value.
        models.ip = std::move(ip);
        models.ipImported = true;
        models.ipModelling = true;
        setSettingText(settings, Item::IpModelType, "1-Imported");
    }
    if (FillResistivityAndIPBlocks(settings, mesh, models, log) != Status::Ok)
        return log.error(kLoadXyzSource, "Error: invalid mesh");

    questions.showMessage(title(),
                          withIp ? "Mesh generated. Resistivity and IP models correctly loaded."
                                 : "Mesh generated. Resistivity model correctly loaded.",
                          MessageIcon::Information);
    log.subWriteToTextBox(std::string(kLineBreak) +
                          (withIp ? "Mesh Generated. Resistivity and IP models correctly loaded from file "
                                  : "Mesh Generated. Resistivity model correctly loaded from file ") +
                          path.string());
    return Status::Ok;
}

}  // namespace vexora
