#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>

#include "MeshTestSupport.h"
#include "core/project/ProjectStore.h"
#include "core/mesh/NodeMesh.h"
#include "core/mesh/ViewerModelFile.h"
#include "core/mesh/ModelMask.h"
#include "core/mesh/ModelSection.h"
#include "core/mesh/ViewerModelRead.h"
#include "core/mesh/VtkExport.h"

using namespace vexora;
namespace vt = vexora::testing;

namespace {

// Little-endian readers at 1-based absolute positions, as the layout names them.
std::int32_t i32At(const std::string& b, std::size_t position)
{
    std::uint32_t u = 0;
    for (int k = 3; k >= 0; --k) u = (u << 8) | static_cast<unsigned char>(b[position - 1 + static_cast<std::size_t>(k)]);
    return static_cast<std::int32_t>(u);
}

std::int16_t i16At(const std::string& b, std::size_t position)
{
    return static_cast<std::int16_t>(static_cast<unsigned char>(b[position - 1]) |
                                     (static_cast<unsigned char>(b[position]) << 8));
}

double f64At(const std::string& b, std::size_t position)
{
    std::uint64_t u = 0;
    for (int k = 7; k >= 0; --k) u = (u << 8) | static_cast<unsigned char>(b[position - 1 + static_cast<std::size_t>(k)]);
    double v;
    std::memcpy(&v, &u, sizeof v);
    return v;
}

// Lines every metre from 0 to 4 in x and y, 0 to -3 in z, meshed; the plot
// bounds 1..2 x 1..2 x -1..0.
ProjectStore plotRegionStore()
{
    ProjectStore store;
    store.settings = vt::settingsWith({{Item::PlotBounds, "1 2 1 2 -1 0"}, {Item::GridSizeX, "1"},
                                       {Item::GridSizeY, "1"}, {Item::GridSizeZ, "1"}});
    store.mesh = vt::meshOfLines(vt::evenLines(0, 1, 5), vt::evenLines(0, 1, 5), {1, 0, -1, -2, -3});
    MessageLog log;
    EXPECT_EQ(NodeMesh(store.mesh, store.settings, log), NodeMeshStatus::Made);
    store.mesh.present = true;
    return store;
}

TEST(ViewerModelFile, ByteLayout)
{
    // Lines every metre from 0 to 4 in x and y, 0 to -3 in z; the plot
    // bounds 1..2 x 1..2 x -1..0 widened by 1 m hold lines 0..3, 0..3 and
    // 1..-2: 4 x 4 x 4 nodes and 3 x 3 x 3 blocks.
    ProjectStore store = plotRegionStore();
    const std::size_t blocks = store.mesh.elementNodes.size();
    store.models.conductivity.assign(blocks, 0.02);
    store.models.ip.assign(blocks, 0.004);
    store.models.ipScale = 1000;
    store.survey.electrodes = {vt::electrode(1, 1, 0.5, 0.5, 0), vt::electrode(2, 7, 9, 0.5, 0, -1)};

    std::string b;
    ASSERT_EQ(viewerModelBytes(store.settings, store.survey, store.mesh, store.models, "RHO", nullptr, {2026, 12, 7, 1, 2, 3}, b), ViewerFileStatus::Written);
    const std::size_t nodes = 4 * 4 * 4, inBlocks = 3 * 3 * 3, electrodes = 1;
    const std::size_t names = (4 + 11) + (4 + 12) + (4 + 13);
    const std::size_t sizes[5] = {8 + 28 * nodes, 8 + 32 * inBlocks, 12 + names + 8 * 3 * inBlocks,
                                  8 + 32 * electrodes, 8 + 14 * electrodes};
    const std::size_t total = sizes[0] + sizes[1] + sizes[2] + sizes[3] + sizes[4];
    ASSERT_EQ(b.size(), 400 + total);

    EXPECT_EQ(b.substr(0, 6), std::string("V\0X\0R\0", 6));
    EXPECT_EQ(i16At(b, 7), 1);
    const std::int16_t when[6] = {2026, 12, 7, 1, 2, 3};
    for (std::size_t k = 0; k < 6; ++k) {
        EXPECT_EQ(i16At(b, 21 + 2 * k), when[k]);
        EXPECT_EQ(i16At(b, 221 + 2 * k), when[k]);
    }
    for (std::size_t p = 33; p <= 116; ++p) EXPECT_EQ(b[p - 1], '\0') << p;
    EXPECT_EQ(i32At(b, 117), 201);
    EXPECT_EQ(i32At(b, 121), static_cast<std::int32_t>(total));
    EXPECT_EQ(b.substr(200, 6), std::string("V\0W\0R\0", 6));
    EXPECT_EQ(i16At(b, 207), 1);
    std::size_t offset = 201;
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_EQ(i32At(b, 301 + 8 * k), static_cast<std::int32_t>(offset)) << k;
        EXPECT_EQ(i32At(b, 305 + 8 * k), static_cast<std::int32_t>(sizes[k])) << k;
        EXPECT_EQ(i32At(b, offset + 200), 1) << k;  // every block starts with 1
        offset += sizes[k];
    }

