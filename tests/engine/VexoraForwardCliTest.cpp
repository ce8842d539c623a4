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
        {{"forward", "a.data", "--dim", "4"}, 2, "Usage: vexora forward"},
        {{"forward", "a.data", "--dim"}, 2, "Usage: vexora forward"},
        {{"forward", (folder / "bad.data").string(), "--dim", "2", "--dim", "3"}, 2, "Usage: vexora forward"},
    };
    for (const auto& c : cases) {
        const CliRun run = runVexora(c.args);
        EXPECT_EQ(run.code, c.code) << c.args.size();
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    EXPECT_EQ(testing::fileNames(folder), std::vector<std::string>{"bad.data"});
}

// Twelve electrodes 1 m apart on a line at an angle to the axes, dipole-dipole n = 1..4.
std::string obliqueLine()
{
    std::string text = testing::smallHeader() + "#elec_start\r\n";
    for (int i = 1; i <= 12; ++i)
        text += "L " + std::to_string(i) + " " + std::to_string(0.8 * i) + " " + std::to_string(0.6 * i) + " 0\r\n";
    text += "#elec_end\r\n#data_start\r\n";
    int id = 0;
    for (int n = 1; n <= 4; ++n)
        for (int a = 1; a + n + 2 <= 12; ++a)
            text += std::to_string(++id) + " L " + std::to_string(a) + " L " + std::to_string(a + 1) + " L " +
                    std::to_string(a + n + 1) + " L " + std::to_string(a + n + 2) + " 1 0 0 100 0\r\n";
    return text + "#data_end\r\n";
}

std::vector<double> calculated(const fs::path& file)
{
    ProjectStore store;
    MessageLog log;
    EXPECT_EQ(loadJobDataFile(store, file, log), Status::Ok) << log.plainText();
    return store.survey.quadrupoles.calcResistance;
}

// A line is modelled in 2.5D unless 3D is asked for; both agree, and a survey
// that is not a line is refused 2.5D with the reason and nothing written.
TEST(VexoraForwardCommand, ALineTakesThe25DModel)
{
    const fs::path folder = testing::freshFolder("vexora_forward_line");
    ASSERT_TRUE(writeFileAtomically(folder / "line.data", obliqueLine()));
    ASSERT_TRUE(writeFileAtomically(folder / "grid.data", testing::smallSurvey()));
    const std::string in = (folder / "line.data").string();
    const CliRun automatic = runVexora({"forward", in, "-o", (folder / "auto.data").string()});
    ASSERT_EQ(automatic.code, 0) << automatic.err;
    EXPECT_NE(automatic.err.find("Electrodes on one line: 2.5D forward model (12 wavenumbers)."), std::string::npos)
        << automatic.err;
    const CliRun two = runVexora({"forward", in, "--dim", "2", "-o", (folder / "two.data").string()});
    const CliRun three = runVexora({"forward", in, "--dim", "3", "-o", (folder / "three.data").string()});
    ASSERT_EQ(two.code, 0) << two.err;
    ASSERT_EQ(three.code, 0) << three.err;
    EXPECT_EQ(three.err.find("2.5D"), std::string::npos) << three.err;
    const std::vector<double> a = calculated(folder / "auto.data"), b = calculated(folder / "two.data"),
                              c = calculated(folder / "three.data");
    ASSERT_EQ(a.size(), 30u);
    ASSERT_EQ(c.size(), a.size());
    EXPECT_EQ(a, b);
    for (std::size_t k = 0; k < a.size(); ++k) EXPECT_NEAR(a[k] / c[k], 1.0, 0.01) << k;

    const CliRun refused =
        runVexora({"forward", (folder / "grid.data").string(), "--dim", "2", "-o", (folder / "grid2.data").string()});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("No 2.5D forward model: the electrodes do not lie on one line: electrode"),
              std::string::npos)
        << refused.err;
    EXPECT_FALSE(fs::exists(folder / "grid2.data"));
}

}  // namespace
}  // namespace vexora
