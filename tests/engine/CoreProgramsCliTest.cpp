#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <thread>

#include "ProgramRun.h"
#include "ScriptTestSupport.h"
#include "core/import/GeometricFactor.h"
#include "engine/script/JobSteps.h"
#include "support/SmallSurvey.h"

namespace vexora {
namespace {

namespace fs = std::filesystem;
using testing::fileText;
using testing::runHeadless;

const fs::path kAppFolder = VEXORA_APP_DIR;

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(line);
    }
    return out;
}

fs::path writeScript(const fs::path& folder, const std::string& body)
{
    const fs::path script = folder / "Short Script.txt";
    EXPECT_TRUE(writeFileAtomically(
        script, testing::scriptIn(folder, "SETMESSAGEPATH \"{F}/FWMLog.prg\" \"{F}/Progress.txt\" \"{F}/Abort.txt\"\r\n"
                                          "LOADCONFIGURATION \"{F}/DataInput.data\"\r\n" +
                                              body)));
    return script;
}

TEST(CorePrograms, TheCoreRunsAScriptAndRefusesAnyOtherCommandLine)
{
    const fs::path folder = testing::prepareSampleJob("vexora_core_program");
    const fs::path script = writeScript(folder, "GENERATEMESH\r\nSAVECONFIGURATION \"{F}/Out.data\"\r\n");
    EXPECT_EQ(runHeadless(kAppFolder / "VexoraRUR64", {"RUNSCRIPT", script.string()}).status, 0);
    EXPECT_TRUE(fs::exists(folder / "Out.data"));
    for (const std::vector<std::string>& misuse :
         std::vector<std::vector<std::string>>{{}, {script.string()}, {"RUNSCRIPT", script.string(), "FWM"}})
        EXPECT_EQ(runHeadless(kAppFolder / "VexoraRUR64", misuse).status, 2) << misuse.size();
}

#ifdef VEXORA_HAS_MANAGER
TEST(CorePrograms, TheManagerWithoutADisplayPrintsTheProgressAndEndsWithTheCoresStatus)
{
    const fs::path folder = testing::prepareSampleJob("vexora_manager_program");
    const fs::path manager = kAppFolder / "VORozurire";
    const struct {
        std::string body;
        int status;
    } cases[] = {
        {"GENERATEMESH\r\nSAVECONFIGURATION \"{F}/Out.data\" V1\r\n", 0},
        {"RUNFORWARDMODEL\r\n", 1},
    };
    for (const auto& c : cases) {
        const fs::path script = writeScript(folder, c.body);
        const testing::ProgramRun run = runHeadless(manager, {"VexoraRUR64", script.string(), "FWM"});
        EXPECT_EQ(run.status, c.status) << c.body;
        // Every printed line is a line of the progress file, the last one last.
        const std::vector<std::string> printed = lines(run.out);
        const std::vector<std::string> written = lines(fileText(folder / "Progress.txt"));
        ASSERT_FALSE(printed.empty()) << c.body;
        EXPECT_EQ(printed.back(), written.back()) << c.body;
        for (const std::string& line : printed)
            EXPECT_NE(std::find(written.begin(), written.end(), line), written.end()) << line;
        EXPECT_EQ(printed.back() == "100\tScript completed", c.status == 0) << c.body;
    }
    for (const std::vector<std::string>& misuse : std::vector<std::vector<std::string>>{
             {}, {"VexoraRUR64", "s.txt"}, {"VexoraRUR64", "s.txt", "fwm"}, {"Core", "s.txt", "FWM"}})
        EXPECT_EQ(runHeadless(manager, misuse).status, 2) << misuse.size();
}

// The whole road of a forward job: `vexora job fwm` prepares the folder and
// starts the manager, which runs the core to the end. The small survey keeps
// the forward model short.
TEST(CorePrograms, AForwardJobRunsThroughTheManagerToItsDataOutput)
{
    const fs::path root = testing::freshFolder("vexora_forward_job");
    ASSERT_TRUE(writeFileAtomically(root / "small.data", testing::smallSurvey()));
    const testing::ProgramRun started =
        runHeadless(kAppFolder / "vexora", {"job", "fwm", (root / "small.data").string(), (root / "site").string()});
    ASSERT_EQ(started.status, 0);
    const fs::path folder = root / "site.VXRprj";
    std::string last;
    for (int wait = 0; wait < 1200; ++wait) {
        last = testing::lastLogLine(folder / "FWMLog.prg");
        if (last.find("\tScript ") != std::string::npos) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_NE(last.find("\tScript completed."), std::string::npos) << fileText(folder / "FWMLog.prg");

    const testing::CliRun check = testing::runVexora({"check", (folder / "FWDataOutput.data").string()});
    EXPECT_EQ(check.code, 0) << check.err;
    ProjectStore result;
    MessageLog log;
    ASSERT_EQ(loadJobDataFile(result, folder / "FWDataOutput.data", log), Status::Ok);
    ASSERT_TRUE(result.survey.present.calcResistance);
    const std::vector<double> factor = funGeometricFactor(result.survey, false);
    for (std::size_t k = 0; k < factor.size(); ++k)
        EXPECT_GT(result.survey.quadrupoles.calcResistance[k] * factor[k], 0.0) << k;
}
#endif

}  // namespace
}  // namespace vexora
