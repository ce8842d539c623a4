#include <gtest/gtest.h>

#include "core/sequence/SensitivityProfile.h"

namespace {

using namespace vexora;

// 4 x 3 x 4 lines: 3 x 2 x 3 blocks, z lines at 10, 9, 7, 3 (layers 1, 2 and
// 4 m thick); the foreground takes the blocks whose centre has x <= 2.
Mesh smallMesh()
{
    Mesh mesh;
    mesh.lines.x = {0, 1, 2, 3};
    mesh.lines.y = {0, 1, 2};
    mesh.lines.z = {10, 9, 7, 3};
    mesh.nx = 4, mesh.ny = 3, mesh.nz = 4;
    mesh.foreground = {0, 2, 0, 2, 3, 10};
    return mesh;
}

// Block order: x fastest, then y, then z (layer).
std::vector<double> byLayer(double top, double middle, double bottom, double outside)
{
    std::vector<double> values;
    for (double v : {top, middle, bottom})
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) values.push_back(x == 2 ? outside : v + 0.5 * x);
    return values;
}

TEST(SensitivityProfile, LayerMeansOverTheForegroundBlocks)
{
    const Mesh mesh = smallMesh();
    const std::vector<LayerSensitivity> layers = layerSensitivity(mesh, byLayer(4, 0.2, 0.01, 1000));
    ASSERT_EQ(layers.size(), 3u);
    const double expected[3][3] = {{0, 1, 4.25}, {1, 3, 0.45}, {3, 7, 0.26}};  // top, bottom, mean of v and v + 0.5
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_DOUBLE_EQ(layers[k].top, expected[k][0]);
        EXPECT_DOUBLE_EQ(layers[k].bottom, expected[k][1]);
        EXPECT_DOUBLE_EQ(layers[k].mean, expected[k][2]);
    }
    // 10 % of the top layer's 4.25 is 0.425: the middle layer passes, the bottom one not.
    EXPECT_DOUBLE_EQ(sensitiveDepth(layers, 0.1), 3.0);
    EXPECT_DOUBLE_EQ(sensitiveDepth(layers, 0.01), 7.0);
    EXPECT_DOUBLE_EQ(sensitiveDepth(layers, 0.5), 1.0);
    EXPECT_TRUE(layerSensitivity(mesh, std::vector<double>(5, 1.0)).empty());  // not one value per block
    EXPECT_DOUBLE_EQ(sensitiveDepth({}, 0.01), 0.0);
}

TEST(SensitivityProfile, ComparisonCountsTheBlocksWhereTheSecondSeesMore)
{
    const Mesh mesh = smallMesh();
    const std::vector<double> first = byLayer(4, 0.2, 0.01, 1000);
    const std::vector<double> second = byLayer(2, 0.2, 0.1, 0);  // less at the top, equal, more at depth
    // Foreground: 4 blocks a layer, 12 in all; the second sees more in the bottom layer's 4.
    EXPECT_DOUBLE_EQ(shareWhereSecondSeesMore(mesh, first, second), 4.0 / 12);
    const std::vector<std::string> lines = comparisonLines(mesh, first, second);
    ASSERT_EQ(lines.size(), 1u + 3 + 2);
    EXPECT_EQ(lines[1], "0.000\t1.000\t4.25\t2.25\t0.529");
    EXPECT_EQ(lines[3], "3.000\t7.000\t0.26\t0.35\t1.346");
    EXPECT_EQ(lines[4], "sensitive depth (1% of the top layer) 1: 7 m, 2: 7 m");
    EXPECT_EQ(lines[5], "blocks under the electrodes where 2 sees more than 1: 33.3%");
}

}  // namespace