    // Block 1: the first node is (ix, iy, iz) = (1, 1, 1) at (0, 0, 1):
    // 7 x 7 + 7 + 1 + 1 = 58 in the 7 x 7 x 7 node numbering.
    EXPECT_EQ(i32At(b, 405), static_cast<std::int32_t>(nodes));
    EXPECT_EQ(i32At(b, 409), 7 * 7 * 1 + 7 * 1 + 1 + 1);
    EXPECT_EQ(f64At(b, 413), 0.0);
    EXPECT_EQ(f64At(b, 421), 0.0);
    EXPECT_EQ(f64At(b, 429), 1.0);
    const std::size_t lastNode = 409 + 28 * (nodes - 1);  // (4, 4, 5) at (3, 3, -2)
    EXPECT_EQ(i32At(b, lastNode), 7 * 7 * 4 + 7 * 4 + 4 + 1);
    EXPECT_EQ(f64At(b, lastNode + 4), 3.0);
    EXPECT_EQ(f64At(b, lastNode + 20), -2.0);

    // Block 2: the first block's corners.
    const std::size_t block2 = 401 + sizes[0];
    EXPECT_EQ(i32At(b, block2 + 4), static_cast<std::int32_t>(inBlocks));
    const std::int32_t top = 58, below = 58 + 49;  // nodes (1, 1, 1) and (1, 1, 2)
    const std::int32_t corners[8] = {top, top + 1, top + 7, top + 8, below, below + 1, below + 7, below + 8};
    for (std::size_t k = 0; k < 8; ++k) EXPECT_EQ(i32At(b, block2 + 8 + 4 * k), corners[k]) << k;

    // Block 3: names, then resistivity, conductivity, chargeability per block.
    const std::size_t block3 = block2 + sizes[1];
    EXPECT_EQ(i32At(b, block3 + 4), static_cast<std::int32_t>(inBlocks));
    EXPECT_EQ(i32At(b, block3 + 8), 3);
    EXPECT_EQ(i32At(b, block3 + 12), 11);
    EXPECT_EQ(b.substr(block3 + 15, 11), "Resistivity");
    EXPECT_EQ(b.substr(block3 + 15 + 11 + 4, 12), "Conductivity");
    EXPECT_EQ(b.substr(block3 + 15 + 11 + 4 + 12 + 4, 13), "Chargeability");
    const std::size_t values = block3 + 12 + names;
    EXPECT_DOUBLE_EQ(f64At(b, values), 50.0);
    EXPECT_DOUBLE_EQ(f64At(b, values + 8), 0.02);
    EXPECT_DOUBLE_EQ(f64At(b, values + 16), 4.0);

