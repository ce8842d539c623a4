#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "app/cli/CommandSupport.h"
#include "core/import/GeometricFactor.h"
#include "support/CliRun.h"

namespace {

namespace fs = std::filesystem;
using namespace vexora;
using vexora::testing::CliRun;
using vexora::testing::kSampleSurvey;
using vexora::testing::runVexora;

fs::path scratch(const std::string& name)
{
    return fs::temp_directory_path() / ("vexora_sequence_" + std::to_string(::getpid()) + "_" + name);
}

// The written file loads as any survey, every quadrupole with the ground's
// apparent resistivity.
void expectLoads(const fs::path& file, std::size_t electrodes, std::size_t quadrupoles, double resistivity)
{
    ProjectStore store;
    MessageLog log;
    ASSERT_EQ(cli::loadDataFile(store, file.string(), log), Status::Ok) << log.plainText();
    EXPECT_EQ(store.survey.electrodes.size(), electrodes);
    ASSERT_EQ(store.survey.quadrupoles.size(), quadrupoles);
    const std::vector<double> k = funGeometricFactor(store.survey, false);
    for (std::size_t r = 0; r < k.size(); ++r)
        ASSERT_NEAR(store.survey.quadrupoles.resistance[r] * k[r], resistivity, 1e-5 * resistivity) << "row " << r + 1;
}

TEST(SequenceCommand, WritesTheDesignedSequenceAsADataFile)
{
    struct Case {
        std::vector<std::string> args;
        std::string out;
        std::size_t electrodes, quadrupoles;
        double resistivity;
    };
    const Case cases[] = {
        // Dipole-dipole n = 6, a = 2 m: median depth 1.730 a (Edwards 1977).
        {{"--line", "1x24", "--spacing", "2", "--array", "dd", "--n", "6"},
         "quadrupoles 111 (reciprocals 0)\ncurrent injections 111\ndepth of investigation 3.46 m\ndipole-dipole 111\n",
         24, 111, 100},
        // Pole-dipole brings the remote electrode; the reciprocals double the set.
        {{"--line", "2x12", "--array", "pd", "--n", "1-6", "--reciprocals", "--channels", "8", "--resistivity", "30"},
         "", 25, 2 * 234, 30},
        {{"--grid", "6x4", "--spacing", "1,2", "--array", "equatorial,cross", "--n", "2"}, "", 24, 15 + 42, 100},
        // The kSampleSurvey's 4 cables of 24 electrodes, neighbouring cables paired.
        {{"--electrodes", kSampleSurvey, "--array", "equatorial"}, "", 96, 3 * 23, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1]);
        const fs::path file = scratch("out.data");
        std::vector<std::string> args = {"sequence"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.insert(args.end(), {"-o", file.string()});
        const CliRun r = runVexora(args);
        ASSERT_EQ(r.code, 0) << r.err;
        if (!c.out.empty()) EXPECT_EQ(r.out, c.out);
        EXPECT_NE(r.out.find("quadrupoles " + std::to_string(c.quadrupoles) + " "), std::string::npos) << r.out;
        expectLoads(file, c.electrodes, c.quadrupoles, c.resistivity);
        fs::remove(file);
    }
}

TEST(SequenceCommand, MisuseAndRefusedLayoutsWriteNothing)
{
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string message;
    };
    const Case cases[] = {
        {{"--line", "1x24", "--array", "square"}, 2, "--array takes dd, wenner"},
        {{"--array", "dd"}, 2, "give one of --line, --grid, --electrodes"},
        {{"--line", "1x24", "--grid", "4x4", "--array", "dd"}, 2, "give one of --line, --grid, --electrodes"},
        {{"--line", "1x24", "--array", "dd", "--n", "x"}, 2, "--n takes NMAX or NMIN-NMAX"},
        {{"--line", "1x24", "--array", "dd", "--min-k", "big"}, 2, "--min-k takes a number"},
        {{"--line", "24", "--array", "dd"}, 1, "--line CABLESxELECTRODES"},
        {{"--grid", "1x1", "--array", "dd"}, 1, "A grid needs 2 or more electrodes per row and 1 or more rows."},
        {{"--line", "1x24", "--array", "dd", "--channels", "0"}, 1,
         "The channels per current injection must be 1 or more."},
        {{"--line", "1x24", "--array", "dd", "--resistivity", "0"}, 1, "The ground resistivity must be above 0 ohm m."},
        {{"--electrodes", "/nonexistent/site.data", "--array", "dd"}, 1, "site.data"},
    };
    const fs::path file = scratch("refused.data");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        std::vector<std::string> args = {"sequence"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.insert(args.end(), {"-o", file.string()});
        const CliRun r = runVexora(args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(file));
    }
    // The data file the electrodes come from is never the output.
    const CliRun same = runVexora({"sequence", "--electrodes", kSampleSurvey, "--array", "dd", "-o", kSampleSurvey});
    EXPECT_EQ(same.code, 1);
    EXPECT_NE(same.err.find("same file"), std::string::npos) << same.err;
}

}  // namespace

