#include <gtest/gtest.h>

#include <cstdint>

#include "MeshTestSupport.h"
#include "core/mesh/AdaptGrid.h"
#include "core/mesh/NodeMesh.h"
#include "core/mesh/NodeSearch.h"

using namespace vexora;
namespace vt = vexora::testing;
using vexora::testing::electrode;

namespace {

// X lines every 0.5 m from 0 to 5, Y lines -0.5, 0, 0.5, Z lines 0, -0.5, -1.
Mesh flatMesh()
{
    Mesh m = vt::meshOfLines(vt::evenLines(0, 0.5, 11), {-0.5, 0, 0.5}, {0, -0.5, -1});
    MessageLog log;
    EXPECT_EQ(NodeMesh(m, defaultSettingsTable(), log), NodeMeshStatus::Made);
    return m;
}

NodePoint topNode(const Mesh& m, int ix) { return m.nodeGrid[nodeNumber(m, ix, 2, 1) - 1]; }

std::string listed(const std::string& lines)
{
    return std::string(kAdaptWarningHead) + "\r\n" + std::string(kAdaptWarningList) + lines;
}

TEST(MeshAdapt, NodesMoveOntoElectrodesOrTheElectrodesAreListed)
{
    struct Case {
        const char* what;
        std::vector<Electrode> electrodes;
        std::vector<std::pair<int, NodePoint>> nodes;  // top nodes (ix, y = 0) afterwards
        std::string listedLines;
    };
    const Case cases[] = {
        // m = 0, 0.2 (0.1 m off) and 0.1 (0.05 m off).
        {"near", {electrode(1, 1, 1, 0, 0), electrode(1, 2, 2.1, 0, 0), electrode(1, 3, 0.45, 0, 0)},
         {{3, {1, 0, 0}}, {5, {2.1, 0, 0}}, {2, {0.45, 0, 0}}}, ""},
        // Off by 0.2, 0.15, 0.12 m in 0.5 m cells: m = 0.94; 0.14 m down instead: m = 0.98.
        {"m 0.94", {electrode(1, 1, 1.2, 0.15, -0.12)}, {{3, {1.2, 0.15, -0.12}}}, ""},
        {"m 0.98", {electrode(1, 1, 1.2, 0.15, -0.14)}, {{3, {1, 0, 0}}}, "\r\nCable: A, Electrode: 1"},
        {"one spot", {electrode(1, 1, 2.1, 0, 0), electrode(2, 1, 2.1, 0, 0)}, {{5, {2.1, 0, 0}}}, ""},
        // 0.2 m apart, both nearest to (1, 0, 0): neither moves it.
        {"shared", {electrode(1, 1, 0.9, 0, 0), electrode(2, 7, 1.1, 0, 0)}, {{3, {1, 0, 0}}},
         "\r\nCable: A, Electrode: 1\r\nCable: B, Electrode: 7"},
        // Two at one spot and a third elsewhere on the same node: none moves it.
        {"mixed", {electrode(1, 1, 1.1, 0, 0), electrode(1, 2, 0.9, 0, 0), electrode(1, 3, 1.1, 0, 0)},
         {{3, {1, 0, 0}}}, "\r\nCable: A, Electrode: 1\r\nCable: A, Electrode: 2\r\nCable: A, Electrode: 3"},
    };
    for (const Case& c : cases) {
        Survey survey;
        survey.cableNames = {"A", "B"};
        survey.electrodes = c.electrodes;
        Mesh m = flatMesh();
        std::string warning;
        EXPECT_EQ(AdaptGridToElectrodes(m, survey, {0.5, 0.5, 0.5}, warning),
                  c.listedLines.empty() ? Status::Ok : Status::Error)
            << c.what;
        EXPECT_EQ(warning, c.listedLines.empty() ? "" : listed(c.listedLines)) << c.what;
        for (const auto& [ix, expected] : c.nodes) EXPECT_EQ(topNode(m, ix), expected) << c.what;
        // A size of 0 serves no electrode.
        m = flatMesh();
        EXPECT_EQ(AdaptGridToElectrodes(m, survey, {0, 0.5, 0.5}, warning), Status::Error);
        EXPECT_EQ(m.nodeGrid, flatMesh().nodeGrid);
    }
}

// The plain scan the structured search replaces: every real node in node
// order, keeping strictly closer ones.
std::int32_t scanNearest(const Mesh& m, const NodePoint& p)
{
    double best = 1e30;
    std::int32_t found = 0;
    for (int iz = 1; iz <= m.nz; ++iz)
        for (int iy = 1; iy <= m.ny; ++iy)
            for (int ix = 1; ix <= m.nx; ++ix) {
                const auto k = static_cast<std::int32_t>(nodeNumber(m, ix, iy, iz));
                const NodePoint& n = m.nodeGrid[k - 1];
                const double d = (p.x - n.x) * (p.x - n.x) + (p.y - n.y) * (p.y - n.y) + (p.z - n.z) * (p.z - n.z);
                if (d < best) best = d, found = k;
            }
    return found;
}

TEST(MeshAdapt, StructuredSearchMatchesTheFullScanTiesIncluded)
{
    // Uneven lines over a terrain; points on nodes, halfway between lines (ties) and at random.
    Mesh m = vt::meshOfLines({0, 0.5, 1, 2, 2.5, 4, 8}, {-1, 0, 0.5, 1, 3}, {0, -0.5, -1, -2, -4});
    m.followsTerrain = true;
    for (int i = 0; i < 35; ++i) m.terrainSurface.push_back(0.25 * (i % 4));
    MessageLog log;
    ASSERT_EQ(NodeMesh(m, vt::settingsWith({{Item::ForegroundZMin, "-1"}}), log), NodeMeshStatus::Made);

    std::uint32_t seed = 3;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    auto uniform = [&](double lo, double hi) { return lo + (hi - lo) * (next() >> 8) / 16777216.0; };
    auto pick = [&](const std::vector<double>& lines) {
        const std::size_t i = next() % (lines.size() - 1);
        return (seed >> 16) % 2 ? lines[i] : (lines[i] + lines[i + 1]) / 2;
    };
    std::vector<NodePoint> points = {{100, -50, 30}};  // far outside
    for (int i = 0; i < 300; ++i) points.push_back({pick(m.lines.x), pick(m.lines.y), pick(m.lines.z)});
    for (int i = 0; i < 300; ++i) points.push_back({uniform(-3, 11), uniform(-3, 5), uniform(-6, 2)});

    Survey survey;
    survey.cableNames = {"A"};
    for (int i = 0; i < 40; ++i)
        survey.electrodes.push_back(electrode(1, i + 1, uniform(0, 8), uniform(-1, 3), uniform(-2, 0)));
    for (int round = 0; round < 2; ++round) {
        const std::vector<std::int32_t> found = nearestRealNodes(m, points, 1, m.nz, false);
        for (std::size_t i = 0; i < points.size(); ++i)
            ASSERT_EQ(found[i], scanNearest(m, points[i])) << points[i].x << " " << points[i].y << " " << points[i].z;
        // Nodes moved off their lines by an adaptation are still found exactly.
        std::string warning;
        (void)AdaptGridToElectrodes(m, survey, {0.5, 0.5, 0.5}, warning);  // only the moved nodes matter here
    }
}

}  // namespace