    // Blocks 4 and 5: only the electrode inside the widened box.
    const std::size_t block4 = block3 + sizes[2];
    EXPECT_EQ(i32At(b, block4 + 4), 1);
    EXPECT_EQ(i32At(b, block4 + 8), 1);
    EXPECT_EQ(i32At(b, block4 + 12), 1);
    EXPECT_EQ(f64At(b, block4 + 16), 0.5);
    const std::size_t block5 = block4 + sizes[3];
    EXPECT_EQ(i16At(b, block5 + 8), 2);
    EXPECT_EQ(f64At(b, block5 + 10), 0.0);
    EXPECT_EQ(i32At(b, block5 + 18), 1);

    // Without an IP model of the mesh's size only two quantities are written.
    store.models.ip.resize(1);
    std::string two;
    ASSERT_EQ(viewerModelBytes(store.settings, store.survey, store.mesh, store.models, "RHO", nullptr, {2026, 12, 7, 1, 2, 3}, two), ViewerFileStatus::Written);
    EXPECT_EQ(i32At(two, block3 + 8), 2);
    EXPECT_EQ(two.size(), b.size() - 4 - 13 - 8 * inBlocks);
    // Another quantity needs its values.
    EXPECT_EQ(viewerModelBytes(store.settings, store.survey, store.mesh, store.models, "SENS", nullptr, {}, two), ViewerFileStatus::BlockFailed);
    // A further quantity follows the model's own, named as given; one that
    // does not fit the blocks writes nothing.
    const std::vector<double> resolution(store.mesh.elementNodes.size(), 0.25), few(2, 0.25);
    const BlockQuantity fits[] = {{kResolutionQuantity, &resolution}}, short_[] = {{kResolutionQuantity, &few}};
    std::string three;
    ASSERT_EQ(viewerModelBytes(store.settings, store.survey, store.mesh, store.models, "RHO", nullptr, {}, three, fits),
              ViewerFileStatus::Written);
    EXPECT_EQ(i32At(three, block3 + 8), 3);
    EXPECT_EQ(three.size(), two.size() + 4 + 10 + 8 * inBlocks);
    EXPECT_EQ(viewerModelBytes(store.settings, store.survey, store.mesh, store.models, "RHO", nullptr, {}, three, short_),
              ViewerFileStatus::BlockFailed);
}

}  // namespace

