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

struct TargetCase {
    const char* name;
    TargetDepth target;
    bool withResolution;
    std::size_t blocks;
    double sensitivity, resolution;
};

// Layer centres at depths 0.5, 2 and 5 m; a layer's foreground mean is its value + 0.25.
TEST(SensitivityProfile, TargetFiguresAverageTheForegroundBlocksAtTheDepth)
{
    const Mesh mesh = smallMesh();
    const std::vector<double> sensitivity = byLayer(4, 0.2, 0.01, 1000), resolution = byLayer(0.8, 0.4, 0.1, 9);
    for (const TargetCase& c : {TargetCase{"top layer", {0, 1}, true, 4, 4.25, 1.05},
                                TargetCase{"a centre on the bound", {2, 2}, true, 4, 0.45, 0.65},
                                TargetCase{"every layer", {0, 10}, true, 12, (4.25 + 0.45 + 0.26) / 3, 2.05 / 3},
                                TargetCase{"below the mesh", {5.5, 9}, true, 0, 0, 0},
                                TargetCase{"no resolution", {1, 3}, false, 4, 0.45, 0}}) {
        SCOPED_TRACE(c.name);
        const TargetFigures f = targetFigures(mesh, sensitivity, c.withResolution ? resolution : std::vector<double>{}, c.target);
        EXPECT_EQ(f.blocks, c.blocks);
        EXPECT_NEAR(f.sensitivity, c.sensitivity, 1e-12);
        EXPECT_NEAR(f.resolution, c.resolution, 1e-12);
    }
}

TEST(SensitivityProfile, SideBySideRowsAndTheVerdict)
{
    const Mesh mesh = smallMesh();
    SequenceSummary few, many;
    few.quadrupoles = 100, few.injections = 20, few.depthOfInvestigation = 3.5;
    many.quadrupoles = 150, many.injections = 40, many.depthOfInvestigation = 5.25;
    const SequenceFigures first{&few, byLayer(4, 0.2, 0.01, 1000), byLayer(0.8, 0.2, 0.1, 9)};
    const SequenceFigures second{&many, byLayer(2, 0.3, 0.1, 0), byLayer(0.6, 0.4, 0.05, 9)};
    const TargetDepth target{1, 3};
    const std::vector<FigureRow> rows = comparisonRows(mesh, first, second, target);
    const std::vector<std::vector<std::string>> expected = {
        {"Quadrupoles", "100", "150"},
        {"Current injections", "20", "40"},
        {"Depth of investigation (m)", "3.50", "5.25"},
        {"Sensitive depth, 1% of the top layer (m)", "7.00", "7.00"},
        {"Blocks at 1.00 to 3.00 m", "4", "4"},
        {"Mean sensitivity at 1.00 to 3.00 m", "0.45", "0.55"},
        {"Mean resolution at 1.00 to 3.00 m", "0.450", "0.650"},
        {"Mean resolution under the electrodes", "0.617", "0.600"}};
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t k = 0; k < rows.size(); ++k) {
        EXPECT_EQ(rows[k].label, expected[k][0]);
        EXPECT_EQ(rows[k].first, expected[k][1]);
        EXPECT_EQ(rows[k].second, expected[k][2]);
    }
    EXPECT_EQ(targetVerdict(mesh, first, second, target),
              "Sequence 2 sees the target better: mean resolution 0.65 against 0.45, with 40 current injections "
              "against 20.");
    EXPECT_EQ(targetVerdict(mesh, first, first, target),
              "Both sequences see the target alike (mean resolution 0.45 and 0.45).");
    EXPECT_EQ(targetVerdict(mesh, first, second, {20, 30}), "No block under the electrodes lies at the target depth.");

    // Without the design counts or the resolution their rows go; without a
    // matching sensitivity there is no table.
    const SequenceFigures bare{nullptr, first.sensitivity, {}}, other{nullptr, second.sensitivity, {}};
    const std::vector<FigureRow> short_ = comparisonRows(mesh, bare, other, target);
    ASSERT_EQ(short_.size(), 3u);
    EXPECT_EQ(short_[0].label, "Sensitive depth, 1% of the top layer (m)");
    EXPECT_EQ(targetVerdict(mesh, bare, other, target),
              "Sequence 2 sees the target better: mean sensitivity 0.55 against 0.45.");
    EXPECT_TRUE(comparisonRows(mesh, SequenceFigures{nullptr, {1.0, 2.0}, {}}, other, target).empty());
}

}  // namespace
