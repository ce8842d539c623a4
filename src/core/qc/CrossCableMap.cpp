#include "core/qc/CrossCableMap.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <unordered_set>

#include "core/settings/NumberText.h"

namespace vexora {

namespace {

// Position of each electrode number on one cable in its electrode list.
using CablePositions = std::unordered_map<std::int32_t, std::int32_t>;

std::vector<std::int32_t> cableElectrodes(const Survey& survey, std::int32_t cable, CablePositions& positions)
{
    std::vector<std::int32_t> rows;
    for (std::size_t e = 0; e < survey.electrodes.size(); ++e)
        if (survey.electrodes[e].cable == cable) {
            positions.emplace(survey.electrodes[e].number, static_cast<std::int32_t>(rows.size()));
            rows.push_back(static_cast<std::int32_t>(e));
        }
    return rows;
}

int position(const CablePositions& positions, const ElectrodeRef& ref, std::int32_t cable)
{
    if (ref.cable != cable) return -1;
    const auto it = positions.find(ref.number);
    return it == positions.end() ? -1 : it->second;
}

// A pole is remote when it names no electrode or one of negative type.
class RemotePoles {
public:
    explicit RemotePoles(const Survey& survey)
    {
        for (const Electrode& e : survey.electrodes)
            (e.type < 0 ? remote_ : present_).insert(ElectrodeLookup::key(e.cable, e.number));
    }
    bool operator()(const ElectrodeRef& ref) const
    {
        const std::uint64_t key = ElectrodeLookup::key(ref.cable, ref.number);
        return remote_.count(key) != 0 || present_.count(key) == 0;
    }

private:
    std::unordered_set<std::uint64_t> remote_, present_;
};

struct Placement {
    int row = -1, column = -1, layer = 0;
};

Placement place(const Quadrupole& q, CrossCableArray array, const RemotePoles& remote, const CablePositions& tx,
                std::int32_t txCable, const CablePositions& rx, std::int32_t rxCable)
{
    Placement at;
    if (array == CrossCableArray::DipoleDipole) {
        if (position(tx, q.pole[B], txCable) < 0 || position(rx, q.pole[N], rxCable) < 0) return {};
        at.row = position(tx, q.pole[A], txCable);
        at.column = position(rx, q.pole[M], rxCable);
        at.layer = std::abs(q.pole[M].number - q.pole[N].number);
        return at;
    }
    const bool remoteA = remote(q.pole[A]), remoteB = remote(q.pole[B]);
    const bool remoteM = remote(q.pole[M]), remoteN = remote(q.pole[N]);
    if (!remoteA && !remoteB) return {};
    const ElectrodeRef& transmitting = remoteA ? q.pole[B] : q.pole[A];
    at.row = position(tx, transmitting, txCable);
    if (array == CrossCableArray::PolePole) {
        if (!remoteM && !remoteN) return {};
        at.column = position(rx, remoteM ? q.pole[N] : q.pole[M], rxCable);
        at.layer = 1;
        return at;
    }
    if (remoteM || remoteN || position(rx, q.pole[N], rxCable) < 0) return {};
    at.column = position(rx, q.pole[M], rxCable);
    at.layer = std::abs(q.pole[M].number - q.pole[N].number);
    return at;
}

double factorOf(const std::vector<double>& factors, std::size_t row)
{
    return row < factors.size() ? factors[row] : 0.0;
}

double valueOf(const Survey& survey, const std::vector<double>& factors, std::size_t row, bool resistivity)
{
    const double resistance = survey.quadrupoles.resistance[row];
    return resistivity ? resistance * factorOf(factors, row) : resistance;
}

ColourTable ramp(std::initializer_list<std::pair<int, Rgb>> anchors)
{
    ColourTable table{};
    auto from = anchors.begin();
    for (auto to = from + 1; to != anchors.end(); from = to++) {
        for (int i = from->first; i <= to->first; ++i) {
            const double f = static_cast<double>(i - from->first) / (to->first - from->first);
            const auto mix = [f](std::uint8_t a, std::uint8_t b) {
                return static_cast<std::uint8_t>(std::lround(a + f * (b - a)));
            };
            table[static_cast<std::size_t>(i - 1)] = {mix(from->second.r, to->second.r),
                                                      mix(from->second.g, to->second.g),
                                                      mix(from->second.b, to->second.b)};
        }
    }
    return table;
}

std::string poleText(const Survey& survey, const ElectrodeRef& ref)
{
    const std::string cable = ref.cable >= 1 && static_cast<std::size_t>(ref.cable) <= survey.cableNames.size()
                                  ? survey.cableNames[static_cast<std::size_t>(ref.cable - 1)]
                                  : std::to_string(ref.cable);
    return cable + "," + std::to_string(ref.number);
}

std::string electrodeInfo(const Survey& survey, const std::vector<std::int32_t>& electrodes, std::size_t index,
                          const char* heading)
{
    if (index >= electrodes.size()) return "No Data";
    const Electrode& e = survey.electrodes[static_cast<std::size_t>(electrodes[index])];
    return heading + std::to_string(e.number) + "\nZ(m): " + formatNumber(e.z);
}

}  // namespace

std::int32_t CrossCableMap::quadrupoleAt(int layer, std::size_t row, std::size_t column) const
{
    if (layer < 1 || layer > layerCount() || row >= rows() || column >= columns()) return -1;
    const auto cells = layers.find(layer);
    if (cells == layers.end()) return -1;
    const auto it = cells->second.find(static_cast<std::int64_t>(row * columns() + column));
    return it == cells->second.end() ? -1 : it->second;
}

CrossCableMap buildCrossCableMap(const Survey& survey, const std::vector<double>& factors, CrossCableArray array,
                                 std::int32_t txCable, std::int32_t rxCable)
{
    CrossCableMap map;
    const auto cables = static_cast<std::int32_t>(survey.cableNames.size());
    if (txCable < 1 || txCable > cables || rxCable < 1 || rxCable > cables) return map;
    CablePositions tx, rx;
    map.txElectrodes = cableElectrodes(survey, txCable, tx);
    map.rxElectrodes = cableElectrodes(survey, rxCable, rx);
    const RemotePoles remote(survey);
    const auto& rows = survey.quadrupoles.rows;
    const std::size_t columns = map.columns();
    for (std::size_t k = 0; k < rows.size() && k < survey.quadrupoles.resistance.size(); ++k) {
        const Placement at = place(rows[k], array, remote, tx, txCable, rx, rxCable);
        if (at.row < 0 || at.column < 0 || at.layer < 1) continue;
        map.layers[at.layer][static_cast<std::int64_t>(
                static_cast<std::size_t>(at.row) * columns + static_cast<std::size_t>(at.column))] =
                static_cast<std::int32_t>(k);
        const double resistance = valueOf(survey, factors, k, false);
        const double resistivity = valueOf(survey, factors, k, true);
        map.minResistance = std::min(map.minResistance, resistance);
        map.maxResistance = std::max(map.maxResistance, resistance);
        map.minResistivity = std::min(map.minResistivity, resistivity);
        map.maxResistivity = std::max(map.maxResistivity, resistivity);
    }
    return map;
}

const ColourTable& crossCableColourTable(CrossCableColours colours)
{
    static const ColourTable rainbow = ramp({{1, {0, 0, 255}},
                                             {89, {0, 254, 241}},
                                             {167, {109, 254, 0}},
                                             {197, {240, 255, 0}},
                                             {256, {255, 9, 0}}});
    static const ColourTable redBlue =
            ramp({{1, {0, 0, 255}}, {10, {18, 18, 255}}, {138, {255, 236, 236}}, {256, {255, 0, 0}}});
    return colours == CrossCableColours::Rainbow ? rainbow : redBlue;
}

int crossCableColourIndex(double value, double minimum, double maximum)
{
    const auto v = static_cast<float>(value), low = static_cast<float>(minimum), high = static_cast<float>(maximum);
    if (!(high != low)) return 128;
    const float index = std::nearbyint((v - low) * 256.0f / (high - low));
    if (!(index >= 1.0f)) return 1;
    return index > 256.0f ? 256 : static_cast<int>(index);
}

std::string crossCableLegendLabel(double value, bool resistivity)
{
    if (resistivity) return formatFixed(value, 2);
    std::string text = formatFixed(value, 7);
    const std::size_t point = text.find('.');
    while (text.size() > point + 5 && text.back() == '0') text.pop_back();
    return text;
}

CrossCablePicture crossCablePicture(const Survey& survey, const std::vector<double>& factors,
                                    const CrossCableMap& map, const CrossCableView& view)
{
    CrossCablePicture picture;
    picture.rows = map.rows();
    picture.columns = map.columns();
    picture.resistivity = view.resistivity;
    for (std::int32_t e : map.txElectrodes) picture.rowNumbers.push_back(survey.electrodes[static_cast<std::size_t>(e)].number);
    for (std::int32_t e : map.rxElectrodes)
        picture.columnNumbers.push_back(survey.electrodes[static_cast<std::size_t>(e)].number);
    picture.minimum = view.manualScale ? view.manualMinimum
                      : view.resistivity ? map.minResistivity
                                         : map.minResistance;
    picture.maximum = view.manualScale ? view.manualMaximum
                      : view.resistivity ? map.maxResistivity
                                         : map.maxResistance;
    const ColourTable& table = crossCableColourTable(view.colours);
    picture.cells.resize(picture.rows * picture.columns);
    if (const auto layer = map.layers.find(view.layer); layer != map.layers.end())
        for (const auto& [cell, row] : layer->second) {
            const auto k = static_cast<std::size_t>(row);
            if (k < survey.quadrupoles.skip.size() && survey.quadrupoles.skip[k] >= 1) continue;
            CrossCableCell& shown = picture.cells[static_cast<std::size_t>(cell)];
            shown.quadrupole = row;
            shown.value = valueOf(survey, factors, k, view.resistivity);
            shown.colour = table[static_cast<std::size_t>(
                    crossCableColourIndex(shown.value, picture.minimum, picture.maximum) - 1)];
        }
    picture.legendTitle = view.resistivity ? "Apparent Resistivity (ohm m)" : "Resistance V/I (V/A)";
    // Without a counted quadrupole the limits are still their starting values: no scale to show.
    if (!view.manualScale && map.layers.empty()) return picture;
    constexpr int kSteps = 10;
    for (int i = 0; i <= kSteps; ++i) {
        const double value = picture.minimum + (picture.maximum - picture.minimum) * i / kSteps;
        picture.legend.push_back({table[static_cast<std::size_t>(
                                          crossCableColourIndex(value, picture.minimum, picture.maximum) - 1)],
                                  crossCableLegendLabel(value, view.resistivity)});
    }
    return picture;
}

std::string crossCableRowInfo(const Survey& survey, const CrossCableMap& map, std::size_t row)
{
    return electrodeInfo(survey, map.txElectrodes, row, "TX electrode: ");
}

std::string crossCableColumnInfo(const Survey& survey, const CrossCableMap& map, std::size_t column)
{
    return electrodeInfo(survey, map.rxElectrodes, column, "RX(M) electrode: ");
}

std::string crossCableCellInfo(const Survey& survey, const std::vector<double>& factors,
                               const CrossCableMap& map, int layer, std::size_t row, std::size_t column,
                               bool clicked)
{
    const std::int32_t found = map.quadrupoleAt(layer, row, column);
    if (found < 0) return clicked ? "No Data" : "";
    const auto k = static_cast<std::size_t>(found);
    const Quadrupole& q = survey.quadrupoles.rows[k];
    const double resistance = survey.quadrupoles.resistance[k];
    const double current = k < survey.quadrupoles.current.size() ? survey.quadrupoles.current[k] : 0.0;
    const double factor = factorOf(factors, k);
    std::string text = (clicked ? "QUADRUPOLE: " : "Quadrupole: ") + std::to_string(q.id) + "\n" +
                       (clicked ? "cA A cB B cM M cN N: " : "A B M N: ");
    for (int p = A; p <= N; ++p) text += (p == A ? "" : " ") + poleText(survey, q.pole[p]);
    text += "\nV=" + formatNumber(resistance * current) + " mV";
    text += "\nI=" + formatNumber(current) + " mA";
    text += "\nV/I=" + formatNumber(resistance) + " V/A";
    text += "\nAppRes=" + formatFixed(resistance * factor, 3) + " ohm m";
    text += "\nK=" + formatFixed(factor, 3);
    return text;
}

}  // namespace vexora
