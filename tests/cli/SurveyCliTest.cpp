#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "support/CliRun.h"
#include "app/cli/Cli.h"
#include "core/io/TextFile.h"
#include "support/SmallSurvey.h"

namespace {

namespace fs = std::filesystem;

using vexora::testing::CliRun;
using vexora::testing::kSampleSurvey;
using vexora::testing::runVexora;

TEST(SurveyCommands, CheckTheSample)
{
    const CliRun r = runVexora({"check", kSampleSurvey});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "electrodes 96\nquadrupoles 2256\ntopography 160\nquadrupoles with |K| above 5000 m: 0\n");
    EXPECT_EQ(r.err.find("Error: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("96 total electrodes loaded."), std::string::npos);
}

// |K| of the small survey: 37.7, 37.7, 12.6 and, for its cross-line dipole, 219.6 m.
TEST(SurveyCommands, CheckCountsQuadrupolesAboveTheKLimit)
{
    const fs::path file = fs::temp_directory_path() / ("vexora_k_limit_" + std::to_string(::getpid()) + ".data");
    const std::pair<const char*, const char*> cases[] = {
        {"", "quadrupoles with |K| above 5000 m: 0\n"},
        {"#k_limit= 100\r\n", "quadrupoles with |K| above 100 m: 1\n"},
        {"#k_limit= 2e1\r\n", "quadrupoles with |K| above 20 m: 3\n"},
    };
    for (const auto& [tags, line] : cases) {
        ASSERT_TRUE(
            vexora::writeFileAtomically(file, vexora::testing::smallSurvey(vexora::testing::smallDataRows(), tags)));
        const CliRun r = runVexora({"check", file.string()});
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_TRUE(r.out.ends_with(line)) << tags << r.out;
    }
    fs::remove(file);
}

TEST(SurveyCommands, SaveDumpAndMisuse)
{
    const fs::path folder = fs::temp_directory_path() / ("vexora_cli_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::string in = (folder / "in.data").string(), out = (folder / "out.data").string();
    ASSERT_TRUE(vexora::writeFileAtomically(in, vexora::testing::smallSurvey()));

    EXPECT_EQ(runVexora({"save", in, out}).code, 0);
    const CliRun dump = runVexora({"dump", out, "quadrupoles"});
    ASSERT_EQ(dump.code, 0) << dump.err;
    std::istringstream lines(dump.out);
    std::string header, first;
    std::getline(lines, header);
    std::getline(lines, first);
    EXPECT_EQ(header, "id\ta_cable\ta_elec\tb_cable\tb_elec\tm_cable\tm_elec\tn_cable\tn_elec\tgeometric_factor\t"
                      "v_over_i\tapp_res\tip1\tip2\tcurrent_ma\tskip");
    EXPECT_EQ(first.substr(0, 25), "1\t1\t1\t1\t2\t1\t3\t1\t4\t-37.699");  // K of a dipole-dipole, a = 2, n = 1
    const CliRun electrodes = runVexora({"dump", in, "electrodes"});
    EXPECT_NE(electrodes.out.find("6\tB\t2\t2\t2\t5\t0\t0\t2\n"), std::string::npos) << electrodes.out;
    EXPECT_EQ(runVexora({"dump", in, "topography"}).out, "row\tx\ty\tz\n1\t0\t0\t0\n2\t6\t0\t0.5\n3\t0\t5\t0.25\n");

    const CliRun missing = runVexora({"check", (folder / "nothing.data").string()});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("nothing.data not found!"), std::string::npos);
    EXPECT_EQ(runVexora({"check"}).code, 2);
    EXPECT_EQ(runVexora({"dump", in, "cables"}).code, 2);
    EXPECT_EQ(runVexora({"save", in, out, "--bogus"}).code, 2);
    EXPECT_EQ(runVexora({"frobnicate"}).code, 2);
    EXPECT_EQ(runVexora({"save", in, (folder / "in.data" / "x").string()}).code, 1);
    fs::remove_all(folder);
}

}  // namespace
