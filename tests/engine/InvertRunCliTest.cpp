#include <gtest/gtest.h>

#include "ScriptTestSupport.h"
#include "support/SmallSurvey.h"

namespace vexora {
namespace {

using namespace vexora::testing;

TEST(InvertRun, InvertsInProcessAndLeavesTheThreeResults)
{
    const fs::path root = freshFolder("invert_run");
    // From the data's median the small survey fits at once; from 100 ohm m it takes iterations.
    ASSERT_TRUE(writeFileAtomically(root / "site.data", smallSurvey(smallDataRows(), "#start_from_data= 2\r\n")));
    ASSERT_TRUE(writeFileAtomically(root / "broken.data", "#elec_start\r\n1 1 0 0 0\r\n"));
    const CliRun run = runVexora({"invert", (root / "site.data").string(), (root / "broken.data").string(), "--run"});
    EXPECT_EQ(run.code, 1);  // one file failed
    EXPECT_NE(run.out.find("ok\t" + (root / "site.data").string()), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("failed\t" + (root / "broken.data").string()), std::string::npos) << run.out;
    const fs::path folder = root / "site.VXRprj";
    EXPECT_EQ(lastLogLine(folder / "InvLog.prg").substr(20), "Script completed.");
    EXPECT_NE(fileText(folder / "InvLog.prg").find("Iteration 1: roughness"), std::string::npos);
    // The results load: the data file and the full mesh.
    EXPECT_EQ(runVexora({"check", (folder / "InvDataOutput.data").string()}).code, 0);
    EXPECT_EQ(runVexora({"mesh-import", (folder / "InvFullMeshOutput.vwer").string()}).code, 0);
    // The model saved at the end is the last iteration's.
    int last = 0;
    while (fs::exists(folder / ("InvModelOutput_iter" + std::to_string(last + 1) + ".vwer"))) ++last;
    ASSERT_GE(last, 1);
    EXPECT_EQ(fileText(folder / "InvModelOutput.vwer"),
              fileText(folder / ("InvModelOutput_iter" + std::to_string(last) + ".vwer")));

    EXPECT_EQ(runVexora({"invert", (root / "site.data").string(), "--run", "--no-start"}).code, 2);
}

}  // namespace
}  // namespace vexora
