#include <gtest/gtest.h>

#include <cstdlib>

#include "JobTestSupport.h"
#include "core/datafile/ScheduleLoader.h"
#include "core/datafile/LoadCompletion.h"
#include "core/jobs/InversionWorkspace.h"
#include "core/jobs/ParallelRun.h"
#include "core/mesh/MeshBuild.h"
#include "core/mesh/MeshFileFormat.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/platform/UserSettings.h"
#include "core/settings/SettingsTable.h"
#include "core/shell/ViewerScript.h"
#include "support/SmallSurvey.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;

TEST(InversionWorkspace, IpWindowsAnswerIsLimitedToTheWindowCount)
{
    const std::vector<std::pair<std::string, std::optional<int>>> answers = {
        {"", std::nullopt}, {"  ", std::nullopt}, {"0", 0}, {" 2 ", 2}, {"3", 3},
        {"4", 3},           {"-1", 3},            {"two", 3}, {"2.5", 3}};
    for (const auto& [answer, merge] : answers) EXPECT_EQ(ipWindowsToMergeAnswer(answer, 3), merge) << answer;
}

TEST(InversionWorkspace, TheProcessCountKeptPerUserIsOneUnlessAWholeNumberInRange)
{
    const std::vector<std::pair<std::string, int>> counts = {
        {"4", 4}, {"1024", 1024}, {"0", 1}, {"-2", 1}, {"1025", 1}, {"3x", 1}, {"", 1}, {"two", 1}, {" 2", 1}};
    for (const auto& [text, count] : counts) {
        MemoryUserSettings settings;
        settings.setValue("ParallelRun", "Processes", text);
        EXPECT_EQ(savedCoreProcesses(settings).count, count) << text;
    }
    MemoryUserSettings settings;
    EXPECT_EQ(savedCoreProcesses(settings).count, 1);
    EXPECT_TRUE(savedCoreProcesses(settings).hostFile.empty());
    saveCoreProcesses(settings, {6, "/cluster/h\xe9tes"});
    EXPECT_EQ(savedCoreProcesses(settings).count, 6);
    EXPECT_EQ(savedCoreProcesses(settings).hostFile, fs::path("/cluster/h\xe9tes"));
}

TEST(InversionWorkspace, SeveralProcessesNeedMpirunOnThePathAndTheNamedHostFile)
{
    const fs::path folder = vexora::testing::freshFolder("parallel_run");
    const fs::path bin = folder / "bin", hosts = folder / "hosts";
    fs::create_directories(bin);
    vexora::testing::writeStandInProgram(bin / "mpirun");
    ASSERT_TRUE(writeFileAtomically(hosts, "localhost slots=2\r\n"));
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    const struct {
        CoreProcesses processes;
        fs::path pathFolder;
        std::optional<std::string> refusal;
    } cases[] = {
        {{1, folder / "none"}, folder, std::nullopt},  // one process asks for neither
        {{2, {}}, bin, std::nullopt},
        {{2, hosts}, bin, std::nullopt},
        {{2, folder / "none"}, bin, "Host file " + (folder / "none").string() + " not found!"},
        {{2, folder}, bin, "Host file " + folder.string() + " not found!"},
        {{3, hosts}, folder,
         "mpirun not found: install OpenMPI (openmpi-bin) to run a job on 3 processes."},
    };
    for (const auto& c : cases) {
        ::setenv("PATH", c.pathFolder.c_str(), 1);
        EXPECT_EQ(coreProcessesRefusal(c.processes), c.refusal) << c.processes.hostFile;
    }
    ::setenv("PATH", path.c_str(), 1);
    fs::remove_all(folder);
}

TEST(InversionWorkspace, ProposedNameStopsAtTheFirstDotOfTheFileName)
{
    EXPECT_EQ(proposedProjectName("/d/v1.2/site.2021.data"), fs::path("/d/v1.2/site"));
    EXPECT_EQ(proposedProjectName("site"), fs::path("site"));
}

TEST(InversionWorkspace, SeveralFilesOrAnInstrumentSequenceAreForTheDataMerge)
{
    struct Case {
        std::vector<fs::path> files;
        std::string firstText;
        bool forMerge;
    };
    const std::vector<Case> cases = {
        {{"/d/site.data"}, "#elec_start\r\n", false},
        {{"/d/site.data"}, "#Vexora+\r\n#ITitle= Line 1\r\n", true},
        {{"/d/a.data", "/d/b b.data", "/e/c.txt"}, "#elec_start\r\n", true},
        {{"/d/site.data"}, "#ititle in lower case is no sequence\r\n", false},
    };
    for (const Case& c : cases) EXPECT_EQ(isForDataMerge(c.files, c.firstText), c.forMerge) << c.firstText;
}

