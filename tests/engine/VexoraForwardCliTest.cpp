#include <gtest/gtest.h>

#include "ScriptTestSupport.h"
#include "core/import/GeometricFactor.h"
#include "engine/script/JobSteps.h"
#include "support/SmallSurvey.h"

namespace vexora {
namespace {

namespace fs = std::filesystem;
using testing::CliRun;
using testing::runVexora;

TEST(VexoraForwardCommand, WritesTheDataWithTheCalculatedColumns)
{
    const fs::path folder = testing::freshFolder("vexora_forward_cli");
    ASSERT_TRUE(writeFileAtomically(folder / "site.data", testing::smallSurvey()));
    const CliRun run = runVexora({"forward", (folder / "site.data").string()});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, (folder / "site_fwd.data").string() + "\n");
    ProjectStore result;
    MessageLog log;
    ASSERT_EQ(loadJobDataFile(result, folder / "site_fwd.data", log), Status::Ok) << log.plainText();
    ASSERT_TRUE(result.survey.present.calcResistance);
    // Over the default 100 ohm m starting model every apparent resistivity is positive.
    const std::vector<double> factor = funGeometricFactor(result.survey, false);
    for (std::size_t k = 0; k < factor.size(); ++k)
        EXPECT_GT(result.survey.quadrupoles.calcResistance[k] * factor[k], 0.0) << k;
}

TEST(VexoraForwardCommand, ABadFileFailsAndMisuseIsRefused)
{
    const fs::path folder = testing::freshFolder("vexora_forward_bad");
    ASSERT_TRUE(writeFileAtomically(folder / "bad.data", "no tags here\r\n"));
    const struct {
        std::vector<std::string> args;
        int code;
        std::string message;
    } cases[] = {
        {{"forward", (folder / "none.data").string()}, 1, "none.data not found!"},
        {{"forward", (folder / "bad.data").string()}, 1, "No configuration tags found."},
        {{"forward", testing::kSampleSurvey, "--config", (folder / "none.cnfg").string(), "-o",
          (folder / "out.data").string()},
         1, "none.cnfg: not found"},
        {{"forward"}, 2, "Usage: vexora forward"},
        {{"forward", "a.data", "b.data"}, 2, "Usage: vexora forward"},
        {{"forward", "a.data", "--fast"}, 2, "Usage: vexora forward"},
        {{"forward", "a.data", "-o"}, 2, "Usage: vexora forward"},
    };
    for (const auto& c : cases) {
        const CliRun run = runVexora(c.args);
        EXPECT_EQ(run.code, c.code) << c.args.size();
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    EXPECT_EQ(testing::fileNames(folder), std::vector<std::string>{"bad.data"});
}

}  // namespace
}  // namespace vexora
