#include <gtest/gtest.h>

#include "MeshTestSupport.h"
#include "core/mesh/AnomalyRefinement.h"
#include "core/mesh/ArrayUtilities.h"
#include "core/mesh/MeshDimensions.h"
#include "core/mesh/MeshSettings.h"
#include "core/mesh/MeshWorkspace.h"

using namespace vexora;
using vexora::testing::electrode;
using vexora::testing::logHas;
using vexora::testing::settingsWith;

namespace {

using Values = std::vector<double>;

TEST(MeshArrays, FillAndUnique)
{
    EXPECT_EQ(dFill(1, 1, 3 - 5e-9), (Values{1, 2, 3}));  // within 1e-8 of the end
    EXPECT_EQ(dFill(1e17, 1, 1e17 + 100).size(), 1u);  // a step below the resolution ends the fill
    // Input order; a distance equal to the tolerance is kept; only kept values count.
    EXPECT_EQ(dUnique({0, 0.25, 0.5}, 0.5), (Values{0, 0.5}));
    EXPECT_EQ(dUnique({3, 1, 2.75}, 0.5), (Values{3, 1}));
    EXPECT_EQ(dUnique({0, 0.375, 0.75}, 0.5), (Values{0, 0.75}));
}

TEST(MeshLines, DefaultSettings)
{
    MeshLines lines;
    ForegroundBox box;
    ASSERT_EQ(MakeMeshXYZ(defaultSettingsTable(), lines, box), MeshLinesStatus::Made);
    ASSERT_EQ(lines.x.size(), 43u);  // 21 interior lines and 11 pads on each side
    EXPECT_EQ(Values(lines.x.begin(), lines.x.begin() + 12), (Values{-32, -28, -24, -20, -16, -12, -8, -4, -2, -1, -0.5, 0}));
    EXPECT_EQ(lines.x.back(), 42.0);
    EXPECT_EQ(lines.y, lines.x);
    ASSERT_EQ(lines.z.size(), 22u);
    EXPECT_EQ(Values(lines.z.begin() + 9, lines.z.begin() + 13), (Values{-4.5, -5, -5.5, -6}));
    EXPECT_EQ(lines.z.back(), -37.0);
    EXPECT_EQ(box, (ForegroundBox{0, 10, 0, 10, -5, 0}));
}

TEST(MeshLines, TopCellBetweenAQuarterAndOneAndAQuarterCells)
{
    MeshLines lines;
    ForegroundBox box;
    // Gap 0.5 >= 0.75 / 4: a line is added at the top. A pad list of 0 adds nothing.
    ASSERT_EQ(MakeMeshXYZ(settingsWith({{Item::GridSizeZ, "0.75"}, {Item::PadsZMin, "0"}}), lines, box), MeshLinesStatus::Made);
    EXPECT_EQ(lines.z, (Values{0, -0.5, -1.25, -2, -2.75, -3.5, -4.25, -5}));
    // Gap 0.05 < 0.55 / 4: the tenth line moves up to the top.
    ASSERT_EQ(MakeMeshXYZ(settingsWith({{Item::GridSizeZ, "0.55"}, {Item::PadsZMin, "x"}}), lines, box), MeshLinesStatus::Made);
    ASSERT_EQ(lines.z.size(), 10u);
    EXPECT_EQ(lines.z[0], 0.0);
    EXPECT_NEAR(lines.z[1], -0.6, 1e-12);
    // Not a flat bottom: the depth of investigation below the top.
    const SettingsTable deep = settingsWith(
        {{Item::FlatZBottom, "2"}, {Item::DepthOfInvestigation, "3"}, {Item::ForegroundZMax, "1"}, {Item::PadsZMin, ""}});
    ASSERT_EQ(MakeMeshXYZ(deep, lines, box), MeshLinesStatus::Made);
    EXPECT_EQ(lines.z, (Values{1, 0.5, 0, -0.5, -1, -1.5, -2}));
}

TEST(MeshLines, RefusedSettingsLeaveLinesAndBoxAsTheyWere)
{
    const std::tuple<Item, const char*, MeshLinesStatus> cases[] = {
        {Item::ForegroundXMin, "11", MeshLinesStatus::LimitsReversed},    {Item::ForegroundZMin, "1", MeshLinesStatus::LimitsReversed},
        {Item::ForegroundXMax, "1e999", MeshLinesStatus::LimitsReversed}, {Item::GridSizeX, "0", MeshLinesStatus::SizeNotPositive},
        {Item::GridSizeY, "-0.5", MeshLinesStatus::SizeNotPositive},      {Item::GridSizeZ, "abc", MeshLinesStatus::SizeNotPositive},
        {Item::GridSizeX, "0.000001", MeshLinesStatus::TooLarge},  // 1e7 X lines: far beyond 2^31 nodes
    };
    for (const auto& [item, value, result] : cases) {
        MeshLines lines{{1, 2}, {3}, {4}};
        ForegroundBox box{1, 2, 3, 4, 5, 6};
        EXPECT_EQ(MakeMeshXYZ(settingsWith({{item, value}}), lines, box), result) << value;
        EXPECT_EQ(lines, (MeshLines{{1, 2}, {3}, {4}}));
        EXPECT_EQ(box, (ForegroundBox{1, 2, 3, 4, 5, 6}));
    }
    EXPECT_EQ(meshLinesMessage(MeshLinesStatus::LimitsReversed), "Bad definition of foreground region limits!");
    EXPECT_EQ(meshLinesMessage(MeshLinesStatus::SizeNotPositive), "Mesh size should be positive!");
}

TEST(MeshDimensions, EstimateAndLabels)
{
    MessageLog log;
    MeshDimensions d;
    ASSERT_EQ(CalculateMeshDimensions(defaultSettingsTable(), d, log), Status::Ok);
    MeshDimensionLabels labels = meshDimensionLabels(d);
    EXPECT_EQ(labels.nodes, "Total Nodes: 40678");  // 43 x 43 x 22, the lines MakeMeshXYZ makes
    EXPECT_EQ(labels.blocks, "Total Blocks: 37044");
    EXPECT_EQ(labels.blocksX + labels.blocksY, "Blocks in X: 11+20+11Blocks in Y: 11+20+11");
    EXPECT_EQ(labels.blocksZ, "Blocks in Z: 10+11");
    EXPECT_FALSE(labels.nodesRed);
    // 5 / 0.75 = 6.67: the fraction above 0.25 adds a block; a list led by 0 counts no pads.
    const SettingsTable fine = settingsWith(
        {{Item::GridSizeZ, "0.75"}, {Item::PadsZMin, "0 1 2"}, {Item::GridSizeX, "0.1"}, {Item::GridSizeY, "0.1"}});
    ASSERT_EQ(CalculateFWMeshDimensions(fine, d, log), Status::Ok);
    labels = meshDimensionLabels(d);
    EXPECT_EQ(labels.blocksZ, "Blocks in Z: 7+0");
    EXPECT_EQ(labels.nodes, "Total Nodes: 121032");  // 123 x 123 x 8: above 120000, red
    EXPECT_TRUE(labels.nodesRed);

    EXPECT_EQ(CalculateMeshDimensions(settingsWith({{Item::GridSizeY, "0"}}), d, log), Status::Error);
    EXPECT_EQ(d.nodes, 0);
    EXPECT_TRUE(logHas(log, "Error: CalculateMeshDimensions: Mesh size should be positive!"));
    EXPECT_EQ(CalculateMeshDimensions(settingsWith({{Item::GridSizeX, "1e-300"}}), d, log), Status::Error);
    EXPECT_TRUE(logHas(log, "Mesh too large to count!"));
}

// The default lines (0.5 m from 0 to 10, 0 to -5 m down), refined by the
// settings' zone about electrodes next to a contact at x = 4.5 reaching
// the surface.
TEST(MeshLines, RefinedAboutElectrodesNextToAnAnomalySide)
{
    struct Case {
        const char* zone;
        std::vector<Electrode> electrodes;
        AnomalyFields anomaly;
        std::size_t addedX, addedY, addedZ;
    };
    const AnomalyFields contact{"4.5", "100", "-100", "100", "-100", "100", "300", ""};
    const Case cases[] = {
        // 0.5 m from the side: the intervals within 1 m halved on every axis.
        {" 2 ", {electrode(1, 1, 4, 5, 0)}, contact, 4, 4, 2},
        {"1", {electrode(1, 1, 4, 5, 0)}, contact, 2, 2, 1},
        // Two electrodes share what they both reach; one beyond the foreground adds nothing there.
        {"2", {electrode(1, 1, 4, 5, 0), electrode(1, 2, 5, 5, 0)}, contact, 6, 4, 2},
        {"2", {electrode(1, 1, 10, 5, 0)}, {"9.6", "100", "-100", "100", "-100", "100", "300", ""}, 2, 4, 2},
        // Further than one element from every side; the zone off, or no number; an anomaly that does not read.
        {"2", {electrode(1, 1, 3.9, 5, 0)}, contact, 0, 0, 0},
        {"0", {electrode(1, 1, 4, 5, 0)}, contact, 0, 0, 0},
        {"x", {electrode(1, 1, 4, 5, 0)}, contact, 0, 0, 0},
        {"2", {electrode(1, 1, 4, 5, 0)}, {"4.5", "100", "-100", "100", "-100", "100", "-3", ""}, 0, 0, 0},
        // Within one element below a buried body's top.
        {"1", {electrode(1, 1, 5, 5, 0)}, {"2", "8", "2", "8", "-3", "-0.5", "10", ""}, 2, 2, 1},
    };
    for (const Case& c : cases) {
        SettingsTable settings = settingsWith({{Item::RefineNearAnomalies, c.zone}});
        if (c.anomaly[6] != "-3") ASSERT_FALSE(insertAnomalyRow(settings, true, c.anomaly));
        else setSettingText(settings, Item::ResistivityAnomalyCount, "1");  // a count with no valid row
        Mesh mesh;
        ASSERT_EQ(MakeMeshXYZ(settings, mesh.lines, mesh.foreground), MeshLinesStatus::Made);
        const MeshLines plain = mesh.lines;
        const int added = refineNearAnomalies(settings, c.electrodes, mesh);
        SCOPED_TRACE(std::string(c.zone) + " " + c.anomaly[0]);
        EXPECT_EQ(mesh.lines.x.size() - plain.x.size(), c.addedX);
        EXPECT_EQ(mesh.lines.y.size() - plain.y.size(), c.addedY);
        EXPECT_EQ(mesh.lines.z.size() - plain.z.size(), c.addedZ);
        EXPECT_EQ(static_cast<std::size_t>(added), c.addedX + c.addedY + c.addedZ);
        EXPECT_TRUE(std::is_sorted(mesh.lines.x.begin(), mesh.lines.x.end()));
        EXPECT_TRUE(std::is_sorted(mesh.lines.z.rbegin(), mesh.lines.z.rend()));
        EXPECT_EQ(refineNearAnomalies(settings, c.electrodes, mesh), 0);  // once is all
    }
    // Midpoints of the intervals reached, top down in Z; lines edited by hand are kept.
    SettingsTable settings = settingsWith({{Item::RefineNearAnomalies, "1"}});
    ASSERT_FALSE(insertAnomalyRow(settings, true, contact));
    Mesh mesh;
    ASSERT_EQ(MakeMeshXYZ(settings, mesh.lines, mesh.foreground), MeshLinesStatus::Made);
    const MeshLines plain = mesh.lines;
    mesh.userDefined = true;
    EXPECT_EQ(refineNearAnomalies(settings, {electrode(1, 1, 4, 5, 0)}, mesh), 0);
    mesh.userDefined = false;
    EXPECT_EQ(refineNearAnomalies(settings, {electrode(1, 1, 4, 5, 0)}, mesh), 5);
    EXPECT_EQ(Values(mesh.lines.x.begin() + 18, mesh.lines.x.begin() + 22), (Values{3.5, 3.75, 4, 4.25}));
    EXPECT_EQ(Values(mesh.lines.z.begin(), mesh.lines.z.begin() + 3), (Values{0, -0.25, -0.5}));
}

}  // namespace
