#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "MeshTestSupport.h"
#include "core/mesh/NodeMesh.h"

using namespace vexora;
namespace vt = vexora::testing;
using vexora::testing::logHas;
using vexora::testing::settingsWith;

namespace {

double z(const Mesh& m, int ix, int iy, int iz) { return m.nodeGrid[nodeNumber(m, ix, iy, iz) - 1].z; }

TEST(MeshNodes, OneBlockWithItsHaloFlatAndOnTerrain)
{
    for (double terrain : {0.0, 3.0}) {
        Mesh m = vt::meshOfLines({10, 11}, {20, 21}, {0, -1});
        m.followsTerrain = terrain != 0;
        m.terrainSurface.assign(4, terrain);
        MessageLog log;
        ASSERT_EQ(NodeMesh(m, settingsWith({{Item::FlatZBottom, "2"}}), log), NodeMeshStatus::Made);
        ASSERT_EQ(m.nodeGrid.size(), 64u);
        EXPECT_EQ(m.elementNodes, (std::vector<ElementCorners>{{22, 23, 26, 27, 38, 39, 42, 43}}));
        EXPECT_EQ(m.elementBoundary, (std::vector<std::int16_t>{kBoundaryBottom}));
        EXPECT_EQ(m.nodeGrid[21], (NodePoint{10, 20, terrain}));  // node 22: (1, 1, 1)
        EXPECT_EQ(m.nodeGrid[42], (NodePoint{11, 21, terrain - 1}));  // node 43: (2, 2, 2)
        EXPECT_EQ(std::count(m.nodeGrid.begin(), m.nodeGrid.end(), NodePoint{}), 56);
        EXPECT_EQ(std::count(m.nodeFlags.begin(), m.nodeFlags.end(), kNodeFlagSet), 8);
        EXPECT_EQ(m.nodeFlags[21], kNodeFlagSet);
        EXPECT_EQ(m.nodeStride, (std::array<std::int32_t, 3>{1, 4, 16}));
    }
    Mesh m = vt::meshOfLines({0, 1}, {0, 1}, {0, -1});
    m.redBlack = 1;
    MessageLog log;
    ASSERT_EQ(NodeMesh(m, defaultSettingsTable(), log), NodeMeshStatus::Made);
    std::vector<int> set;
    for (std::size_t k = 0; k < m.nodeFlags.size(); ++k)
        if (m.nodeFlags[k] == kNodeFlagSet) set.push_back(static_cast<int>(k + 1));
    EXPECT_EQ(set, (std::vector<int>{22, 27, 39, 42}));  // odd ix + iy + iz
}

TEST(MeshNodes, BoundaryCodesFavourTheHigherCode)
{
    struct Case {
        int nx, ny, nz;
        std::vector<std::int16_t> codes;
    };
    const Case cases[] = {
        // Every block of a 3 x 3 x 3 mesh touches a Y face; the second layer is the bottom.
        {3, 3, 3, {3, 3, 4, 4, 5, 5, 5, 5}},
        {4, 4, 3, {3, 3, 3, 1, 0, 2, 4, 4, 4, 5, 5, 5, 5, 5, 5, 5, 5, 5}},
    };
    for (const Case& c : cases)
        for (bool terrain : {false, true}) {
            Mesh m = vt::meshOfLines(vt::evenLines(0, 1, c.nx), vt::evenLines(0, 1, c.ny), vt::evenLines(0, -1, c.nz));
            m.followsTerrain = terrain;
            m.terrainSurface.assign(static_cast<std::size_t>(c.nx * c.ny), 0.5);
            MessageLog log;
            ASSERT_EQ(NodeMesh(m, defaultSettingsTable(), log), NodeMeshStatus::Made);
            EXPECT_EQ(m.elementBoundary, c.codes);
        }
}

// Z lines with the foreground from 0 down to -2; terrain 1 m above its top
// on every column but the last.
Mesh terrainMesh(std::vector<double> zLines, double lastColumn = 1)
{
    Mesh m = vt::meshOfLines({0, 1}, {0, 1, 2}, std::move(zLines));
    m.followsTerrain = true;
    m.terrainSurface = {1, 1, 1, 1, 1, lastColumn};
    return m;
}

const SettingsTable flatBottom = settingsWith({{Item::ForegroundZMin, "-2"}, {Item::ForegroundZMax, "0"}});

TEST(MeshNodes, FlatBottomCompressesTheForegroundOnly)
{
    MessageLog log;
    // (S - zb) / (zt - zb) = 1.5: z = 1 - 1.5 (0 - Z) down to the line nearest zb.
    Mesh m = terrainMesh({0, -1, -2, -4});
    ASSERT_EQ(NodeMesh(m, flatBottom, log), NodeMeshStatus::Made);
    EXPECT_EQ(std::vector<double>({z(m, 1, 1, 1), z(m, 1, 1, 2), z(m, 1, 1, 3), z(m, 1, 1, 4)}),
              std::vector<double>({1, -0.5, -2, -4}));
    EXPECT_EQ(m.foreground.zBottom, -2.0);
    // -1 and -3 are equally near zb: the upper one is the last line compressed.
    m = terrainMesh({0, -1, -3, -5});
    ASSERT_EQ(NodeMesh(m, flatBottom, log), NodeMeshStatus::Made);
    EXPECT_EQ(z(m, 2, 3, 2), -0.5);
    EXPECT_EQ(z(m, 2, 3, 3), -3.0);
    // Terrain at the foreground top everywhere: the flat mesh.
    m.terrainSurface.assign(6, 0.0);
    ASSERT_EQ(NodeMesh(m, flatBottom, log), NodeMeshStatus::Made);
    EXPECT_EQ(std::vector<double>({z(m, 2, 2, 1), z(m, 2, 2, 2), z(m, 2, 2, 3), z(m, 2, 2, 4)}), m.lines.z);
}

TEST(MeshNodes, TerrainFollowingBottomShiftsWholeColumns)
{
    // Terrain far below any bottom is fine: the shift keeps every column in order.
    Mesh m = terrainMesh({0, -1, -3}, -50);
    MessageLog log;
    ASSERT_EQ(NodeMesh(m, settingsWith({{Item::FlatZBottom, "2"}}), log), NodeMeshStatus::Made);
    EXPECT_EQ(z(m, 1, 1, 3), -2.0);
    EXPECT_EQ(z(m, 2, 3, 1), -50.0);  // the last column: (ix - 1) ny + iy = 6
    EXPECT_EQ(z(m, 2, 3, 3), -53.0);
}

TEST(MeshNodes, RefusalsLeaveTheMeshAsItWas)
{
    Mesh wrongSize = terrainMesh({0, -1, -3});
    wrongSize.terrainSurface.pop_back();
    Mesh infinite = terrainMesh({0, -1, -3}, INFINITY);
    const std::vector<double> many = vt::evenLines(0, 1, 1300);
    const std::tuple<Mesh, SettingsTable, NodeMeshStatus, const char*> cases[] = {
        {terrainMesh({0, -1, -3}, -2.5), flatBottom, NodeMeshStatus::TerrainBelowBottom, ""},  // reported by the caller
        {terrainMesh({0, -1, -3}), settingsWith({{Item::ForegroundZMin, "0"}}), NodeMeshStatus::Failed,
         "Error: Node Mesh: The foreground top (0) must lie above its bottom (0) for the mesh to follow the terrain."},
        {vt::meshOfLines({0}, {0, 1}, {0, -1}), flatBottom, NodeMeshStatus::Failed,
         "At least two mesh lines are needed along X, Y and Z; found 1, 2, 2."},
        {wrongSize, flatBottom, NodeMeshStatus::Failed, "The terrain surface holds 5 elevations, 6 expected."},
        {infinite, flatBottom, NodeMeshStatus::Failed, "A terrain elevation is not a finite number."},
        // 1302^3 nodes pass 2^31: refused before anything is allocated.
        {vt::meshOfLines(many, many, many), flatBottom, NodeMeshStatus::Failed,
         "Mesh too large: 1300 x 1300 x 1300 lines need more than 2147483647 nodes."},
    };
    for (auto [mesh, settings, result, message] : cases) {
        mesh.nodeGrid = {NodePoint{1, 2, 3}};
        mesh.nx = 9;
        MessageLog log;
        EXPECT_EQ(NodeMesh(mesh, settings, log), result) << message;
        EXPECT_TRUE(logHas(log, message)) << log.plainText();
        EXPECT_EQ(log.errorCount(), *message ? 1u : 0u);
        EXPECT_EQ(mesh.nodeGrid, (std::vector<NodePoint>{{1, 2, 3}})) << message;
        EXPECT_EQ(mesh.nx, 9);
    }
}

}  // namespace
