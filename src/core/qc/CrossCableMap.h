#pragma once
// Cross-cable maps: the measurements linking one transmitting cable to one
// receiving cable as a matrix, a row per TX electrode, a column per RX
// electrode, one layer per receiving-dipole size. Gaps, outliers and cable
// pairs that disagree show at a glance in large 3D surveys.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/qc/ColourScale.h"
#include "core/survey/SurveyTables.h"

namespace vexora {

enum class CrossCableArray { PoleDipole, DipoleDipole, PolePole };

// Where the counted quadrupoles fall. Rows and columns index `txElectrodes`
// and `rxElectrodes` (electrode rows of the TX and RX cable, in electrode
// table order). Layers are numbered from 1 and kept only where met (odd
// electrode numbers could make a dipole very long); each holds, by cell
// (row * columns + column), the quadrupole row counted last there.
struct CrossCableMap {
    std::vector<std::int32_t> txElectrodes;
    std::vector<std::int32_t> rxElectrodes;
    std::map<int, std::unordered_map<std::int64_t, std::int32_t>> layers;  // layer -> cell -> quadrupole row
    // Over every counted quadrupole; the minima start at 1e9, the maxima at -1e9.
    double minResistance = 1e9, maxResistance = -1e9;
    double minResistivity = 1e9, maxResistivity = -1e9;

    // The largest layer met; the layers below it may be empty.
    int layerCount() const { return layers.empty() ? 0 : layers.rbegin()->first; }
    std::size_t rows() const { return txElectrodes.size(); }
    std::size_t columns() const { return rxElectrodes.size(); }
    // The quadrupole row in a cell of a layer, or -1 for an empty cell.
    std::int32_t quadrupoleAt(int layer, std::size_t row, std::size_t column) const;
};

// Places every quadrupole of the survey linking cable `txCable` to cable
// `rxCable` (1-based). `factors` are the geometric factors by quadrupole row
// (apparent resistivity = V/I x K). An electrode of negative type, or a pole
// naming no electrode, is remote. Empty when either cable is not one of the
// survey's.
CrossCableMap buildCrossCableMap(const Survey& survey, const std::vector<double>& factors, CrossCableArray array,
                                 std::int32_t txCable, std::int32_t rxCable);

enum class CrossCableColours { Rainbow, RedBlue };
using ColourTable = std::array<Rgb, 256>;  // entry i is colour index i + 1

// "RAINBOW": blue, cyan, green, yellow, red; "REDBLUE": blue, white, red.
const ColourTable& crossCableColourTable(CrossCableColours colours);

// Colour index 1..256 of a value between the limits, computed in single
// precision and rounded half to even; values outside the limits take the end
// entries. Equal limits give the middle entry.
int crossCableColourIndex(double value, double minimum, double maximum);

// What the window shows of a map.
struct CrossCableView {
    int layer = 1;
    bool resistivity = false;  // apparent resistivity rather than V/I
    CrossCableColours colours = CrossCableColours::Rainbow;
    bool manualScale = false;
    double manualMinimum = 0, manualMaximum = 0;
};

struct CrossCableCell {
    std::int32_t quadrupole = -1;  // row; -1: blank (empty, or skipped)
    double value = 0;
    Rgb colour;
};

struct LegendEntry {
    Rgb colour;
    std::string label;
};

// A layer coloured for drawing, with its headers and legend.
struct CrossCablePicture {
    std::size_t rows = 0, columns = 0;
    std::vector<std::int32_t> rowNumbers, columnNumbers;  // electrode numbers
    std::vector<CrossCableCell> cells;                      // row-major
    double minimum = 0, maximum = 0;                        // the scale's limits
    bool resistivity = false;                               // the values are apparent resistivities
    std::string legendTitle;
    std::vector<LegendEntry> legend;  // from the minimum up to the maximum; none for an empty map
};

CrossCablePicture crossCablePicture(const Survey& survey, const std::vector<double>& factors,
                                    const CrossCableMap& map, const CrossCableView& view);

// A legend label: "0.0000###" for V/I, "0.00" for apparent resistivity.
std::string crossCableLegendLabel(double value, bool resistivity);

// The info box: over a row header (`row` set), a column header (`column`
// set), or a cell; `clicked` takes the click's headings. Indices out of the
// map's range, or an empty cell when clicked, give "No Data"; an empty cell
// hovered gives "".
std::string crossCableRowInfo(const Survey& survey, const CrossCableMap& map, std::size_t row);
std::string crossCableColumnInfo(const Survey& survey, const CrossCableMap& map, std::size_t column);
std::string crossCableCellInfo(const Survey& survey, const std::vector<double>& factors,
                               const CrossCableMap& map, int layer, std::size_t row, std::size_t column,
                               bool clicked);

}  // namespace vexora
