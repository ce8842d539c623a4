#include <gtest/gtest.h>

#include <sstream>

#include "support/CliRun.h"
#include "../core/JobTestSupport.h"
#include "app/cli/Cli.h"
#include "support/SmallSurvey.h"

namespace {

namespace fs = std::filesystem;
using vexora::testing::fileNames;

using vexora::testing::CliRun;
using vexora::testing::runVexora;

TEST(JobCommand, PreparesTheFolderAndStartsTheManagerOfTheApplicationFolder)
{
    const fs::path root = vexora::testing::freshFolder("vexora_job_cli");
    const fs::path app = root / "Program Files" / "Vexora";
    fs::create_directories(app);
    vexora::testing::writeStandInProgram(app / "VORozurire.exe");
    const std::string in = (root / "in.data").string();
    ASSERT_TRUE(vexora::writeFileAtomically(in, vexora::testing::smallSurvey()));

    const CliRun sens = runVexora({"job", "sens:71", in, (root / "site A").string(), "--app-folder", app.string()});
    ASSERT_EQ(sens.code, 0) << sens.err;
    const fs::path folder = root / "site A.VXRprj";
    EXPECT_EQ(sens.out, folder.string() + "\n");
    EXPECT_EQ(fileNames(folder), (std::vector<std::string>{"DataInput.data", "SensInfo.json", "SensScript.txt"}));
    EXPECT_EQ(vexora::testing::waitForLaunchRecord(app),
              (std::vector<std::string>{app.string(), "VexoraRUR64", (folder / "SensScript.txt").string(), "SENS"}));
    EXPECT_NE(vexora::testing::fileText(folder / "SensInfo.json").find("[7]"), std::string::npos);

    // The same folder again is refused as the workbench refuses it.
    const CliRun again = runVexora({"job", "inv", in, (root / "site A").string(), "--app-folder", app.string()});
    EXPECT_EQ(again.code, 1);
    EXPECT_NE(again.err.find("Create new project folder: " + folder.string() +
                             " already exists. Please create a new project directory"),
              std::string::npos)
        << again.err;

    // --no-start prepares only.
    fs::remove(app / vexora::testing::kLaunchRecord);
    const CliRun prepared = runVexora({"job", "fwm", in, (root / "design").string(), "--no-start"});
    ASSERT_EQ(prepared.code, 0) << prepared.err;
    EXPECT_EQ(fileNames(root / "design.VXRprj"), (std::vector<std::string>{"DataInput.data", "FWScript.txt"}));
    EXPECT_FALSE(fs::exists(app / vexora::testing::kLaunchRecord));

    // No manager program: the job fails after preparing the folder.
    const CliRun missing = runVexora({"job", "inv", in, (root / "inv").string(), "--app-folder", root.string()});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("VORozurire.exe not found!"), std::string::npos) << missing.err;

    for (const std::vector<std::string>& misuse :
         std::vector<std::vector<std::string>>{{"job"}, {"job", "inv", in}, {"job", "invert", in, "x"},
                                               {"job", "sens:7a", in, "x"}, {"job", "inv", in, "x", "--fast"}})
        EXPECT_EQ(runVexora(misuse).code, 2) << misuse.size();
    const CliRun unreadable = runVexora({"job", "inv", (root / "none.data").string(), (root / "none").string()});
    EXPECT_EQ(unreadable.code, 1);
    EXPECT_FALSE(fs::exists(root / "none.VXRprj"));
    fs::remove_all(root);
}

}  // namespace

namespace {

// Folder names are bytes: one that is no valid text is taken as it is; one
// with a line break, which a job's script cannot hold, creates nothing.
TEST(HostileInputJobCommand, FolderNamesAreTakenAsBytesOrRefusedBeforeAnythingIsCreated)
{
    const fs::path root = vexora::testing::freshFolder("vexora_job_cli_names");
    const std::string in = (root / "in.data").string();
    ASSERT_TRUE(vexora::writeFileAtomically(in, vexora::testing::smallSurvey()));
    const struct {
        std::string name;
        int code;
        std::string err;
    } cases[] = {
        {"latin1\xe9\xff", 0, ""},
        {"a\nb", 1, "Project folder not created: its path holds a line break (CR or LF)"},
        {"a\rb", 1, "Project folder not created: its path holds a line break (CR or LF)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path folder = root / (c.name + ".VXRprj");
        const CliRun run = runVexora({"job", "fwm", in, (root / c.name).string(), "--no-start"});
        EXPECT_EQ(run.code, c.code);
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        if (c.code != 0) {
            EXPECT_EQ(fileNames(root), std::vector<std::string>{"in.data"});
            continue;
        }
        EXPECT_EQ(run.out, folder.string() + "\n");
        EXPECT_EQ(fileNames(folder), (std::vector<std::string>{"DataInput.data", "FWScript.txt"}));
        const std::string script = vexora::testing::fileText(folder / "FWScript.txt");
        EXPECT_NE(script.find("\"" + (folder / "DataInput.data").string() + "\""), std::string::npos) << script;
        fs::remove_all(folder);
    }
    fs::remove_all(root);
}

}  // namespace
