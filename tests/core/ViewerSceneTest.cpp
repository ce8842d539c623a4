#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "JobTestSupport.h"
#include "MeshTestSupport.h"
#include "core/io/TextFile.h"
#include "core/mesh/NodeMesh.h"
#include "core/mesh/ViewerModelFile.h"
#include "core/project/ProjectStore.h"
#include "core/shell/ViewerScript.h"
#include "core/viewer/ViewerInput.h"
#include "core/viewer/ViewerScene.h"

using namespace vexora;
namespace vt = vexora::testing;
namespace fs = std::filesystem;

namespace {

// The terrain rises 0.1 m per metre of x.
constexpr double kSlope = 0.1;

// Lines every metre from 0 to 4 in x and y, 1 to -3 in z, the plot bounds
// 1..2 x 1..2 x -1..0.5 (widened by a metre: 3 x 3 x 3 blocks, the lifted
// top inside), the nodes lifted with the terrain, resistivities 10, 100 and 1000 by layer, as our
// own writer writes them and our reader reads them back.
ViewerModel writtenModel()
{
    ProjectStore store;
    store.settings = vt::settingsWith({{Item::PlotBounds, "1 2 1 2 -1 0.5"}, {Item::GridSizeX, "1"},
                                       {Item::GridSizeY, "1"}, {Item::GridSizeZ, "1"}});
    store.mesh = vt::meshOfLines(vt::evenLines(0, 1, 5), vt::evenLines(0, 1, 5), {1, 0, -1, -2, -3});
    MessageLog log;
    EXPECT_EQ(NodeMesh(store.mesh, store.settings, log), NodeMeshStatus::Made);
    store.mesh.present = true;
    for (NodePoint& n : store.mesh.nodeGrid) n.z += kSlope * n.x;
    for (const ElementCorners& corners : store.mesh.elementNodes) {
        const NodePoint& a = store.mesh.nodeGrid[static_cast<std::size_t>(corners[0] - 1)];
        const NodePoint& b = store.mesh.nodeGrid[static_cast<std::size_t>(corners[4] - 1)];
        const double middle = (a.z + b.z) / 2 - kSlope * a.x;
        store.models.conductivity.push_back(middle > 0 ? 0.1 : middle > -1 ? 0.01 : 0.001);
    }
    store.models.ip.assign(store.models.conductivity.size(), 0.005);
    store.models.ipScale = 1000;
    store.survey.electrodes = {vt::electrode(1, 1, 1.5, 1.5, 0.15)};
    std::string bytes, why;
    EXPECT_EQ(viewerModelBytes(store.settings, store.survey, store.mesh, store.models, "RHO", nullptr,
                               {2026, 12, 8, 1, 2, 3}, bytes),
              ViewerFileStatus::Written);
    ViewerModel model;
    EXPECT_EQ(readViewerModel(bytes, model, why), ViewerReadStatus::Read) << why;
    return model;
}

std::array<float, 3> colourOf(const ColourScale& scale, double value)
{
    const Rgb c = scale.colour(value);
    return {c.r / 255.0f, c.g / 255.0f, c.b / 255.0f};
}

// Each section lies in its plane, its corners on the mesh's lines and the
// terrain-following layer faces, each cell coloured by its block's value on
// the log scale.
TEST(ViewerScene, SectionsLieOnTheTerrainFollowingMeshInTheirValuesColours)
{
    const ViewerModel model = writtenModel();
    ASSERT_EQ(model.blocks.size(), 27u);
    SceneStyle style;
    style.quantity = "Resistivity";
    style.scale = {ColourMap::Sequential, 10, 1000, true};
    style.origin = {100, 200, 300};
    // The middle of the scale is 100 on a log scale from 10 to 1000.
    EXPECT_EQ(style.scale.colour(100), colourAt(ColourMap::Sequential, 0.5));

    const struct {
        SectionAxis axis;
        double at;
        std::size_t fixed;  // the coordinate the plane fixes
    } cases[] = {{SectionAxis::X, 1.5, 0}, {SectionAxis::Y, 2.25, 1}, {SectionAxis::Z, -0.5, 2}};
    for (const auto& c : cases) {
        SceneGeometry scene;
        std::string why;
        ASSERT_TRUE(appendSection(model, c.axis, c.at, style, scene, why)) << why;
        EXPECT_EQ(scene.vertexCount(), 9u * 6) << c.fixed;
        for (std::size_t v = 0; v < scene.vertexCount(); ++v) {
            const float* p = &scene.vertices[v * kSceneFloatsPerVertex];
            const double x = p[0] + 100.0, y = p[1] + 200.0, z = p[2] + 300.0;
            const double coordinate[3] = {x, y, z};
            EXPECT_NEAR(coordinate[c.fixed], c.at, 1e-4) << c.fixed;
            if (c.axis == SectionAxis::Z) continue;
            // Vertical sections: x and y on the mesh's lines, z on a layer
            // face lifted with the terrain.
            EXPECT_NEAR(c.axis == SectionAxis::X ? y : x, std::round(c.axis == SectionAxis::X ? y : x), 1e-4);
            const double layer = z - kSlope * x;
            EXPECT_NEAR(layer, std::round(layer), 1e-4) << x << " " << z;
            EXPECT_NEAR(p[6], 1.0f, 0);
        }
        // The top layer's cells in 10 ohm m's colour, the bottom's in 1000's.
        float top = -1e9f, bottom = 1e9f;
        std::size_t topVertex = 0, bottomVertex = 0;
        for (std::size_t v = 0; v < scene.vertexCount(); ++v) {
            const float* p = &scene.vertices[v * kSceneFloatsPerVertex];
            const float layer = p[2] + 300.0f - static_cast<float>(kSlope) * (p[0] + 100.0f);
            if (layer > top) top = layer, topVertex = v;
            if (layer < bottom) bottom = layer, bottomVertex = v;
        }
        if (c.axis == SectionAxis::Z) continue;
        for (const auto& [vertex, value] : {std::pair{topVertex, 10.0}, std::pair{bottomVertex, 1000.0}}) {
            const float* p = &scene.vertices[vertex * kSceneFloatsPerVertex];
            const auto expected = colourOf(style.scale, value);
            EXPECT_FLOAT_EQ(p[3], expected[0]) << value;
            EXPECT_FLOAT_EQ(p[4], expected[1]) << value;
            EXPECT_FLOAT_EQ(p[5], expected[2]) << value;
        }
    }
}

TEST(ViewerScene, ScalesAreLogarithmicForResistivityAndLinearForChargeability)
{
    const ViewerModel model = writtenModel();
    const struct {
        const char* quantity;
        bool found, logarithmic;
    } cases[] = {{"Resistivity", true, true}, {"Conductivity", true, true}, {"Chargeability", true, false},
                 {"Porosity", false, false}};
    for (const auto& c : cases) {
        ColourScale scale;
        std::string why;
        EXPECT_EQ(quantityScale(model, c.quantity, ColourMap::Sequential, scale, why), c.found) << c.quantity;
        if (c.found) {
            EXPECT_EQ(scale.logarithmic, c.logarithmic) << c.quantity;
            EXPECT_LE(scale.low, scale.high) << c.quantity;
        }
        else EXPECT_EQ(why, "the model holds no Porosity (it holds Resistivity Conductivity Chargeability)");
    }
    SceneStyle style;
    style.quantity = "Porosity";
    SceneGeometry scene;
    std::string why;
    EXPECT_FALSE(appendSection(model, SectionAxis::X, 1.5, style, scene, why));
    EXPECT_NE(why.find("holds no Porosity"), std::string::npos) << why;
    EXPECT_TRUE(scene.vertices.empty());
}

// The clip range leaves cells out; the cut-away box shows the faces that
// look onto it or out of the model.
TEST(ViewerScene, ClipRangeAndCutawayBox)
{
    const ViewerModel model = writtenModel();
    SceneStyle style;
    style.quantity = "Resistivity";
    style.scale = {ColourMap::Sequential, 10, 1000, true};
    std::string why;
    {
        SceneGeometry scene;
        style.clip = {50, 5000};  // the top layer (10) left out
        ASSERT_TRUE(appendSection(model, SectionAxis::Y, 1.5, style, scene, why));
        EXPECT_EQ(scene.vertexCount(), 6u * 6);
        style.clip = {};
    }
    const BlockNeighbours neighbours = blockNeighbours(model);
    ASSERT_EQ(neighbours.size(), 27u);
    const ModelBounds all = modelBounds(model);
    const struct {
        const char* what;
        ModelBounds box;
        std::size_t faces;
    } cases[] = {
        {"nothing cut", {{-10, -10, -10}, {-9, -9, -9}}, 6 * 9},
        {"a corner block cut: three faces lost, three uncovered", {{-1, -1, 0.3}, {1, 1, 10}}, 6 * 9 - 3 + 3},
        {"the middle block: six faces inside", {{1.2, 1.2, -0.9 + 0.15}, {1.8, 1.8, -0.1 + 0.15}}, 6 * 9 + 6},
        {"everything cut", {{all.low[0] - 1, all.low[1] - 1, all.low[2] - 1}, {9, 9, 9}}, 0},
    };
    for (const auto& c : cases) {
        SceneGeometry scene;
        ASSERT_TRUE(appendCutaway(model, neighbours, c.box, style, scene, why));
        EXPECT_EQ(scene.vertexCount(), c.faces * 6) << c.what;
    }
}

struct ViewerInputFixture : ::testing::Test {
    fs::path root = vt::freshFolder("vexora_viewer_input");
    MessageLog log;
    ~ViewerInputFixture() override { fs::remove_all(root); }

