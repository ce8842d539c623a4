#include <gtest/gtest.h>

#include "JobTestSupport.h"
#include "core/jobs/ConsoleInversion.h"
#include "core/platform/ScriptedProcessLauncher.h"
#include "core/settings/SettingsTable.h"
#include "support/SmallSurvey.h"

namespace {

using namespace vexora;
using vexora::testing::fileNames;
namespace fs = std::filesystem;

TEST(ConsoleInversion, ProjectNamesStopAtTheFirstDotAndRefuseSeparators)
{
    const std::vector<std::pair<std::string, std::string>> names = {
        {"site.data", "site"}, {"/a/site.2021.v2.data", "site"}, {"no extension", "no extension"}, {".data", ""}};
    for (const auto& [file, name] : names) EXPECT_EQ(projectNameFromDataFile(file), name) << file;

    EXPECT_EQ(projectNameProblem("site 1"), "");
    EXPECT_EQ(projectNameProblem(""), "Error: the project name is empty.");
    for (const std::string bad : {"a/b", "a\\b", "/"})
        EXPECT_EQ(projectNameProblem(bad), "Error: the project name " + bad + " must not contain path separators.");
}

struct Fixture {
    fs::path root = vexora::testing::freshFolder("vexora_console_inv");
    fs::path app = root / "app";
    ScriptedProcessLauncher launcher;
    ConsoleRunOptions options;
    Fixture()
    {
        fs::create_directories(app);
        vexora::testing::writeStandInProgram(app / "VORozurire.exe");
        options.applicationFolder = app;
    }
    ~Fixture() { fs::remove_all(root); }
    fs::path write(const std::string& name, const std::string& text)
    {
        writeFileAtomically(root / name, text);
        return root / name;
    }
};

TEST(ConsoleInversion, InvertsBesideTheDataFileAndNeverReusesAFolder)
{
    Fixture f;
    const fs::path data = f.write("site.2021.data", vexora::testing::smallSurvey());
    ProjectStore store;
    MessageLog log;
    const ConsoleRunOutcome first = runConsoleInversion(store, data, f.options, f.launcher, log);
    ASSERT_EQ(first.status, Status::Ok) << log.plainText();
    EXPECT_EQ(first.folder, f.root / "site.VXRprj");
    EXPECT_EQ(fileNames(first.folder), (std::vector<std::string>{"DataInput.data", "InvScript.txt"}));
    EXPECT_EQ(store.survey.quadrupoles.size(), 4u);
    // The mesh box follows the electrodes (x 0 to 6 m), not the default 0 to 10 m.
    const double xMax = settingNumber(store.settings, Item::ForegroundXMax);
    EXPECT_GE(xMax, 6.0);
    EXPECT_LT(xMax, 10.0);
    ASSERT_EQ(f.launcher.requests().size(), 1u);
    EXPECT_EQ(f.launcher.requests()[0].workingFolder, f.app);
    EXPECT_EQ(f.launcher.requests()[0].arguments,
              (std::vector<std::string>{"VexoraRUR64", (first.folder / "InvScript.txt").string(), "INV"}));

    // The default name moves on; a chosen name that is taken is refused
    // before anything is loaded.
    EXPECT_EQ(runConsoleInversion(store, data, f.options, f.launcher, log).folder, f.root / "site_2.VXRprj");
    ConsoleRunOptions named = f.options;
    named.name = "site";
    ProjectStore untouched;
    MessageLog refusal;
    const ConsoleRunOutcome taken = runConsoleInversion(untouched, data, named, f.launcher, refusal);
    EXPECT_EQ(taken.status, Status::Error);
    EXPECT_NE(refusal.plainText().find((f.root / "site.VXRprj").string() +
                                       " already exists. Please create a new project directory"),
              std::string::npos)
        << refusal.plainText();
    EXPECT_FALSE(untouched.survey.dataLoaded);
    EXPECT_EQ(f.launcher.requests().size(), 2u);
}

TEST(ConsoleInversion, BadInputLaunchesNothingAndKeepsTheLoadedSurvey)
{
    Fixture f;
    ProjectStore store;
    MessageLog log;
    ASSERT_EQ(runConsoleInversion(store, f.write("good.data", vexora::testing::smallSurvey()), f.options, f.launcher,
                                  log)
                  .status,
              Status::Ok);
    const std::size_t launches = f.launcher.requests().size();

    struct Case {
        const char* what;
        fs::path file;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"missing", f.root / "none.data", "none.data not found!"},
        {"no tags", f.write("empty.data", "1 2 3\r\n"), "Error: No configuration tags found."},
        {"no data", f.write("nodata.data", vexora::testing::smallHeader() + vexora::testing::smallElectrodes()),
         "Error: no data found in this file."},
    };
    for (const Case& c : cases) {
        MessageLog bad;
        const ConsoleRunOutcome outcome = runConsoleInversion(store, c.file, f.options, f.launcher, bad);
        EXPECT_EQ(outcome.status, Status::Error) << c.what;
        EXPECT_TRUE(outcome.folder.empty()) << c.what;
        EXPECT_NE(bad.plainText().find(c.message), std::string::npos) << c.what << ": " << bad.plainText();
        EXPECT_EQ(store.survey.quadrupoles.size(), 4u) << c.what;
    }
    EXPECT_EQ(f.launcher.requests().size(), launches);
    EXPECT_EQ(fileNames(f.root), (std::vector<std::string>{"app", "empty.data", "good.VXRprj", "good.data",
                                                           "nodata.data"}));
}

