#include "core/mesh/MeshWorkspace.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "core/mesh/ArrayUtilities.h"
#include "core/mesh/MeshBuild.h"
#include "core/mesh/MeshMemory.h"
#include "core/settings/LenientNumber.h"
#include "core/settings/NumberText.h"
#include "core/settings/ParseLine.h"

namespace vexora {

namespace {

constexpr double kLineTolerance = 1e-6;  // metres: two lines closer are one

constexpr std::array<Item, 3> kSizeItems = {Item::GridSizeX, Item::GridSizeY, Item::GridSizeZ};
constexpr std::array<Item, 4> kBoxItems = {Item::ForegroundXMin, Item::ForegroundXMax, Item::ForegroundYMin,
                                           Item::ForegroundYMax};
constexpr std::array<Item, 5> kPadItems = {Item::PadsXMin, Item::PadsXMax, Item::PadsYMin, Item::PadsYMax,
                                           Item::PadsZMin};

std::string trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

// The number a field holds, when it holds exactly one finite number.
std::optional<double> fieldNumber(std::string_view text)
{
    classParseLine tokenizer;
    const std::vector<double> values = dDataFill(tokenizer, text);
    if (values.size() != 1 || !std::isfinite(values[0])) return std::nullopt;
    return values[0];
}

bool flatBottom(const SettingsTable& settings) { return settingInteger(settings, Item::FlatZBottom) == kYes; }

std::vector<double>& axisLines(MeshLines& lines, MeshAxis axis)
{
    return axis == MeshAxis::X ? lines.x : axis == MeshAxis::Y ? lines.y : lines.z;
}

void sortAxis(std::vector<double>& values, MeshAxis axis)
{
    values = dUnique(values, kLineTolerance);
    if (axis == MeshAxis::Z) std::sort(values.begin(), values.end(), std::greater<>());
    else std::sort(values.begin(), values.end());
}

Item countItem(bool resistivity) { return resistivity ? Item::ResistivityAnomalyCount : Item::IpAnomalyCount; }
Item rowItem(bool resistivity) { return resistivity ? Item::ResistivityAnomaly : Item::IpAnomaly; }

// The count row and the number of anomaly rows that follow it, as counted.
std::pair<std::size_t, std::size_t> anomalyBlock(const SettingsTable& settings, bool resistivity)
{
    const std::optional<std::size_t> countRow = FindSettingRow(settings, countItem(resistivity));
    if (!countRow) return {0, 0};
    const double counted = lenientNumber(settings.rows[*countRow].value);
    const std::size_t wanted = counted >= 1 && counted <= 1e6 ? static_cast<std::size_t>(std::llround(counted)) : 0;
    std::size_t present = 0;
    while (present < wanted && *countRow + 1 + present < settings.rows.size() &&
           settings.rows[*countRow + 1 + present].description == description(rowItem(resistivity)))
        ++present;
    return {*countRow, present};
}

}  // namespace

MeshWorkFields meshWorkFields(const SettingsTable& settings)
{
    MeshWorkFields f;
    for (std::size_t i = 0; i < kSizeItems.size(); ++i) f.sizes[i] = trimmed(settingText(settings, kSizeItems[i]));
    for (std::size_t i = 0; i < kBoxItems.size(); ++i) f.box[i] = trimmed(settingText(settings, kBoxItems[i]));
    f.zMin = trimmed(settingText(settings, Item::ForegroundZMin));
    f.zMaxOrDepth = trimmed(
        settingText(settings, flatBottom(settings) ? Item::ForegroundZMax : Item::DepthOfInvestigation));
    for (std::size_t i = 0; i < kPadItems.size(); ++i) f.pads[i] = trimmed(settingText(settings, kPadItems[i]));
    return f;
}

MeshApplyOutcome applyMeshWorkFields(const MeshWorkFields& fields, SettingsTable& settings, Mesh& mesh, MessageLog& log)
{
    MeshApplyOutcome outcome;
    static constexpr const char* kAxisNames[] = {" X cell Size!", " Y cell Size!", " Z cell Size!"};
    for (std::size_t i = 0; i < kSizeItems.size(); ++i) {
        const std::optional<double> size = fieldNumber(fields.sizes[i]);
        if (size && *size > 0) setSettingText(settings, kSizeItems[i], formatNumber(*size));
        else outcome.refusals.push_back(std::string("Only positive values allowed for") + kAxisNames[i]);
    }
    // A limit that is no number is stored as typed: MakeMeshXYZ refuses it.
    const auto storeNumber = [&](Item item, const std::string& text) {
        const std::optional<double> value = fieldNumber(text);
        setSettingText(settings, item, value ? formatNumber(*value) : text);
    };
    for (std::size_t i = 0; i < kBoxItems.size(); ++i) storeNumber(kBoxItems[i], fields.box[i]);
    if (flatBottom(settings)) {
        storeNumber(Item::ForegroundZMin, fields.zMin);
        storeNumber(Item::ForegroundZMax, fields.zMaxOrDepth);
    }
    else storeNumber(Item::DepthOfInvestigation, fields.zMaxOrDepth);

    classParseLine tokenizer;
    bool padsRefused = false;
    for (std::size_t i = 0; i < kPadItems.size(); ++i) {
        const std::vector<double> pads = dDataFill(tokenizer, fields.pads[i]);
        if (std::any_of(pads.begin(), pads.end(), [](double p) { return !(p >= 0); })) padsRefused = true;
        else setSettingText(settings, kPadItems[i], " " + trimmed(fields.pads[i]) + " ");
    }
    if (padsRefused) outcome.refusals.emplace_back("Only positive values allowed for background cell pads!");

    // Lines made from the settings are standard again; the node mesh of the
    // old lines goes with them.
    mesh.userDefined = false;
    if (applyMeshSettings(settings, mesh, log) != Status::Ok) outcome.refusals.push_back(log.lastError());
    outcome.linesMade = !mesh.lines.empty();
    return outcome;
}

LineColumns lineColumns(const MeshLines& lines, const ForegroundBox& box, MeshAxis axis)
{
    LineColumns c;
    const double tolerance = kLineTolerance;
    if (axis == MeshAxis::Z) {
        for (double z : lines.z) (z >= box.zBottom - tolerance ? c.foreground : c.low).push_back(z);
        return c;
    }
    const bool isX = axis == MeshAxis::X;
    const double lo = isX ? box.xMin : box.yMin, hi = isX ? box.xMax : box.yMax;
    for (double v : isX ? lines.x : lines.y) {
        if (v < lo - tolerance) c.low.push_back(v);
        else if (v > hi + tolerance) c.high.push_back(v);
        else c.foreground.push_back(v);
    }
    return c;
}

std::string lineCoordinateText(double value)
{
    // Divided, not multiplied, back: the quotient is the double nearest the
    // rounded decimal, so it prints short.
    return formatNumber(std::round(value / kLineTolerance) / (1 / kLineTolerance));
}

void insertMeshLine(MeshLines& lines, MeshAxis axis, double value)
{
    std::vector<double>& values = axisLines(lines, axis);
    values.push_back(value);
    sortAxis(values, axis);
}

std::optional<std::string> editMeshLine(MeshLines& lines, const ForegroundBox& box, MeshAxis axis, LineColumn column,
                                        std::size_t row, double value)
{
    const LineColumns columns = lineColumns(lines, box, axis);
    const std::vector<double>& shown =
        column == LineColumn::Low ? columns.low : column == LineColumn::High ? columns.high : columns.foreground;
    if (row >= shown.size()) return std::nullopt;

    static constexpr const char* kRefusals[] = {
        "You have to change X foreground grid bounds to insert this nodal value!",
        "You have to change Y foreground grid bounds to insert this nodal value!",
        "You have to change the depth of investigation to insert this nodal value!"};
    const std::string refusal = kRefusals[static_cast<int>(axis)];
    if (!std::isfinite(value)) return refusal;
    double lo = 0, hi = 0;
    if (axis == MeshAxis::Z) {
        lo = box.zBottom;
        hi = box.zMax;
    }
    else {
        lo = axis == MeshAxis::X ? box.xMin : box.yMin;
        hi = axis == MeshAxis::X ? box.xMax : box.yMax;
    }
    const bool fits = column == LineColumn::Foreground ? value >= lo - kLineTolerance && value <= hi + kLineTolerance
                      : column == LineColumn::Low      ? value < lo - kLineTolerance
                                                       : value > hi + kLineTolerance;
    if (!fits) return refusal;

    std::vector<double>& values = axisLines(lines, axis);
    const auto at = std::find(values.begin(), values.end(), shown[row]);
    if (at == values.end()) return std::nullopt;
    *at = value;
    sortAxis(values, axis);
    return std::nullopt;
}

std::optional<std::string> insertAnomalyRow(SettingsTable& settings, bool resistivity, const AnomalyFields& fields)
{
    const std::string refusal = resistivity ? "Bad limits or negative value for resistivity anomaly!"
                                            : "Bad limits or negative value for IP anomaly!";
    std::vector<double> values;
    for (std::size_t i = 0; i < 7; ++i) {
        const std::optional<double> v = fieldNumber(fields[i]);
        if (!v) return refusal;
        values.push_back(*v);
    }
    for (std::size_t axis = 0; axis < 3; ++axis)
        if (values[2 * axis + 1] < values[2 * axis]) return refusal;
    if (values[6] < 0) return refusal;
    if (resistivity && !trimmed(fields[7]).empty()) {
        const std::optional<double> radius = fieldNumber(fields[7]);
        if (!radius) return refusal;
        if (*radius < 0) return std::string("Negative value for radius!");
        values.push_back(*radius);
    }
    const auto [countRow, present] = anomalyBlock(settings, resistivity);
    if (!FindSettingRow(settings, countItem(resistivity))) return refusal;
    std::string text;
    for (double v : values) text += formatNumber(v) + " ";
    settings.rows.insert(settings.rows.begin() + static_cast<std::ptrdiff_t>(countRow + 1 + present),
                         SettingRow{std::string(description(rowItem(resistivity))), text, false});
    settings.rows[countRow].value = std::to_string(present + 1);
    return std::nullopt;
}

bool deleteAnomalyRow(SettingsTable& settings, bool resistivity, std::size_t index)
{
    const auto [countRow, present] = anomalyBlock(settings, resistivity);
    if (index >= present) return false;
    settings.rows.erase(settings.rows.begin() + static_cast<std::ptrdiff_t>(countRow + 1 + index));
    settings.rows[countRow].value = std::to_string(present - 1);
    return true;
}

std::vector<std::vector<double>> anomalyRows(const SettingsTable& settings, bool resistivity)
{
    const auto [countRow, present] = anomalyBlock(settings, resistivity);
    std::vector<std::vector<double>> rows;
    classParseLine tokenizer;
    for (std::size_t k = 0; k < present; ++k)
        rows.push_back(dDataFill(tokenizer, settings.rows[countRow + 1 + k].value));
    return rows;
}

std::optional<std::string> applyBackground(SettingsTable& settings, const std::string& resistivity,
                                           const std::string& ip)
{
    const std::optional<double> rho = fieldNumber(resistivity), chargeability = fieldNumber(ip);
    if (!rho || !chargeability || *rho < 0 || *chargeability < 0) return std::string("Negative value for background!");
    setSettingText(settings, Item::BackgroundResistivity, formatNumber(*rho));
    setSettingText(settings, Item::BackgroundIp, formatNumber(*chargeability));
    return std::nullopt;
}

std::string plottedRegionText(const SettingsTable& settings)
{
    const auto number = [&](Item item) { return formatNumber(settingNumber(settings, item)); };
    std::string text = "Plotted region:\nX(m): " + number(Item::ForegroundXMin) + " " + number(Item::ForegroundXMax) +
                       "\nY(m): " + number(Item::ForegroundYMin) + " " + number(Item::ForegroundYMax) + "\n";
    if (flatBottom(settings))
        return text + "Z(m): " + number(Item::ForegroundZMin) + " " + number(Item::ForegroundZMax);
    return text + "Depth of inv.(m): " + number(Item::DepthOfInvestigation);
}

MeshSizeLabels meshSizeLabels(const MeshLines& lines, std::uint64_t availableBytes)
{
    const auto nx = static_cast<std::int64_t>(lines.x.size()), ny = static_cast<std::int64_t>(lines.y.size()),
               nz = static_cast<std::int64_t>(lines.z.size());
    const MeshMemoryEstimate estimate = estimateMeshMemory(nx, ny, nz);
    MeshSizeLabels labels;
    labels.nodes = "Nodes: " + std::to_string(nx * ny * nz);
    labels.blocks = "Blocks: " + std::to_string(nx >= 2 && ny >= 2 && nz >= 2 ? (nx - 1) * (ny - 1) * (nz - 1) : 0);
    constexpr double kMiB = 1024.0 * 1024.0;
    labels.memory = "Memory: about " + std::to_string(std::llround(estimate.bytes / kMiB)) + " MiB";
    const std::optional<std::string> refusal = meshMemoryRefusal(nx, ny, nz, availableBytes);
    labels.tooLarge = refusal.has_value();
    labels.tooltip =
        refusal ? "Too large for this machine: " + *refusal +
                      ". Make mesh will refuse it; use larger cells, a smaller foreground or fewer pads."
                : "What the node mesh and its starting model take in memory" +
                      (availableBytes ? " (" + std::to_string(std::llround(static_cast<double>(availableBytes) / kMiB)) +
                                            " MiB are available)"
                                      : std::string()) +
                      "; the solver of a job needs several times more.";
    return labels;
}

}  // namespace vexora