    fs::path writeModel()
    {
        // The same model, through the file writer.
        ProjectStore store;
        store.settings = vt::settingsWith({{Item::PlotBounds, "1 2 1 2 -1 0"}, {Item::GridSizeX, "1"},
                                           {Item::GridSizeY, "1"}, {Item::GridSizeZ, "1"}});
        store.mesh = vt::meshOfLines(vt::evenLines(0, 1, 5), vt::evenLines(0, 1, 5), {1, 0, -1, -2, -3});
        EXPECT_EQ(NodeMesh(store.mesh, store.settings, log), NodeMeshStatus::Made);
        store.mesh.present = true;
        store.models.conductivity.assign(store.mesh.elementNodes.size(), 0.01);
        const fs::path file = root / "InvModelOutput.vwer";
        EXPECT_EQ(modBinOutput(file, "RHO", store.settings, store.survey, store.mesh, store.models, log),
                  ViewerFileStatus::Written);
        return file;
    }
};

TEST_F(ViewerInputFixture, TheWorkbenchsScriptReadsBackWithItsSectionsAndSkipsUnknownLines)
{
    const fs::path model = writeModel();
    std::string text = viewerScriptText("InvModelOutput.vwer", {1.25, 1.75, -0.5});
    text.insert(text.find("ELECTRODES"), "ROTATE 30 40\r\n");
    text.insert(text.find("#EXIT"), "SECTION xy 0 0\r\n");
    text += "NOT READ AFTER EXIT\r\n";
    ASSERT_TRUE(writeFileAtomically(root / "Temp.ohm", text));

    ViewerInput input;
    ASSERT_EQ(readViewerInput(root / "Temp.ohm", input, log), Status::Ok) << log.plainText();
    ASSERT_TRUE(input.script);
    EXPECT_EQ(input.modelFile, model);
    EXPECT_EQ(input.script->splashSeconds, 10);
    EXPECT_TRUE(input.electrodes);
    ASSERT_EQ(input.script->sections.size(), 3u);
    EXPECT_EQ(input.script->sections[1].plane, "yz");
    EXPECT_EQ(input.script->sections[1].normal, (std::array<double, 3>{1, 0, 0}));
    EXPECT_EQ(input.sectionsAt, (Point3{1.25, 1.75, -0.5}));
    EXPECT_EQ(input.model.blocks.size(), 27u);

    ViewerScript untouched;
    untouched.splashSeconds = -1;
    EXPECT_EQ(readViewerScriptFile(model, untouched, log), ScriptFileRead::NotAScript);
    EXPECT_EQ(untouched.splashSeconds, -1);
    EXPECT_EQ(log.warningCount(), 2u) << log.plainText();
    EXPECT_TRUE(vt::logHas(log, "line 3 skipped: not understood: ROTATE 30 40"));
    EXPECT_TRUE(vt::logHas(log, "a section needs its plane, normal and point: SECTION xy 0 0"));
}

TEST_F(ViewerInputFixture, BadInputsSayWhatIsWrongAndLeaveTheInputAlone)
{
    const fs::path model = writeModel();
    std::string bytes;
    ASSERT_TRUE(readTextFile(model, bytes));
    ASSERT_TRUE(writeFileAtomically(root / "cut.vwer", bytes.substr(0, bytes.size() / 2)));
    ASSERT_TRUE(writeFileAtomically(root / "noname.ohm", "SPLASHSCREEN 10\r\n#EXIT\r\n"));
    ASSERT_TRUE(writeFileAtomically(root / "lost.ohm", "FILENAME gone.vwer\r\n#EXIT\r\n"));
    ASSERT_TRUE(writeFileAtomically(root / "text.txt", "just some words\r\n"));
    const struct {
        const char* file;
        const char* message;
    } cases[] = {
        {"cut.vwer", "damaged viewer model file"},
        {"noname.ohm", "The viewer script names no model file (FILENAME)."},
        {"lost.ohm", "gone.vwer: not found"},
        {"text.txt", "is neither a viewer model file nor a mesh-and-model file"},
        {"missing.vwer", "missing.vwer: not found"},
    };
    for (const auto& c : cases) {
        ViewerInput input;
        input.modelFile = "kept";
        log.clear();
        EXPECT_EQ(readViewerInput(root / c.file, input, log), Status::Error) << c.file;
        EXPECT_TRUE(vt::logHas(log, c.message)) << c.file << ": " << log.plainText();
        EXPECT_EQ(input.modelFile, "kept") << c.file;
        EXPECT_TRUE(input.model.blocks.empty()) << c.file;
    }
}

}  // namespace