TEST(InversionWorkspace, ViewerSectionsCrossTheMiddleOfTheMeshTop)
{
    MeshLines lines{{-10, 0, 30}, {5, 6, 7, 9}, {2, 0, -8}};
    const SectionCentre centre = meshCentre(lines);
    EXPECT_EQ(centre.x, 10.0);
    EXPECT_EQ(centre.y, 7.0);
    EXPECT_EQ(centre.z, 2.0);
    EXPECT_EQ(meshCentre({}).x, 0.0);
}

TEST(InversionWorkspace, ModelledDataWithoutAnOutputColumnIsNamed)
{
    ProjectStore store;
    EXPECT_TRUE(missingModelledDataColumns(store).empty());
    store.survey.present.calcResistance = true;
    store.survey.present.calcIp = true;
    ASSERT_TRUE(setSettingText(store.settings, Item::CalcResistanceColumn, "-1"));
    ASSERT_TRUE(setSettingText(store.settings, Item::CalcIpColumn, "-1"));
    EXPECT_EQ(missingModelledDataColumns(store), (std::vector<Item>{Item::CalcResistanceColumn, Item::CalcIpColumn}));
    ASSERT_TRUE(setSettingText(store.settings, Item::CalcIpColumn, "16"));
    EXPECT_EQ(missingModelledDataColumns(store), (std::vector<Item>{Item::CalcResistanceColumn}));
}

TEST(InversionWorkspace, ARefusedConfigurationFileLeavesTheSettings)
{
    const fs::path folder = vexora::testing::freshFolder("vexora_inv_workspace");
    ProjectStore store;
    const SettingsTable before = store.settings;
    struct Case {
        std::string name, text, message;
    };
    const std::vector<Case> cases = {
        {"none.cnfg", "", "none.cnfg not found!"},
        {"plain.cnfg", "just words\r\n", "Error: No configuration tags found."},
    };
    for (const Case& c : cases) {
        if (!c.text.empty()) writeFileAtomically(folder / c.name, c.text);
        MessageLog log;
        EXPECT_EQ(loadConfigurationFile(store, folder / c.name, log), Status::Error) << c.name;
        EXPECT_NE(log.plainText().find(c.message), std::string::npos) << c.name << ": " << log.plainText();
        EXPECT_EQ(store.settings, before) << c.name;
    }
    writeFileAtomically(folder / "good.cnfg", "#background_res= 250\r\n");
    MessageLog log;
    EXPECT_EQ(loadConfigurationFile(store, folder / "good.cnfg", log), Status::Ok) << log.plainText();
    EXPECT_EQ(settingNumber(store.settings, Item::BackgroundResistivity), 250.0);
    EXPECT_NE(log.plainText().find("Configuration loaded from file " + (folder / "good.cnfg").string() + "."),
              std::string::npos);
    fs::remove_all(folder);
}

}  // namespace