namespace {

// Dipole-dipole to n = 6 holds every quadrupole of the set to n = 2, so its
// cumulative sensitivity is larger in every block and reaches deeper.
TEST(SequenceCompareCommand, ALargerSetSeesMoreEverywhere)
{
    const fs::path shallow = scratch("n2.data"), deep = scratch("n6.data"), other = scratch("grid.data");
    ASSERT_EQ(runVexora({"sequence", "--line", "1x12", "--array", "dd", "--n", "2", "-o", shallow.string()}).code, 0);
    ASSERT_EQ(runVexora({"sequence", "--line", "1x12", "--array", "dd", "--n", "6", "-o", deep.string()}).code, 0);
    const std::string prefix = scratch("compare").string();
    const CliRun r =
        runVexora({"sequence-compare", shallow.string(), deep.string(), "-o", prefix, "--target", "0", "1.5"});
    ASSERT_EQ(r.code, 0) << r.err;
    // The resolution at the target, and the verdict by it.
    const std::size_t resolved = r.out.find("\nMean resolution at 0.00 to 1.50 m\t");
    ASSERT_NE(resolved, std::string::npos) << r.out;
    double shallowResolution = 0, deepResolution = 0;
    ASSERT_EQ(std::sscanf(r.out.c_str() + resolved, "\nMean resolution at 0.00 to 1.50 m\t%lf\t%lf", &shallowResolution,
                          &deepResolution),
              2);
    EXPECT_GT(deepResolution, shallowResolution);
    EXPECT_GT(shallowResolution, 0.0);
    EXPECT_NE(r.out.find("\nSequence 2 sees the target better: mean resolution "), std::string::npos) << r.out;
    EXPECT_EQ(r.out.rfind("depth_top_m\tdepth_bottom_m\tsensitivity_1\tsensitivity_2\tratio_2_to_1\n", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("blocks under the electrodes where 2 sees more than 1: 100.0%"), std::string::npos) << r.out;
    const std::size_t at = r.out.find("sensitive depth (1% of the top layer) 1: ");
    ASSERT_NE(at, std::string::npos);
    double first = 0, second = 0;
    ASSERT_EQ(std::sscanf(r.out.c_str() + at, "sensitive depth (1%% of the top layer) 1: %lf m, 2: %lf m", &first, &second), 2);
    EXPECT_GT(second, first);
    for (const char* end : {"_1.vwer", "_2.vwer"}) {
        const CliRun model = runVexora({"mesh-import", prefix + end});
        EXPECT_EQ(model.code, 0) << model.err;
        fs::remove(prefix + end);
    }

    // A pole-dipole set's remote electrode lies far outside the other's mesh:
    // the mesh is that of the set with the remote, whichever comes first.
    const fs::path pole = scratch("pd.data");
    ASSERT_EQ(runVexora({"sequence", "--line", "1x12", "--array", "pd", "--n", "4", "-o", pole.string()}).code, 0);
    const CliRun withRemote = runVexora({"sequence-compare", shallow.string(), pole.string()});
    EXPECT_EQ(withRemote.code, 0) << withRemote.err;
    fs::remove(pole);

    // Sequences on other electrodes are refused.
    ASSERT_EQ(runVexora({"sequence", "--grid", "6x2", "--array", "dd", "-o", other.string()}).code, 0);
    const CliRun refused = runVexora({"sequence-compare", shallow.string(), other.string()});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("The two sequences stand on different electrodes: compare sequences designed on one "
                               "layout."),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(runVexora({"sequence-compare", shallow.string()}).code, 2);
    EXPECT_EQ(runVexora({"sequence-compare", shallow.string(), deep.string(), "--lambda", "abc"}).code, 2);
    EXPECT_EQ(runVexora({"sequence-compare", shallow.string(), deep.string(), "--target", "3", "1"}).code, 2);
    for (const fs::path& f : {shallow, deep, other}) fs::remove(f);
}

}  // namespace