TEST(ConsoleInversion, AnInvalidOutputLayoutOrAnUnwritableFolderStopsTheRun)
{
    Fixture f;
    ProjectStore store;
    MessageLog log;
    const fs::path data = f.write("site.data", vexora::testing::smallSurvey());
    f.options.start = false;
    ASSERT_EQ(runConsoleInversion(store, data, f.options, f.launcher, log).status, Status::Ok);

    // x and y in one column.
    ASSERT_TRUE(setSettingText(store.settings, Item::YColumn, "3"));
    f.options.start = true;
    MessageLog layout;
    EXPECT_EQ(invertLoadedSurvey(store, data, f.options, f.launcher, layout).status, Status::Error);
    EXPECT_NE(layout.plainText().find("Error: invalid configuration parameters"), std::string::npos)
        << layout.plainText();
    EXPECT_TRUE(f.launcher.requests().empty());

    // The data file's "folder" is a file: no project folder can be made there.
    f.write("plain", "x");
    MessageLog unwritable;
    const ConsoleRunOutcome outcome = invertLoadedSurvey(store, f.root / "plain" / "site.data", f.options, f.launcher,
                                                         unwritable);
    EXPECT_EQ(outcome.status, Status::Error);
    EXPECT_TRUE(outcome.folder.empty());
    EXPECT_NE(unwritable.plainText().find("not created"), std::string::npos) << unwritable.plainText();
    EXPECT_TRUE(f.launcher.requests().empty());
}

TEST(ConsoleInversion, ABatchGoesOnAfterAFailureAndReusesEarlierElectrodes)
{
    Fixture f;
    const fs::path first = f.write("a.data", vexora::testing::smallSurvey());
    const fs::path missing = f.root / "b.data";
    // No electrode block: its quadrupoles use the electrodes of a.data.
    const fs::path third = f.write("c.data", vexora::testing::smallHeader() + "#data_start\r\n" +
                                                 vexora::testing::smallDataRows() + "#data_end\r\n");
    ProjectStore store;
    MessageLog log;
    f.options.name = "ignored";
    const std::vector<ConsoleRunOutcome> outcomes =
        runBatchInversion(store, {first, missing, third}, f.options, f.launcher, log);
    ASSERT_EQ(outcomes.size(), 3u);
    EXPECT_EQ(outcomes[0].status, Status::Ok);
    EXPECT_EQ(outcomes[1].status, Status::Error);
    EXPECT_EQ(outcomes[2].status, Status::Ok) << log.plainText();
    EXPECT_EQ(outcomes[0].folder, f.root / "a.VXRprj");
    EXPECT_EQ(outcomes[2].folder, f.root / "c.VXRprj");
    EXPECT_EQ(f.launcher.requests().size(), 2u);
}

}  // namespace
