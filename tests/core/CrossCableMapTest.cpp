#include <gtest/gtest.h>

#include <algorithm>

#include "core/qc/CrossCableMap.h"

namespace vexora {
namespace {

// Two cables of six electrodes ("L1", "L2") and, when asked, a remote cable
// "Rem" with electrodes 1 (A) and 3 (M) of negative type.
Survey twoCables(bool remotes)
{
    Survey s;
    s.cableNames = {"L1", "L2"};
    for (int c = 1; c <= 2; ++c)
        for (int e = 1; e <= 6; ++e) s.electrodes.push_back({c, e, 1.0 * e, 5.0 * c, -0.5 * e, 0, 2});
    if (remotes) {
        s.cableNames.push_back("Rem");
        s.electrodes.push_back({3, 1, -99, -99, 0, 0, -2});
        s.electrodes.push_back({3, 3, -99, -99, 0, 0, -2});
    }
    return s;
}

void add(Survey& s, std::int32_t id, ElectrodeRef a, ElectrodeRef b, ElectrodeRef m, ElectrodeRef n, double value,
         std::int16_t skip = 0)
{
    s.quadrupoles.rows.push_back({id, {a, b, m, n}});
    s.quadrupoles.resistance.push_back(value);
    s.quadrupoles.current.push_back(200);
    s.quadrupoles.skip.push_back(skip);
}

std::vector<double> factorsOf(const Survey& s, double k = 10) { return std::vector<double>(s.quadrupoles.size(), k); }

TEST(CrossCableMap, ColourIndexRunsFromOneToTwoFiftySixAndClamps)
{
    struct Case {
        double value, minimum, maximum;
        int index;
    };
    const Case cases[] = {
            {0.2, 0.2, 1.2, 1},     // the index 0 of the minimum is clamped to 1
            {1.2, 0.2, 1.2, 256},   // the maximum
            {0.7, 0.2, 1.2, 128},   // the middle
            {-5, 0, 1, 1},          // below a typed range: the low end colour
            {7, 0, 1, 256},         // above it: the high end colour
            {0.5 / 256, 0, 1, 0 + 1},  // 0.5 rounds half to even: 0, clamped to 1
            {1.5 / 256, 0, 1, 2},   // 1.5 rounds half to even: 2
            {3, 3, 3, 128},         // equal limits: one colour for all
    };
    for (const Case& c : cases)
        EXPECT_EQ(crossCableColourIndex(c.value, c.minimum, c.maximum), c.index) << c.value;
}

TEST(CrossCableMap, ColourTablesPassThroughTheirAnchors)
{
    const ColourTable& rainbow = crossCableColourTable(CrossCableColours::Rainbow);
    EXPECT_EQ(rainbow[0], (Rgb{0, 0, 255}));
    EXPECT_EQ(rainbow[88], (Rgb{0, 254, 241}));
    EXPECT_EQ(rainbow[166], (Rgb{109, 254, 0}));
    EXPECT_EQ(rainbow[196], (Rgb{240, 255, 0}));
    EXPECT_EQ(rainbow[255], (Rgb{255, 9, 0}));
    const ColourTable& redBlue = crossCableColourTable(CrossCableColours::RedBlue);
    EXPECT_EQ(redBlue[9], (Rgb{18, 18, 255}));
    EXPECT_EQ(redBlue[137], (Rgb{255, 236, 236}));
    EXPECT_EQ(redBlue[255], (Rgb{255, 0, 0}));
}

TEST(CrossCableMap, DipoleDipoleCellsLayersAndLimits)
{
    Survey s = twoCables(false);
    add(s, 1, {1, 2}, {1, 3}, {2, 4}, {2, 5}, 0.5);  // row 1, column 3, layer 1
    add(s, 2, {1, 2}, {1, 3}, {2, 1}, {2, 3}, 2.0);  // row 1, column 0, layer 2
    add(s, 3, {1, 1}, {2, 3}, {2, 4}, {2, 5}, 9.0);  // B on the RX cable: not on this map
    add(s, 4, {1, 2}, {1, 3}, {2, 4}, {2, 5}, 1.0);  // the same cell as 1: replaces it
    add(s, 5, {1, 1}, {1, 2}, {1, 3}, {1, 4}, 7.0);  // in-cable only
    const std::vector<double> k = factorsOf(s);
    const CrossCableMap map = buildCrossCableMap(s, k, CrossCableArray::DipoleDipole, 1, 2);
    EXPECT_EQ(map.rows(), 6u);
    EXPECT_EQ(map.columns(), 6u);
    EXPECT_EQ(map.layerCount(), 2);
    EXPECT_EQ(map.quadrupoleAt(1, 1, 3), 3);  // row of quadrupole 4
    EXPECT_EQ(map.quadrupoleAt(2, 1, 0), 1);
    EXPECT_EQ(map.quadrupoleAt(1, 0, 0), -1);
    EXPECT_EQ(map.quadrupoleAt(3, 1, 0), -1);
    // Every counted quadrupole sets the limits, even one replaced later.
    EXPECT_EQ(map.minResistance, 0.5);
    EXPECT_EQ(map.maxResistance, 2.0);
    EXPECT_EQ(map.minResistivity, 5.0);
    EXPECT_EQ(map.maxResistivity, 20.0);

    // The same cable as TX and RX gives the in-cable map.
    const CrossCableMap inCable = buildCrossCableMap(s, k, CrossCableArray::DipoleDipole, 1, 1);
    EXPECT_EQ(inCable.quadrupoleAt(1, 0, 2), 4);
    EXPECT_EQ(inCable.minResistance, 7.0);
    // A cable that is not the survey's builds nothing.
    EXPECT_EQ(buildCrossCableMap(s, k, CrossCableArray::DipoleDipole, 0, 2).rows(), 0u);
    EXPECT_EQ(buildCrossCableMap(s, k, CrossCableArray::DipoleDipole, 1, 3).layerCount(), 0);
}

TEST(CrossCableMap, PolesNeedTheirRemotes)
{
    Survey plain = twoCables(false);
    add(plain, 1, {1, 2}, {1, 3}, {2, 4}, {2, 5}, 0.5);
    // Without remote electrodes a pole-pole or pole-dipole map stays empty, without a scale.
    const CrossCableMap empty = buildCrossCableMap(plain, factorsOf(plain), CrossCableArray::PolePole, 1, 2);
    EXPECT_EQ(empty.layerCount(), 0);
    EXPECT_TRUE(crossCablePicture(plain, factorsOf(plain), empty, {}).legend.empty());
    EXPECT_EQ(buildCrossCableMap(plain, factorsOf(plain), CrossCableArray::PoleDipole, 1, 2).layerCount(), 0);

    Survey s = twoCables(true);
    add(s, 1, {3, 1}, {1, 4}, {2, 2}, {3, 3}, 3.0);  // pole-pole: B transmits, M receives
    add(s, 2, {1, 5}, {3, 1}, {2, 2}, {2, 5}, 4.0);  // pole-dipole: A transmits, layer 3
    add(s, 3, {1, 5}, {0, 0}, {2, 6}, {2, 5}, 6.0);  // an absent pole counts as remote
    const std::vector<double> k = factorsOf(s);
    const CrossCableMap pp = buildCrossCableMap(s, k, CrossCableArray::PolePole, 1, 2);
    EXPECT_EQ(pp.layerCount(), 1);
    EXPECT_EQ(pp.quadrupoleAt(1, 3, 1), 0);
    EXPECT_EQ(pp.layers.at(1).size(), 1u);
    const CrossCableMap pd = buildCrossCableMap(s, k, CrossCableArray::PoleDipole, 1, 2);
    EXPECT_EQ(pd.layerCount(), 3);
    EXPECT_EQ(pd.quadrupoleAt(3, 4, 1), 1);
    EXPECT_EQ(pd.quadrupoleAt(1, 4, 5), 2);
    EXPECT_TRUE(pd.layers.count(2) == 0);
}

TEST(CrossCableMap, PictureColoursSkipsAndManualScale)
{
    Survey s = twoCables(false);
    add(s, 1, {1, 1}, {1, 2}, {2, 1}, {2, 2}, 1.0);
    add(s, 2, {1, 2}, {1, 3}, {2, 2}, {2, 3}, 3.0);
    add(s, 3, {1, 3}, {1, 4}, {2, 3}, {2, 4}, 5.0, 1);  // skipped: blank, yet part of the limits
    const std::vector<double> k = factorsOf(s);
    const CrossCableMap map = buildCrossCableMap(s, k, CrossCableArray::DipoleDipole, 1, 2);
    CrossCableView view;
    CrossCablePicture picture = crossCablePicture(s, k, map, view);
    const ColourTable& rainbow = crossCableColourTable(CrossCableColours::Rainbow);
    ASSERT_EQ(picture.cells.size(), 36u);
    EXPECT_EQ(picture.rowNumbers.front(), 1);
    EXPECT_EQ(picture.cells[0].colour, rainbow[0]);
    EXPECT_EQ(picture.cells[7].colour, rainbow[127]);  // 3 of 1..5
    EXPECT_EQ(picture.cells[14].quadrupole, -1);
    EXPECT_EQ(picture.cells[5].quadrupole, -1);
    EXPECT_EQ(picture.legendTitle, "Resistance V/I (V/A)");
    ASSERT_EQ(picture.legend.size(), 11u);
    EXPECT_EQ(picture.legend.front().label, "1.0000");
    EXPECT_EQ(picture.legend.back().label, "5.0000");
    EXPECT_EQ(picture.legend.back().colour, rainbow[255]);

    // A typed range: values outside it take the end colours.
    view.manualScale = true;
    view.manualMinimum = 15;
    view.manualMaximum = 25;
    view.colours = CrossCableColours::RedBlue;
    view.resistivity = true;
    picture = crossCablePicture(s, k, map, view);
    const ColourTable& redBlue = crossCableColourTable(CrossCableColours::RedBlue);
    EXPECT_EQ(picture.cells[0].colour, redBlue[0]);  // 10 ohm m
    EXPECT_EQ(picture.cells[7].colour, redBlue[255]);
    EXPECT_EQ(picture.cells[7].value, 30.0);
    EXPECT_EQ(picture.legendTitle, "Apparent Resistivity (ohm m)");
    EXPECT_EQ(picture.legend.front().label, "15.00");
    // No layer of that size: nothing drawn.
    view.layer = 4;
    picture = crossCablePicture(s, k, map, view);
    EXPECT_TRUE(std::all_of(picture.cells.begin(), picture.cells.end(), [](const CrossCableCell& c) { return c.quadrupole < 0; }));
}

TEST(CrossCableMap, LegendLabelsAndInfoTexts)
{
    EXPECT_EQ(crossCableLegendLabel(0.123456789, false), "0.1234568");
    EXPECT_EQ(crossCableLegendLabel(2, false), "2.0000");
    EXPECT_EQ(crossCableLegendLabel(0.00012, false), "0.00012");
    EXPECT_EQ(crossCableLegendLabel(12.345, true), "12.35");

    Survey s = twoCables(false);
    add(s, 7, {1, 1}, {1, 2}, {2, 1}, {2, 2}, 0.25);
    const std::vector<double> k = factorsOf(s, 12.56637);
    const CrossCableMap map = buildCrossCableMap(s, k, CrossCableArray::DipoleDipole, 1, 2);
    EXPECT_EQ(crossCableRowInfo(s, map, 1), "TX electrode: 2\nZ(m): -1");
    EXPECT_EQ(crossCableColumnInfo(s, map, 0), "RX(M) electrode: 1\nZ(m): -0.5");
    EXPECT_EQ(crossCableCellInfo(s, k, map, 1, 0, 0, false),
              "Quadrupole: 7\nA B M N: L1,1 L1,2 L2,1 L2,2\nV=50 mV\nI=200 mA\nV/I=0.25 V/A\nAppRes=3.142 ohm m\n"
              "K=12.566");
    EXPECT_EQ(crossCableCellInfo(s, k, map, 1, 0, 0, true).rfind("QUADRUPOLE: 7\ncA A cB B cM M cN N: L1,1 L1,2 L2,1 L2,2\nV=", 0),
              0u);
    EXPECT_EQ(crossCableCellInfo(s, k, map, 1, 1, 1, true), "No Data");
    EXPECT_EQ(crossCableCellInfo(s, k, map, 1, 1, 1, false), "");
    EXPECT_EQ(crossCableRowInfo(s, map, 99), "No Data");
}

}  // namespace
}  // namespace vexora
