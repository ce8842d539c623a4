#include <gtest/gtest.h>

#include <cmath>

#include "ScriptTestSupport.h"
#include "engine/script/ScriptRunner.h"
#include "support/SmallSurvey.h"

namespace vexora {
namespace {

using namespace vexora::testing;

// A sensitivity job on the small survey, prepared as the workbench prepares it.
fs::path prepareSensitivityJob(const std::string& name, const std::string& kind)
{
    const fs::path root = freshFolder(name);
    const fs::path data = root / "small.data";
    EXPECT_TRUE(writeFileAtomically(data, smallSurvey()));
    const CliRun run = runVexora({"job", kind, data.string(), (root / "sens").string(), "--no-start"});
    EXPECT_EQ(run.code, 0) << run.err;
    return root / "sens.VXRprj";
}

TEST(SensitivityJob, WritesTheSensitivityModelAndTheModelledData)
{
    for (const std::string kind : {"sens:21", "sens"}) {
        SCOPED_TRACE(kind);
        const fs::path folder = prepareSensitivityJob("sens_job_" + kind.substr(kind.size() - 2), kind);
        EXPECT_EQ(runCoreScript(folder / "SensScript.txt", nullptr), ScriptStatus::Completed)
            << fileText(folder / "SensLog.prg");
        EXPECT_EQ(lastLogLine(folder / "SensLog.prg").substr(20), "Script completed.");
        const std::string model = fileText(folder / "SensModelOutput.vwer");
        EXPECT_NE(model.find("Sensitivity"), std::string::npos);
        EXPECT_EQ(model.find("Resistivity"), std::string::npos);
        // The data file loads again with its calculated V/I.
        const CliRun check = runVexora({"check", (folder / "SensDataOutput.data").string()});
        EXPECT_EQ(check.code, 0) << check.err;
        EXPECT_NE(fileText(folder / "SensDataOutput.data").find("#data_calc_res_col= "), std::string::npos);
    }
}

TEST(SensitivityJob, ABadRequestOrAnUnknownQuadrupoleStopsTheScript)
{
    const fs::path folder = prepareSensitivityJob("sens_job_bad", "sens:91");
    EXPECT_EQ(runCoreScript(folder / "SensScript.txt", nullptr), ScriptStatus::Stopped);
    EXPECT_NE(lastLogLine(folder / "SensLog.prg").find("Quadrupole 9 is not in the data set"), std::string::npos)
        << lastLogLine(folder / "SensLog.prg");

    ASSERT_TRUE(writeFileAtomically(folder / "SensInfo.json", "{\"Sensitivity_Quad_ID\": \"x\"}\r\n"));
    EXPECT_EQ(runCoreScript(folder / "SensScript.txt", nullptr), ScriptStatus::Stopped);
    EXPECT_NE(lastLogLine(folder / "SensLog.prg").find("needs \"Sensitivity_Quad_ID\": [id]"), std::string::npos);
    EXPECT_FALSE(fs::exists(folder / "SensModelOutput.vwer"));
}

// The abort file is the first iteration's model: it appears once that
// iteration is saved, so the abort comes in the middle of the inversion.
TEST(InversionJob, AnAbortSavesTheBestModelAndEndsTheJobAsAborted)
{
    const fs::path root = freshFolder("inv_abort");
    // From the data's median the small survey fits at once; from 100 ohm m it takes iterations.
    ASSERT_TRUE(writeFileAtomically(root / "small.data", smallSurvey(smallDataRows(), "#start_from_data= 2\r\n")));
    ASSERT_EQ(runVexora({"job", "inv", (root / "small.data").string(), (root / "inv").string(), "--no-start"}).code, 0);
    const fs::path folder = root / "inv.VXRprj";
    std::string script = fileText(folder / "InvScript.txt");
    const std::string abortFile = (folder / "Abort.txt").string();
    script.replace(script.find(abortFile), abortFile.size(), (folder / "InvModelOutput_iter1.vwer").string());
    ASSERT_TRUE(writeFileAtomically(folder / "InvScript.txt", script));

    EXPECT_EQ(runCoreScript(folder / "InvScript.txt", nullptr), ScriptStatus::Aborted);
    const std::string log = fileText(folder / "InvLog.prg");
    EXPECT_NE(log.find("Inversion aborted after iteration 1; the best model so far is kept."), std::string::npos) << log;
    EXPECT_NE(lastLogLine(folder / "InvLog.prg").find("Script aborted at line 4 (RUNINVERSION)"), std::string::npos);
    for (const char* result : {"InvModelOutput.vwer", "InvFullMeshOutput.vwer", "InvDataOutput.data"})
        EXPECT_TRUE(fs::exists(folder / result)) << result;
    EXPECT_FALSE(fs::exists(folder / "InvModelOutput_iter2.vwer"));
    // The model kept is the one iteration 1 saved.
    const ViewerModel kept = viewerModelAt(folder / "InvModelOutput.vwer"),
                      saved = viewerModelAt(folder / "InvModelOutput_iter1.vwer");
    ASSERT_FALSE(kept.values.empty() || saved.values.empty());
    EXPECT_EQ(kept.values[0], saved.values[0]);
}

TEST(InversionJob, ProgressMovesForwardInSmallStepsAndReaches100OnlyAtTheEnd)
{
    const fs::path root = freshFolder("inv_progress");
    // Errors far below the data's own keep it iterating up to its maximum.
    const std::string tags = "#start_from_data= 2\r\n#res_noise_percent= 0.0001\r\n#res_noise_constant= 0\r\n"
                             "#use_robust_inv= 2\r\n#max_num_iterations_rho= 8\r\n";
    ASSERT_TRUE(writeFileAtomically(root / "small.data", smallSurvey(smallDataRows(), tags)));
    ASSERT_EQ(runVexora({"job", "inv", (root / "small.data").string(), (root / "inv").string(), "--no-start"}).code, 0);
    const fs::path folder = root / "inv.VXRprj";
    ASSERT_EQ(runCoreScript(folder / "InvScript.txt", nullptr), ScriptStatus::Completed);

    const std::string text = fileText(folder / "Progress.txt");
    std::vector<ProgressState> states;
    for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        states.push_back(*lastProgressState(text.substr(start, end + 2 - start)));
    ASSERT_FALSE(states.empty());
    std::vector<int> distinct;
    for (std::size_t i = 0; i < states.size(); ++i) {
        if (i > 0) EXPECT_GE(states[i].percent, states[i - 1].percent) << states[i].stage;
        if (i + 1 < states.size()) EXPECT_LT(states[i].percent, 100) << states[i].stage;
        if (distinct.empty() || distinct.back() != states[i].percent) distinct.push_back(states[i].percent);
    }
    EXPECT_EQ(states.back(), (ProgressState{100, "Script completed"}));
    EXPECT_GE(distinct.size(), 20u) << text;
    // The inversion's own parts are named as they come.
    for (const char* stage : {"Inversion: Iteration 1: sensitivities", "Inversion: Iteration 1: model update",
                              "Inversion: Iteration 1: forward model"})
        EXPECT_NE(text.find(stage), std::string::npos) << stage;
}

}  // namespace
}  // namespace vexora