namespace {

// Every quantity, node and block the writer stored reads back; a file cut
// short or with a count that does not fit is refused with where it breaks,
// the model given in untouched.
TEST(ViewerModelRead, ReadsBackWhatWasWrittenAndRefusesDamage)
{
    ProjectStore store = plotRegionStore();
    const std::size_t blocks = store.mesh.elementNodes.size();
    for (std::size_t e = 0; e < blocks; ++e) store.models.conductivity.push_back(0.01 * static_cast<double>(e + 1));
    store.models.ip.assign(blocks, 0.004);
    store.survey.electrodes = {vt::electrode(1, 1, 0.5, 0.5, 0)};
    std::string b;
    ASSERT_EQ(viewerModelBytes(store.settings, store.survey, store.mesh, store.models, "RHO", nullptr,
                               {2026, 12, 7, 1, 2, 3}, b),
              ViewerFileStatus::Written);

    ViewerModel model;
    std::string why;
    ASSERT_EQ(readViewerModel(b, model, why), ViewerReadStatus::Read) << why;
    ASSERT_EQ(model.nodes.size(), 64u);
    ASSERT_EQ(model.blocks.size(), 27u);
    EXPECT_EQ(model.quantities, (std::vector<std::string>{"Resistivity", "Conductivity", "Chargeability"}));
    ASSERT_EQ(model.electrodes.size(), 1u);
    EXPECT_DOUBLE_EQ(model.electrodes[0].x, 0.5);
    // Each block's corners are the mesh's, and its values its model's.
    for (std::size_t k = 0; k < model.blocks.size(); ++k) {
        const NodePoint& first = model.nodes[static_cast<std::size_t>(model.blocks[k][0])];
        std::size_t e = 0;
        while (e < blocks) {
            const NodePoint& p = store.mesh.nodeGrid[static_cast<std::size_t>(store.mesh.elementNodes[e][0] - 1)];
            if (p.x == first.x && p.y == first.y && p.z == first.z) break;
            ++e;
        }
        ASSERT_LT(e, blocks) << k;
        EXPECT_DOUBLE_EQ((*model.quantity("Resistivity"))[k], 1 / store.models.conductivity[e]);
        EXPECT_DOUBLE_EQ((*model.quantity("Chargeability"))[k], 4.0);
    }

    const auto put32 = [](std::string bytes, std::size_t position, std::int32_t v) {
        for (std::size_t k = 0; k < 4; ++k) bytes[position - 1 + k] = static_cast<char>((v >> (8 * k)) & 0xFF);
        return bytes;
    };
    const std::size_t nodesAt = 401, blocksAt = nodesAt + 8 + 28 * 64;
    const struct {
        const char* what;
        std::string bytes;
        ViewerReadStatus status;
        const char* message;
    } damaged[] = {
        {"a PNG", "\x89PNG\r\n\x1a\n" + std::string(500, '\0'), ViewerReadStatus::NotViewerFile, "not a viewer model"},
        {"cut in the values", b.substr(0, b.size() - 300), ViewerReadStatus::Damaged, "past the end of the file"},
        {"node count too large", put32(b, nodesAt + 4, 1 << 28), ViewerReadStatus::Damaged, "claims 268435456"},
        {"negative block count", put32(b, blocksAt + 4, -5), ViewerReadStatus::Damaged, "claims -5"},
        {"unknown corner", put32(b, blocksAt + 8, 999999), ViewerReadStatus::Damaged, "names node 999999"},
    };
    for (const auto& d : damaged) {
        ViewerModel kept = model;
        std::string said;
        EXPECT_EQ(readViewerModel(d.bytes, kept, said), d.status) << d.what;
        EXPECT_NE(said.find(d.message), std::string::npos) << d.what << ": " << said;
        EXPECT_EQ(kept.blocks.size(), model.blocks.size()) << d.what;
    }
}

}  // namespace

namespace {

// Sections of a block model tile the plane they cut: the cells' areas add
// up to the cut's extent, every cell carries its block's value.
TEST(ModelSection, CellsTileThePlane)
{
    ProjectStore store;
    store.settings = vt::settingsWith({{Item::GridSizeX, "1"}, {Item::GridSizeY, "1"}, {Item::GridSizeZ, "1"}});
    store.mesh = vt::meshOfLines(vt::evenLines(0, 1, 5), vt::evenLines(0, 1, 4), {0, -1, -3});
    MessageLog log;
    ASSERT_EQ(NodeMesh(store.mesh, store.settings, log), NodeMeshStatus::Made);
    const std::size_t blocks = store.mesh.elementNodes.size();
    for (std::size_t e = 0; e < blocks; ++e) store.models.conductivity.push_back(1.0 / static_cast<double>(e + 1));
    const ViewerModel model = viewerModelOf(store.mesh, store.models);
    ASSERT_EQ(model.blocks.size(), blocks);

    const struct {
        SectionAxis axis;
        double at;
        std::size_t cells;
        double area;
    } cases[] = {{SectionAxis::Y, 1.5, 4 * 2, 4 * 3}, {SectionAxis::X, 0.25, 3 * 2, 3 * 3}, {SectionAxis::Z, -2, 4 * 3, 4 * 3}};
    for (const auto& c : cases) {
        ModelSection section;
        std::string why;
        ASSERT_TRUE(modelSection(model, c.axis, c.at, "Resistivity", section, why)) << why;
        EXPECT_EQ(section.cells.size(), c.cells);
        double area = 0;
        for (const SectionCell& cell : section.cells) {
            const auto& p = cell.corner;
            area += 0.5 * std::abs((p[0][0] * p[1][1] - p[1][0] * p[0][1]) + (p[1][0] * p[2][1] - p[2][0] * p[1][1]) +
                                   (p[2][0] * p[3][1] - p[3][0] * p[2][1]) + (p[3][0] * p[0][1] - p[0][0] * p[3][1]));
            EXPECT_GE(cell.value, 1.0);
        }
        EXPECT_NEAR(area, c.area, 1e-9);
    }
}

}  // namespace

