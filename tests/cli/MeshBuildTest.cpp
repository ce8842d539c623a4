#include <gtest/gtest.h>

#include <filesystem>

#include "../core/MeshTestSupport.h"
#include "support/CliRun.h"
#include "core/project/ProjectStore.h"
#include "core/io/TextFile.h"
#include "core/mesh/DefaultMeshSettings.h"
#include "core/mesh/MeshBuild.h"

using namespace vexora;
namespace vt = vexora::testing;
using vexora::testing::logHas;

namespace {

namespace fs = std::filesystem;

// Five surface electrodes along X at 1 m with their default mesh settings
// (foreground bottom -0.687, top 0).
ProjectStore survey(std::vector<TopographyPoint> topography)
{
    ProjectStore store;
    store.survey.cableNames = {"A"};
    for (int i = 0; i < 5; ++i) store.survey.electrodes.push_back(vt::electrode(1, i + 1, i, 0, 0));
    store.survey.topography = std::move(topography);
    MessageLog log;
    EXPECT_EQ(SetDefaultMeshSettings(store.survey, store.settings, store.mesh.lines, log), Status::Ok);
    return store;
}

// Terrain z = 0.01 x: above the foreground bottom over the whole mesh.
const std::vector<TopographyPoint> slope = {{-40, -40, -0.4}, {45, -40, 0.45}, {-40, 40, -0.4}, {45, 40, 0.45}};

Status build(ProjectStore& store, MessageLog& log)
{
    MeshBuildOutcome outcome;
    return applyMeshSettings(store.settings, store.mesh, log) == Status::Ok ? funMakeMesh(store.settings, store.survey,
        store.mesh, store.models, log, outcome) : Status::Error;
}

TEST(MeshBuild, TopographyStaysAsLoadedAndBuildsRepeat)
{
    ProjectStore store = survey(slope);
    setSettingText(store.settings, Item::AddElectrodesToTopography, "1");
    MessageLog log;
    ASSERT_EQ(build(store, log), Status::Ok) << log.plainText();
    EXPECT_TRUE(store.mesh.present && store.mesh.followsTerrain);
    const std::vector<NodePoint> first = store.mesh.nodeGrid;
    ASSERT_EQ(build(store, log), Status::Ok);
    EXPECT_EQ(store.survey.topography, slope);
    EXPECT_EQ(store.mesh.nodeGrid, first);
    EXPECT_TRUE(logHas(log, "\r\nMesh Generated"));
    EXPECT_EQ(store.models.conductivity.size(), static_cast<std::size_t>(blockCount(store.mesh)));
}

TEST(MeshBuild, UnusableTopographyGivesAFlatMeshAndTerrainBelowTheBottomNoMesh)
{
    ProjectStore store = survey({{0, 0, 5}, {1, 0, 6}});
    MessageLog log;
    ASSERT_EQ(build(store, log), Status::Ok);
    EXPECT_TRUE(logHas(log, "\r\nTopography Fatal Error: few points \r\nTopography not used: the mesh is flat."));
    EXPECT_FALSE(store.mesh.followsTerrain);
    EXPECT_EQ(store.mesh.nodeGrid[nodeNumber(store.mesh, 3, 3, 1) - 1].z, store.mesh.lines.z[0]);

    store = survey(slope);
    setSettingText(store.settings, Item::ForegroundZMin, "-0.3");
    EXPECT_EQ(build(store, log), Status::Error);
    EXPECT_TRUE(logHas(log, "Error: cmdmakeMesh_click: Surface z terrain elevation is somewhere lower than foreground "
                            "region z bottom limit. Please redefine foreground region or check for topography. Mesh "
                            "not generated."));
    EXPECT_FALSE(store.mesh.present);
    EXPECT_TRUE(store.mesh.nodeGrid.empty());
}

using vexora::testing::CliRun;
using vexora::testing::kSampleSurvey;

CliRun vexoraMesh(std::vector<std::string> args)
{
    args.insert(args.begin(), "mesh");
    return vexora::testing::runVexora(args);
}

// Said once per build, as a warning, only when nothing gives the ground a shape.
TEST(MeshBuild, SaysWhenTheGroundCanOnlyBeFlat)
{
    const struct {
        const char* name;
        std::vector<TopographyPoint> topography;
        double electrodeZ;
        std::size_t said;
    } cases[] = {
        {"no topography, electrodes at z 0", {}, 0.0, 1},
        {"topography", slope, 0.0, 0},
        {"electrode heights", {}, 12.5, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProjectStore store = survey(c.topography);
        for (Electrode& e : store.survey.electrodes) e.z = e.elevation = c.electrodeZ;
        MessageLog log;
        ASSERT_EQ(build(store, log), Status::Ok) << log.plainText();
        const std::string text = log.plainText(), warning = "Warning: cmdmakeMesh_click: " + std::string(kFlatGroundMessage);
        std::size_t said = 0;
        for (std::size_t at = text.find(warning); at != std::string::npos; at = text.find(warning, at + 1)) ++said;
        EXPECT_EQ(said, c.said) << text;
    }
}

TEST(MeshCommand, BuildsTheSampleWithItsTerrain)
{
    const CliRun r = vexoraMesh({kSampleSurvey});
    ASSERT_EQ(r.code, 0) << r.err;
    // The core job's mesh of the same file: its own #dim_grid_z= 0.5 over
    // the derived defaults.
    EXPECT_EQ(r.out, "lines 69 35 31\nnodes 86691\nelements 69360\nforeground 0 46 0 12 -8.423 1.201\n"
                     "boundary 0 61248\nboundary 1 928\nboundary 2 928\nboundary 3 1972\nboundary 4 1972\n"
                     "boundary 5 2312\nadapt off\n");
    EXPECT_EQ(r.err.find("Error: "), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Topography not used"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Mesh Generated"), std::string::npos);
}

TEST(MeshCommand, ConfigurationAndMisuse)
{
    const fs::path folder = fs::temp_directory_path() / ("vexora_mesh_cli_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::string config = (folder / "coarse.cnfg").string();
    ASSERT_TRUE(writeFileAtomically(config, "#dim_grid_x= 2\r\n#adapt_grid_to_electrodes= 1\r\n"));
    const CliRun r = vexoraMesh({kSampleSurvey, "--config", config});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 15), "lines 46 35 31\n");  // 24 interior X lines every 2 m

    // A mesh tag of the file itself wins over the derived defaults too.
    std::string text;
    ASSERT_TRUE(readTextFile(kSampleSurvey, text));
    const std::size_t at = text.find("#dim_grid_x= 1.0");
    ASSERT_NE(at, std::string::npos);
    const std::string tagged = (folder / "tagged.data").string();
    ASSERT_TRUE(writeFileAtomically(tagged, text.replace(at, 16, "#dim_grid_x= 2.0")));
    const CliRun own = vexoraMesh({tagged});
    ASSERT_EQ(own.code, 0) << own.err;
    EXPECT_EQ(own.out.substr(0, 15), "lines 46 35 31\n");
    EXPECT_EQ(r.out.find("adapt off"), std::string::npos);

    EXPECT_EQ(vexoraMesh({kSampleSurvey, "--config", (folder / "none.cnfg").string()}).code, 1);
    EXPECT_EQ(vexoraMesh({(folder / "none.data").string()}).code, 1);
    for (const std::vector<std::string>& misuse :
         {std::vector<std::string>{}, {kSampleSurvey, "--config"}, {kSampleSurvey, kSampleSurvey}, {kSampleSurvey, "-x"}})
        EXPECT_EQ(vexoraMesh(misuse).code, 2);
    fs::remove_all(folder);
}

}  // namespace
