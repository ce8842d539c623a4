#include <gtest/gtest.h>

#include "MeshTestSupport.h"
#include "core/mesh/DefaultMeshSettings.h"
#include "core/settings/ParseLine.h"

using namespace vexora;
using vexora::testing::electrode;
using vexora::testing::logHas;

namespace {

struct Derived {
    Status result = Status::Ok;
    SettingsTable table;
    MeshLines lines;
    MessageLog log;
    std::string operator[](Item item) const { return std::string(settingText(table, item)); }
};

Derived derive(std::vector<Electrode> electrodes, std::vector<TopographyPoint> topography = {})
{
    Survey survey;
    survey.electrodes = std::move(electrodes);
    survey.topography = std::move(topography);
    Derived d{Status::Ok, defaultSettingsTable(), MeshLines{{1}, {2}, {3}}, MessageLog()};
    d.result = SetDefaultMeshSettings(survey, d.table, d.lines, d.log);
    return d;
}

TEST(MeshDefaultSettings, SurfaceLineAlongX)
{
    std::vector<Electrode> line;
    for (int i = 0; i < 5; ++i) line.push_back(electrode(1, i + 1, i, 0, 0));
    const Derived d = derive(line, {{0, 0, 0}});
    ASSERT_EQ(d.result, Status::Ok);
    // hx = 0.5 and hy = 0 < hx / 10, so dy = dx; the zero Y extent widens by dy.
    EXPECT_EQ(d[Item::GridSizeX] + d[Item::GridSizeY] + d[Item::GridSizeZ], "0.50.50.5");
    // Depth sqrt(4^2 + 1^2) / 6 = 0.68718 below the lowest electrode.
    EXPECT_EQ(d[Item::DepthOfInvestigation], "0.687");
    EXPECT_EQ(d[Item::PlotBounds], "0 4 -0.5 0.5 -0.687 0");
    EXPECT_EQ(d[Item::FlatTerrain], "2");  // topography present
    EXPECT_TRUE(d.lines.empty());
    EXPECT_EQ(d.log.plainText(), "");
}

TEST(MeshDefaultSettings, BuriedElectrodesTakeTheVerticalSpacing)
{
    std::vector<Electrode> hole;
    for (int i = 1; i <= 4; ++i) hole.push_back(electrode(1, i, 0, 0, -2.0 * i, 1));
    for (Electrode& e : hole) e.elevation = 0;
    const Derived d = derive(hole);
    EXPECT_EQ(d[Item::GridSizeX] + d[Item::GridSizeZ], "11");
    EXPECT_EQ(d[Item::PlotBounds], "-1 1 -1 1 -8 0");  // all borehole: lowest electrode to highest terrain
    EXPECT_EQ(d[Item::FlatTerrain], " 1 ");             // no topography: untouched
}

TEST(MeshDefaultSettings, RemoteElectrodeExtendsThePadsInStepsOfEight)
{
    std::vector<Electrode> layout;
    for (int i = 0; i <= 10; ++i) layout.push_back(electrode(1, i + 1, i, 0, 0));
    // Last X line 10 + 64 x 0.5 = 42, outermost cell 4 m: 100 m beyond needs round(100 / 4 + 3) = 28 pads.
    layout.push_back(electrode(2, 1, 142, 0, 0, -2));
    const Derived d = derive(layout);
    classParseLine tokenizer;
    const std::vector<double> pads = dDataFill(tokenizer, d[Item::PadsXMax]);
    ASSERT_EQ(pads.size(), 11u + 28u);
    EXPECT_EQ(pads[11], 72.0);
    EXPECT_EQ(pads.back(), 64.0 + 8 * 28);
    EXPECT_EQ(d[Item::PadsXMin] + d[Item::PadsYMax], std::string(catalogueEntry(Item::PadsXMin).defaultText) +
                                                         std::string(catalogueEntry(Item::PadsYMax).defaultText));
}

TEST(MeshDefaultSettings, LayoutsWithoutSpacing)
{
    const Derived none = derive({});
    EXPECT_EQ(none.result, Status::Error);
    EXPECT_TRUE(logHas(none.log, "Error: SetDefaultMeshSettings: No electrodes: default mesh settings not derived."));
    EXPECT_EQ(none.table, defaultSettingsTable());

    const Derived single = derive({electrode(1, 1, 3, 4, 0)});
    EXPECT_TRUE(logHas(single.log, "No electrode spacing: element sizes kept at 0.5 0.5 0.5 m."));
    EXPECT_EQ(single[Item::ForegroundXMin] + " " + single[Item::ForegroundXMax], "2.5 3.5");

    // One electrode per cable on a 2 m square: half the nearest-neighbour distance.
    const Derived square = derive({electrode(1, 1, 0, 0, 0), electrode(2, 1, 2, 0, 0), electrode(3, 1, 0, 2, 0),
                                   electrode(4, 1, 2, 2, 0)});
    EXPECT_EQ(square[Item::GridSizeX] + square[Item::GridSizeY] + square[Item::GridSizeZ], "111");
    EXPECT_TRUE(logHas(square.log, "No electrode spacing along the cables: element size 1 m"));
    // A cable whose electrodes share one spot has no spacing either; distances 0, 0, 3.
    const Derived spot = derive({electrode(1, 1, 0, 0, 0), electrode(1, 2, 0, 0, 0), electrode(2, 1, 3, 0, 0)});
    EXPECT_EQ(spot[Item::GridSizeX], "1.5");
}

}  // namespace
