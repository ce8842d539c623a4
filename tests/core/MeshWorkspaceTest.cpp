#include <gtest/gtest.h>

#include "core/mesh/MeshPreview.h"
#include "core/mesh/MeshWorkspace.h"

namespace vexora {
namespace {

MeshLines grid(int n)
{
    MeshLines lines;
    for (int i = 0; i < n; ++i) {
        lines.x.push_back(i);
        lines.y.push_back(i);
        lines.z.push_back(-i);
    }
    return lines;
}

// The counts, the memory the node mesh takes and the warning when it exceeds
// what is available.
TEST(MeshWorkspace, SizeLabelsWarnWhenTheMeshExceedsTheMemory)
{
    const struct {
        int lines;
        std::uint64_t available;
        const char* nodes;
        const char* blocks;
        bool tooLarge;
    } cases[] = {
        {10, 0, "Nodes: 1000", "Blocks: 729", false},
        {10, 1 << 20, "Nodes: 1000", "Blocks: 729", false},
        {100, 1 << 20, "Nodes: 1000000", "Blocks: 970299", true},
        {1, 1 << 20, "Nodes: 1", "Blocks: 0", false},
    };
    for (const auto& c : cases) {
        const MeshSizeLabels labels = meshSizeLabels(grid(c.lines), c.available);
        EXPECT_EQ(labels.nodes, c.nodes);
        EXPECT_EQ(labels.blocks, c.blocks);
        EXPECT_EQ(labels.tooLarge, c.tooLarge) << c.lines;
        EXPECT_EQ(labels.tooltip.find("Too large") != std::string::npos, c.tooLarge) << labels.tooltip;
    }
    EXPECT_EQ(meshSizeLabels(grid(100), 0).memory, "Memory: about 80 MiB");
}

TEST(MeshWorkspace, LinesFallInTheirColumnsAndZStaysDescending)
{
    MeshLines lines{{-10, -2, 0, 1, 2, 5, 30}, {0, 1}, {0, -1, -2, -8}};
    const ForegroundBox box{0, 2, 0, 1, -2, 0};
    const LineColumns x = lineColumns(lines, box, MeshAxis::X);
    EXPECT_EQ(x.low, (std::vector<double>{-10, -2}));
    EXPECT_EQ(x.foreground, (std::vector<double>{0, 1, 2}));
    EXPECT_EQ(x.high, (std::vector<double>{5, 30}));
    const LineColumns z = lineColumns(lines, box, MeshAxis::Z);
    EXPECT_EQ(z.foreground, (std::vector<double>{0, -1, -2}));
    EXPECT_EQ(z.low, (std::vector<double>{-8}));

    EXPECT_EQ(lineCoordinateText(1.201 - 2 * 0.5 - 0.124), "0.077");  // 0.07700000000000007 as summed
    EXPECT_EQ(lineCoordinateText(1.2009999999999998), "1.201");
    EXPECT_EQ(lineCoordinateText(-0.9229999999999999), "-0.923");
    insertMeshLine(lines, MeshAxis::Z, -1.5);
    insertMeshLine(lines, MeshAxis::Z, -1.5000004);
    EXPECT_EQ(lines.z, (std::vector<double>{0, -1, -1.5, -2, -8}));
    // An edited pad line is re-sorted into place.
    EXPECT_FALSE(editMeshLine(lines, box, MeshAxis::Z, LineColumn::Low, 0, -3));
    EXPECT_EQ(lines.z, (std::vector<double>{0, -1, -1.5, -2, -3}));
}

TEST(MeshWorkspace, PreviewShowsTheForegroundWithoutFarPads)
{
    MeshLines lines{{-5000, -10, 0, 10, 20, 5000}, {-1, 0, 1}, {0, -5, -10, -900}};
    const ForegroundBox box{0, 20, -1, 1, -10, 0};
    Survey survey;
    survey.electrodes.push_back({1, 1, 5, 0, -0.5, 0, 2});
    const MeshPreview plan = meshPreview(PreviewKind::Plan, lines, box, survey, defaultSettingsTable());
    EXPECT_DOUBLE_EQ(plan.extent.h0, -20);
    EXPECT_DOUBLE_EQ(plan.extent.h1, 40);
    EXPECT_DOUBLE_EQ(plan.extent.v0, -1);  // cut to the lines
    EXPECT_DOUBLE_EQ(plan.extent.v1, 1);
    ASSERT_EQ(plan.electrodes.size(), 1u);
    EXPECT_EQ(plan.electrodes[0], (std::pair<double, double>{5, 0}));
    const MeshPreview section = meshPreview(PreviewKind::Section, lines, box, survey, defaultSettingsTable());
    EXPECT_DOUBLE_EQ(section.extent.v0, -20);
    EXPECT_DOUBLE_EQ(section.extent.v1, 0);
    EXPECT_EQ(section.electrodes[0], (std::pair<double, double>{5, -0.5}));

    // One scale, vertical axis up, centred.
    const PreviewFrame frame = previewFrame(section.extent, 620, 220, 10);
    EXPECT_DOUBLE_EQ(frame.scale, 10);
    EXPECT_EQ(frame.map(-20, 0), (std::pair<double, double>{10, 10}));
    EXPECT_EQ(frame.map(40, -20), (std::pair<double, double>{610, 210}));
}

}  // namespace
}  // namespace vexora