namespace {

using namespace vexora;
namespace fs = std::filesystem;

const std::string kTopographyTags = "#topo_x_col= 1\r\n#topo_y_col= 2\r\n#topo_z_col= 3\r\n";

TEST(InversionWorkspace, TopographyWidensTheForegroundAndSwitchesToTerrain)
{
    const fs::path folder = vexora::testing::freshFolder("vexora_inv_topography");
    writeFileAtomically(folder / "hill.topo",
                        kTopographyTags + "#topo_start\r\n0 0 -7.5\r\n10 0 3.25\r\n5 5 1\r\n#topo_end\r\n");
    ProjectStore store;
    ASSERT_TRUE(setSettingText(store.settings, Item::PlotBounds, "0.0 20 -1 9.5 -5.0 0.0"));
    MessageLog log;
    ASSERT_EQ(loadTopographyFile(store, folder / "hill.topo", log), Status::Ok) << log.plainText();
    EXPECT_EQ(store.survey.topography.size(), 3u);
    EXPECT_EQ(settingText(store.settings, Item::ForegroundZMax), "3.25");
    EXPECT_EQ(settingText(store.settings, Item::ForegroundZMin), "-7.5");
    EXPECT_EQ(settingText(store.settings, Item::PlotBounds), "0 20 -1 9.5 -7.5 3.25");
    EXPECT_EQ(settingInteger(store.settings, Item::FlatTerrain), 2);
    EXPECT_NE(log.plainText().find("3 total topography data points loaded."), std::string::npos);
    EXPECT_NE(log.plainText().find("Topography loaded from file " + (folder / "hill.topo").string() + "."),
              std::string::npos);
    fs::remove_all(folder);
}

TEST(InversionWorkspace, ARefusedTopographyFileChangesNothing)
{
    const fs::path folder = vexora::testing::freshFolder("vexora_inv_topography_bad");
    struct Case {
        std::string name, text, message;
    };
    const std::vector<Case> cases = {
        {"none.topo", "", "none.topo not found!"},
        {"plain.topo", "0 0 1\r\n", "Error: No configuration tags found."},
        {"empty.topo", kTopographyTags, "Error: no topography found in this file."},
        {"open.topo", kTopographyTags + "#topo_start\r\n0 0 1\r\n",
         "Error: #topo_end occurs before #topo_start or #topo_end does not exist."},
    };
    ProjectStore store;
    store.survey.topography = {{1, 2, 3}};
    const SettingsTable before = store.settings;
    for (const Case& c : cases) {
        if (!c.text.empty()) writeFileAtomically(folder / c.name, c.text);
        MessageLog log;
        EXPECT_EQ(loadTopographyFile(store, folder / c.name, log), Status::Error) << c.name;
        EXPECT_NE(log.plainText().find(c.message), std::string::npos) << c.name << ": " << log.plainText();
        EXPECT_EQ(store.settings, before) << c.name;
        EXPECT_EQ(store.survey.topography.size(), 1u) << c.name;
    }
    fs::remove_all(folder);
}

}  // namespace

namespace {

using namespace vexora;
namespace fs = std::filesystem;

ProjectStore loadedSmallSurvey()
{
    ProjectStore store;
    store.type = ProjectType::DataInversion;
    MessageLog log;
    ScriptedQuestions questions;
    EXPECT_EQ(loadScheduleText(store, vexora::testing::smallSurvey(), {"small.data", store.type}, log, questions), LoadStatus::Loaded);
    return store;
}

TEST(InversionWorkspace, TheCompletionCountsQuadrupolesAboveTheKLimit)
{
    ProjectStore store = loadedSmallSurvey();  // |K| 37.7, 37.7, 12.6 and 219.6 m
    MessageLog log;
    ASSERT_EQ(completeDataLoad(store, vexora::testing::smallHeader("#k_limit= 100\r\n"), false, log), Status::Ok);
    EXPECT_NE(log.plainText().find("quadrupoles with |K| above 100 m: 1"), std::string::npos) << log.plainText();
}

TEST(InversionWorkspace, AnImportedMeshNamedInTheDataFileIsImportedAgain)
{
    const fs::path folder = vexora::testing::freshFolder("vexora_inv_mesh_type");
    const fs::path meshFile = folder / "earlier.vwer";
    {
        ProjectStore earlier = loadedSmallSurvey();
        MessageLog log;
        MeshBuildOutcome outcome;
        ASSERT_EQ(applyMeshSettings(earlier.settings, earlier.mesh, log), Status::Ok) << log.plainText();
        ASSERT_EQ(funMakeMesh(earlier.settings, earlier.survey, earlier.mesh, earlier.models, log, outcome),
                  Status::Ok) << log.plainText();
        ASSERT_EQ(OutputGlobalMesh(meshFile, false, earlier.survey, earlier.mesh, earlier.models, log),
                  Status::Ok) << log.plainText();
    }
    for (const fs::path& named : {meshFile, folder / "gone.vwer"}) {
        ProjectStore store = loadedSmallSurvey();
        MessageLog log;
        const std::string header = vexora::testing::smallHeader("#mesh_type= 2-Imported(" + named.string() + ")\r\n");
        EXPECT_EQ(completeDataLoad(store, header, true, log), Status::Ok) << log.plainText();
        const bool found = named == meshFile;
        EXPECT_EQ(store.mesh.present, found);
        EXPECT_NE(log.plainText().find(found ? "Mesh imported from file " + named.string()
                                             : named.string() + " file not found. Mesh not imported."),
                  std::string::npos)
            << log.plainText();
    }
    fs::remove_all(folder);
}

}  // namespace
