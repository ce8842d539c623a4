#include "core/mesh/StartingModel.h"

#include <algorithm>

#include "core/settings/LenientNumber.h"
#include "core/settings/ParseLine.h"

namespace vexora {

namespace {

constexpr std::string_view kSource = kStartingModelSource;

Anomaly parseAnomaly(classParseLine& tokenizer, const std::string& text, bool resistivity, std::size_t index,
                     MessageLog& log)
{
    const std::string name = std::string(resistivity ? "Resistivity" : "IP") + " anomaly " + std::to_string(index);
    tokenizer.Defaults();
    tokenizer.AddLine(text);
    const int count = tokenizer.Number();
    Anomaly a;
    if (count < 7) {
        log.warning(kSource, name + ": " + std::to_string(count) + " numbers, 7 needed; anomaly not used.");
        return a;
    }
    double v[7];
    for (int k = 0; k < 7; ++k) v[k] = lenientNumber(tokenizer.View(k + 1));
    a = {v[0], v[1], v[2], v[3], v[4], v[5], v[6], true};
    if (resistivity && count == 8) {
        log.warning(kSource, name + ": a radius is given, but radius anomalies are not supported; anomaly not used.");
        a.valid = false;
    }
    if (a.xMax < a.xMin || a.yMax < a.yMin || a.zMax < a.zMin) {
        log.warning(kSource, name + ": a maximum lies below its minimum; anomaly not used.");
        a.valid = false;
    }
    if (resistivity ? !(a.value > 0) : !(a.value >= 0)) {
        log.warning(kSource, name + (resistivity ? ": resistivity not positive" : ": negative IP value") +
                                 "; anomaly not used.");
        a.valid = false;
    }
    return a;
}

struct Centre {
    double x, y, z;
};

// Mean of the block's eight nodes.
Centre nodeCentre(const Mesh& mesh, const ElementCorners& corners)
{
    Centre c{0, 0, 0};
    for (std::int32_t k : corners) {
        const NodePoint& n = mesh.nodeGrid[static_cast<std::size_t>(k - 1)];
        c.x += n.x;
        c.y += n.y;
        c.z += n.z;
    }
    return {c.x / 8, c.y / 8, c.z / 8};
}

bool strictlyInside(const Anomaly& a, const Centre& c)
{
    return a.xMin < c.x && c.x < a.xMax && a.yMin < c.y && c.y < a.yMax && a.zMin < c.z && c.z < a.zMax;
}

bool completeMesh(const Mesh& mesh)
{
    const std::int64_t blocks = blockCount(mesh);
    const std::int64_t nodes = static_cast<std::int64_t>(mesh.nx + 2) * (mesh.ny + 2) * (mesh.nz + 2);
    return blocks > 0 && static_cast<std::int64_t>(mesh.elementNodes.size()) == blocks &&
           static_cast<std::int64_t>(mesh.nodeGrid.size()) == nodes &&
           mesh.lines.x.size() == static_cast<std::size_t>(mesh.nx) &&
           mesh.lines.y.size() == static_cast<std::size_t>(mesh.ny) &&
           mesh.lines.z.size() == static_cast<std::size_t>(mesh.nz);
}

// An imported model of another mesh's size cannot stay: its values would be
// read against the wrong blocks.
void dropMismatchedImport(bool& imported, const std::vector<double>& values, std::size_t blocks, Item typeItem,
                          const char* what, SettingsTable& settings, MessageLog& log)
{
    if (!imported || values.size() == blocks) return;
    imported = false;
    setSettingText(settings, typeItem, "0-Standard");
    log.warning(kSource, std::string("The imported ") + what + " model has " + std::to_string(values.size()) +
                             " blocks, the mesh " + std::to_string(blocks) +
                             ": the imported model is dropped and the starting model used.");
}

}  // namespace

std::vector<Anomaly> readAnomalies(const SettingsTable& table, bool resistivity, MessageLog& log)
{
    const Item countItem = resistivity ? Item::ResistivityAnomalyCount : Item::IpAnomalyCount;
    const Item rowItem = resistivity ? Item::ResistivityAnomaly : Item::IpAnomaly;
    std::vector<Anomaly> anomalies;
    const auto countRow = FindSettingRow(table, countItem);
    if (!countRow) return anomalies;
    const std::optional<std::int16_t> counted = toInt16Rounded(lenientNumber(table.rows[*countRow].value));
    const std::size_t wanted = counted && *counted > 0 ? static_cast<std::size_t>(*counted) : 0;

    std::size_t present = 0;
    while (present < wanted && *countRow + 1 + present < table.rows.size() &&
           table.rows[*countRow + 1 + present].description == description(rowItem))
        ++present;
    if (present < wanted)
        log.warning(kSource, std::string(description(countItem)) + " is " + std::to_string(wanted) + ", but " +
                                 std::to_string(present) + " anomaly rows follow it.");

    classParseLine tokenizer;
    anomalies.reserve(present);
    for (std::size_t k = 0; k < present; ++k)
        anomalies.push_back(parseAnomaly(tokenizer, table.rows[*countRow + 1 + k].value, resistivity, k + 1, log));
    return anomalies;
}

Status FillResistivityAndIPBlocks(SettingsTable& table, const Mesh& mesh, Models& models, MessageLog& log)
{
    if (!completeMesh(mesh)) return log.error(kSource, "No complete mesh to fill.");
    const double background = settingNumber(table, Item::BackgroundResistivity);
    const double backgroundIp = settingNumber(table, Item::BackgroundIp);
    const double scale = settingNumber(table, Item::IpScale);
    if (!(background > 0)) return log.error(kSource, "The background resistivity must be positive.");
    if (models.ipModelling && !(scale > 0)) return log.error(kSource, "The IP scale must be positive.");

    const std::vector<Anomaly> resistivity = readAnomalies(table, true, log);
    const std::vector<Anomaly> ip = models.ipModelling ? readAnomalies(table, false, log) : std::vector<Anomaly>();
    const bool onNodes = settingInteger(table, Item::AddAnomaliesToFlatGrid) == 2;

    const std::size_t blocks = static_cast<std::size_t>(blockCount(mesh));
    dropMismatchedImport(models.conductivityImported, models.conductivity, blocks, Item::ResistivityModelType,
                         "resistivity", table, log);
    if (models.ipModelling)
        dropMismatchedImport(models.ipImported, models.ip, blocks, Item::IpModelType, "IP", table, log);
    const bool fillConductivity = !models.conductivityImported;
    const bool fillIp = models.ipModelling && !models.ipImported;
    if (fillConductivity) models.conductivity.assign(blocks, 1 / background);
    if (fillIp) models.ip.assign(blocks, backgroundIp / scale);

    const bool anyResistivity = fillConductivity && std::any_of(resistivity.begin(), resistivity.end(),
                                                                [](const Anomaly& a) { return a.valid; });
    const bool anyIp = fillIp && std::any_of(ip.begin(), ip.end(), [](const Anomaly& a) { return a.valid; });
    if (anyResistivity || anyIp) {
        const MeshLines& L = mesh.lines;
        std::size_t e = 0;
        for (std::size_t iz = 0; iz + 1 < L.z.size(); ++iz)
            for (std::size_t iy = 0; iy + 1 < L.y.size(); ++iy)
                for (std::size_t ix = 0; ix + 1 < L.x.size(); ++ix, ++e) {
                    const Centre c = onNodes ? nodeCentre(mesh, mesh.elementNodes[e])
                                             : Centre{(L.x[ix] + L.x[ix + 1]) / 2, (L.y[iy] + L.y[iy + 1]) / 2,
                                                      (L.z[iz] + L.z[iz + 1]) / 2};
                    if (anyResistivity)
                        for (const Anomaly& a : resistivity)
                            if (a.valid && strictlyInside(a, c)) models.conductivity[e] = 1 / a.value;
                    if (anyIp)
                        for (const Anomaly& a : ip)
                            if (a.valid && strictlyInside(a, c)) models.ip[e] = a.value / scale;
                }
    }
    if (!models.ipModelling) models.ip.assign(1, 0.0);
    models.ipScale = scale;
    return Status::Ok;
}

}  // namespace vexora