namespace {

// The numbers of the XML array named `name` in `text`.
std::vector<double> vtkArray(const std::string& text, const std::string& name)
{
    const std::size_t named = text.find("Name=\"" + name + "\"");
    if (named == std::string::npos) return {};
    const std::size_t from = text.find('>', named) + 1, to = text.find("</DataArray>", from);
    std::istringstream numbers(text.substr(from, to - from));
    std::vector<double> values;
    for (double v; numbers >> v;) values.push_back(v);
    return values;
}

// The VTK files hold every node, block and value of the model: each cell's
// eight corners span its block, the lower face first, and its values are
// the block's.
TEST(VtkExport, HexahedraWithEveryQuantity)
{
    ProjectStore store;
    store.settings = vt::settingsWith({{Item::GridSizeX, "1"}, {Item::GridSizeY, "1"}, {Item::GridSizeZ, "1"}});
    store.mesh = vt::meshOfLines(vt::evenLines(0, 1, 3), vt::evenLines(0, 2, 3), {0, -1, -3});
    MessageLog log;
    ASSERT_EQ(NodeMesh(store.mesh, store.settings, log), NodeMeshStatus::Made);
    const std::size_t blocks = store.mesh.elementNodes.size();
    for (std::size_t e = 0; e < blocks; ++e) store.models.conductivity.push_back(1.0 / std::pow(10.0, e % 3));
    store.models.ip.assign(blocks, 0.002);
    ViewerModel model = viewerModelOf(store.mesh, store.models);
    model.electrodes = {{1, 1, 0.5, 0.5, 0}, {1, 2, 1.5, 0.5, 0}};

    const std::string grid = vtkUnstructuredGrid(model);
    EXPECT_NE(grid.find("NumberOfCells=\"" + std::to_string(blocks) + "\""), std::string::npos);
    const std::vector<double> points = vtkArray(grid, "Points"), corners = vtkArray(grid, "connectivity");
    ASSERT_EQ(points.size(), 3 * model.nodes.size());
    ASSERT_EQ(corners.size(), 8 * blocks);
    const std::vector<double> rho = vtkArray(grid, "Resistivity"), logRho = vtkArray(grid, "log10 Resistivity");
    ASSERT_EQ(rho.size(), blocks);
    EXPECT_EQ(vtkArray(grid, "Chargeability"), std::vector<double>(blocks, 2.0));
    for (std::size_t e = 0; e < blocks; ++e) {
        EXPECT_DOUBLE_EQ(rho[e], 1 / store.models.conductivity[e]);
        EXPECT_NEAR(logRho[e], static_cast<double>(e % 3), 1e-12);
        const auto z = [&](std::size_t k) { return points[3 * static_cast<std::size_t>(corners[8 * e + k]) + 2]; };
        for (std::size_t k = 0; k < 4; ++k) EXPECT_LT(z(k), z(k + 4)) << e;
        // Around each face: x0y0, x1y0, x1y1, x0y1.
        const auto x = [&](std::size_t k) { return points[3 * static_cast<std::size_t>(corners[8 * e + k])]; };
        EXPECT_LT(x(0), x(1));
        EXPECT_EQ(x(1), x(2));
        EXPECT_EQ(x(0), x(3));
    }
    const std::string electrodes = vtkElectrodePoints(model);
    EXPECT_EQ(vtkArray(electrodes, "Points"), (std::vector<double>{0.5, 0.5, 0, 1.5, 0.5, 0}));
    EXPECT_EQ(vtkArray(electrodes, "Electrode"), (std::vector<double>{1, 2}));
}

}  // namespace

