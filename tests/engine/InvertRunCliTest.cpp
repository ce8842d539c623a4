#include <gtest/gtest.h>

#include "ProgramRun.h"
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
    EXPECT_NE(fileText(folder / "InvLog.prg").find("Dimension auto: 3D, the electrodes do not lie on one line: "),
              std::string::npos);
    // The results load: the data file and the full mesh.
    EXPECT_EQ(runVexora({"check", (folder / "InvDataOutput.data").string()}).code, 0);
    EXPECT_EQ(runVexora({"mesh-import", (folder / "InvFullMeshOutput.vwer").string()}).code, 0);
    // The model saved at the end is the last iteration's, with the data's
    // cumulative sensitivity beside it.
    int last = 0;
    while (fs::exists(folder / ("InvModelOutput_iter" + std::to_string(last + 1) + ".vwer"))) ++last;
    ASSERT_GE(last, 1);
    const ViewerModel final = viewerModelAt(folder / "InvModelOutput.vwer");
    const ViewerModel iteration = viewerModelAt(folder / ("InvModelOutput_iter" + std::to_string(last) + ".vwer"));
    ASSERT_FALSE(final.values.empty() || iteration.values.empty());
    EXPECT_EQ(final.values[0], iteration.values[0]);
    EXPECT_EQ(final.quantities, (std::vector<std::string>{"Resistivity", "Conductivity", "Sensitivity"}));
    EXPECT_EQ(iteration.quantities, (std::vector<std::string>{"Resistivity", "Conductivity"}));

    EXPECT_EQ(runVexora({"invert", (root / "site.data").string(), "--run", "--no-start"}).code, 2);
}

// Ten electrodes 1 m apart on one line, dipole-dipole n = 1..3 over 100 ohm m.
std::string lineSurveyFile()
{
    std::string text = smallHeader();
    text.replace(text.find("#data_appres= 1"), 15, "#data_appres= 2");
    text += "#elec_start\r\n";
    for (int e = 1; e <= 10; ++e) text += "A " + std::to_string(e) + " " + std::to_string(e - 1) + " 0 0\r\n";
    text += "#elec_end\r\n#data_start\r\n";
    int id = 0;
    for (int n = 1; n <= 3; ++n)
        for (int a = 1; a + n + 2 <= 10; ++a)
            text += std::to_string(++id) + " A " + std::to_string(a) + " A " + std::to_string(a + 1) + " A " +
                    std::to_string(a + n + 1) + " A " + std::to_string(a + n + 2) + " 100 10 5 100 0\r\n";
    return text + "#data_end\r\n";
}

TEST(InvertRun, TheAutomaticDimensionTakesALineAndSaysWhy)
{
    const fs::path root = freshFolder("invert_line");
    ASSERT_TRUE(writeFileAtomically(root / "line.data", lineSurveyFile()));
    const CliRun run = runVexora({"invert", (root / "line.data").string(), "--run"});
    ASSERT_EQ(run.code, 0) << run.err;
    const fs::path folder = root / "line.VXRprj";
    EXPECT_NE(fileText(folder / "InvScript.txt").find("\r\nRUNINVERSION AUTO\r\n"), std::string::npos);
    const std::string log = fileText(folder / "InvLog.prg");
    EXPECT_NE(log.find("Dimension auto: 2D, every electrode lies on one line (the farthest 0.000 m off it, 0.090 m "
                       "allowed)."),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("2D inversion of the section under the line: "), std::string::npos) << log;
    EXPECT_EQ(lastLogLine(folder / "InvLog.prg").substr(20), "Script completed.");
    EXPECT_EQ(runVexora({"check", (folder / "InvDataOutput.data").string()}).code, 0);
    EXPECT_EQ(runVexora({"mesh-import", (folder / "InvFullMeshOutput.vwer").string()}).code, 0);

    // Asked for 3D, the same line is inverted on the mesh.
    ASSERT_EQ(runVexora({"invert", (root / "line.data").string(), "--run", "--dim", "3", "--name", "three"}).code, 0);
    EXPECT_EQ(fileText(root / "three.VXRprj" / "InvLog.prg").find("2D inversion"), std::string::npos);
}

// With --doi the line's model carries its sensitivity and DOI index, the log
// the depth the data reach, and the masks leave the unconstrained blocks out
// of the exported model and blank in the section.
TEST(InvertRun, DepthOfInvestigationReachesTheModelFileAndItsMasks)
{
    const fs::path root = freshFolder("invert_doi");
    ASSERT_TRUE(writeFileAtomically(root / "line.data", lineSurveyFile()));
    const CliRun run = runVexora({"invert", (root / "line.data").string(), "--run", "--doi"});
    ASSERT_EQ(run.code, 0) << run.err;
    const fs::path folder = root / "line.VXRprj";
    const std::string log = fileText(folder / "InvLog.prg");
    EXPECT_NE(log.find("Depth of investigation: two more inversions with reference models 500 and 20 ohm m."),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("Depth of investigation: the model is constrained above "), std::string::npos) << log;
    const std::string model = (folder / "InvModelOutput.vwer").string();
    const CliRun listed = runVexora({"mesh-import", model});
    EXPECT_NE(listed.out.find("quantities\tResistivity\tConductivity\tSensitivity\tDOI index\n"), std::string::npos)
        << listed.out;

    const auto count = [](const std::string& out, const std::string& name) {
        const std::size_t at = out.find(name + "\t");
        return at == std::string::npos ? -1 : std::stoi(out.substr(at + name.size() + 1));
    };
    const CliRun whole = runVexora({"export-vtk", model, "-o", (root / "whole.vtu").string()});
    const CliRun masked = runVexora({"export-vtk", model, "-o", (root / "masked.vtu").string(), "--mask-doi", "0.5"});
    ASSERT_EQ(masked.code, 0) << masked.err;
    EXPECT_GT(count(masked.out, "masked blocks"), 0) << masked.out;
    EXPECT_EQ(count(masked.out, "cells") + count(masked.out, "masked blocks"), count(whole.out, "cells"));
    EXPECT_EQ(count(whole.out, "masked blocks"), -1);
    // The section draws its PNG in the program itself, offscreen.
    const fs::path vexora = fs::path(VEXORA_APP_DIR) / "vexora";
    const std::string png = (root / "section.png").string();
    const ProgramRun plain = runHeadless(vexora, {"section", model, "--y", "0.25", "--png", png});
    const ProgramRun blank = runHeadless(
        vexora, {"section", model, "--y", "0.25", "--png", png, "--mask-doi", "0.5", "--mask-sensitivity", "0.001"});
    ASSERT_EQ(blank.status, 0) << blank.err;
    EXPECT_LT(count(blank.out, "cells"), count(plain.out, "cells")) << blank.out << plain.out;
}

}  // namespace
}  // namespace vexora