namespace {

// An inversion's sensitivity and DOI index travel in the viewer file beside
// the resistivity and read back block for block; a model without them (or
// with values for another mesh) writes the file as before.
TEST(ViewerModelRead, CarriesTheInversionsSensitivityAndDoiIndex)
{
    ProjectStore store = plotRegionStore();
    const std::size_t blocks = store.mesh.elementNodes.size();
    for (std::size_t e = 0; e < blocks; ++e) store.models.conductivity.push_back(0.01 * static_cast<double>(e + 1));
    for (double sigma : store.models.conductivity) {
        store.models.sensitivity.push_back(3 * sigma);
        store.models.doiIndex.push_back(sigma / 2);
    }
    const auto written = [&](const Models& models) {
        std::string bytes, why;
        EXPECT_EQ(viewerModelBytes(store.settings, store.survey, store.mesh, models, "RHO", nullptr,
                                   {2026, 12, 8, 1, 2, 3}, bytes),
                  ViewerFileStatus::Written);
        ViewerModel model;
        EXPECT_EQ(readViewerModel(bytes, model, why), ViewerReadStatus::Read) << why;
        return model;
    };
    const ViewerModel model = written(store.models);
    EXPECT_EQ(model.quantities,
              (std::vector<std::string>{"Resistivity", "Conductivity", "Sensitivity", "DOI index"}));
    ASSERT_EQ(model.blocks.size(), 27u);
    for (std::size_t k = 0; k < model.blocks.size(); ++k) {
        const double sigma = (*model.quantity("Conductivity"))[k];
        EXPECT_EQ((*model.quantity("Sensitivity"))[k], 3 * sigma);
        EXPECT_EQ((*model.quantity("DOI index"))[k], sigma / 2);
    }
    Models plain = store.models;
    plain.sensitivity.clear();
    plain.doiIndex.pop_back();
    EXPECT_EQ(written(plain).quantities, (std::vector<std::string>{"Resistivity", "Conductivity"}));
}

// Masks leave out the blocks whose DOI index exceeds the limit or whose
// sensitivity lies below it, with their values; a mask by a quantity the
// model lacks is refused and leaves the model whole.
TEST(ModelMask, LeavesOutUnconstrainedBlocks)
{
    ViewerModel model;
    model.blocks.resize(4);
    for (std::size_t e = 0; e < 4; ++e) model.blocks[e].fill(static_cast<std::int32_t>(e));
    model.quantities = {"Resistivity", "Sensitivity", "DOI index"};
    model.values = {{10, 20, 30, 40}, {1, 0.5, 0.01, 0.001}, {0.05, 0.3, 0.6, 0.95}};
    ViewerModel plain = model;
    plain.quantities.resize(1);
    plain.values.resize(1);
    const struct {
        ModelMask mask;
        const ViewerModel& model;
        std::vector<double> kept;  // resistivities
        const char* why;
    } cases[] = {
        {{0.5, std::nullopt}, model, {10, 20}, ""},
        {{std::nullopt, 0.005}, model, {10, 20, 30}, ""},
        {{0.9, 0.1}, model, {10, 20}, ""},
        {{}, model, {10, 20, 30, 40}, ""},
        {{0.5, std::nullopt}, plain, {10, 20, 30, 40},
         "the model holds no DOI index to mask by (an inversion writes it when asked for the depth of investigation)"},
        {{std::nullopt, 0.1}, plain, {10, 20, 30, 40},
         "the model holds no Sensitivity to mask by (an inversion writes it)"},
    };
    for (const auto& c : cases) {
        ViewerModel masked = c.model;
        std::string why;
        EXPECT_EQ(maskModel(masked, c.mask, why), std::string(c.why).empty()) << c.why;
        EXPECT_EQ(why, c.why);
        EXPECT_EQ(masked.values[0], c.kept) << c.why;
        ASSERT_EQ(masked.blocks.size(), c.kept.size());
        for (std::size_t k = 0; k < c.kept.size(); ++k)
            EXPECT_EQ(masked.blocks[k][0], static_cast<std::int32_t>(c.kept[k] / 10 - 1));
        for (const std::vector<double>& values : masked.values) EXPECT_EQ(values.size(), c.kept.size());
    }
}

}  // namespace
