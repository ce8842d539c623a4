#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "core/ImportTestSupport.h"
#include "core/io/TextFile.h"
#include "support/CliRun.h"
#include "support/SmallSurvey.h"
#include "support/RealData.h"

namespace {

namespace fs = std::filesystem;
using vexora::testing::CliRun;
using vexora::testing::runVexora;

struct Scratch {
    fs::path folder = fs::temp_directory_path() / ("vexora_merge_cli_" + std::to_string(::getpid()));
    Scratch() { fs::create_directories(folder); }
    ~Scratch() { fs::remove_all(folder); }
    std::string write(const std::string& name, const std::string& text) const
    {
        EXPECT_TRUE(vexora::writeFileAtomically(folder / name, text));
        return (folder / name).string();
    }
    std::string path(const std::string& name) const { return (folder / name).string(); }
};

std::string valueOf(const std::string& out, const std::string& name)
{
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);)
        if (line.starts_with(name + " ")) return line.substr(name.size() + 1);
    return {};
}

TEST(MergeCommand, TwoFilesBecomeOneThatLoads)
{
    Scratch s;
    const std::string a = s.write("a.data", vexora::testing::smallSurvey());
    const std::string b = s.write("b.data", vexora::testing::smallSurvey());
    const std::string out = s.path("ab.data");
    const CliRun merged = runVexora({"merge", a, b, "-o", out});
    ASSERT_EQ(merged.code, 0) << merged.err;
    EXPECT_EQ(merged.out, "files 2\nelectrodes 16\nquadrupoles 8\nip_windows 2\n");
    EXPECT_NE(merged.err.find("Files merged: \n" + a + "\n" + b + "\n"), std::string::npos) << merged.err;
    const CliRun dumped = runVexora({"dump", out, "electrodes"});
    ASSERT_EQ(dumped.code, 0) << dumped.err;
    EXPECT_NE(dumped.out.find("\n9\t2_A\t3\t1\t0\t0\t0\t"), std::string::npos) << dumped.out;

    // Fused, the second file's electrodes are the first's; its quadrupoles stay.
    const CliRun fused = runVexora({"merge", a, b, "--remove-duplicates", "--tolerance", "0.01", "-o", out});
    ASSERT_EQ(fused.code, 0) << fused.err;
    EXPECT_EQ(fused.out, "files 2\nelectrodes 8\nquadrupoles 8\nip_windows 2\n");
    EXPECT_EQ(runVexora({"check", out}).code, 0);
}

TEST(MergeCommand, BadInputsWriteNothing)
{
    Scratch s;
    const std::string good = s.write("good.data", vexora::testing::smallSurvey());
    const std::string broken = s.write("broken.data", "#elec_start\r\nthis is no survey\r\n");
    const std::string out = s.path("out.data");
    struct Case {
        const char* what;
        std::vector<std::string> args;
        int code;
        std::vector<std::string> messages;
    };
    const std::vector<Case> cases = {
        {"missing file", {good, s.path("none.data"), "-o", out}, 1, {"none.data not found!", "Error on none.data"}},
        {"unreadable file", {good, broken, "-o", out}, 1, {"Error on broken.data", "Nothing written."}},
        {"output in a missing folder", {good, good, "-o", s.path("no/where.data")}, 1, {"does not exist; nothing written"}},
        {"output over an input", {good, good, "-o", good}, 1, {"is the same file as the input"}},
        {"reversed file out of range", {good, good, "--reverse-cable", "3", "-o", out}, 2, {"there are 2 files"}},
        {"tolerance no number", {good, good, "--tolerance", "x", "-o", out}, 2, {"--tolerance takes a distance"}},
        {"no output", {good, good}, 2, {"-o OUT.data is needed"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> args = {"merge"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun r = runVexora(args);
        EXPECT_EQ(r.code, c.code) << r.err;
        for (const std::string& m : c.messages) EXPECT_NE(r.err.find(m), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(out));
        EXPECT_FALSE(fs::exists(s.path("no")));
    }
}

// Five electrodes at x = 0..4 (numbered 1..5): a dipole-dipole, its repeat
// off by a factor 2, and a Wenner.
std::string lineBinary()
{
    using vexora::testing::BinRecord;
    const float poles[3][4] = {{0, 1, 2, 3}, {0, 1, 2, 3}, {1, 4, 2, 3}};
    const float v[3] = {100, 200, 50};
    std::vector<BinRecord> records(3);
    for (int k = 0; k < 3; ++k) {
        for (int p = 0; p < 4; ++p) records[k].pole[p].x = poles[k][p];
        records[k].v = v[k];
    }
    return vexora::testing::binFile(records);
}

TEST(ImportCommand, ReverseCableAndDisagreeingRepeats)
{
    Scratch s;
    const std::string bin = s.write("line.bin", lineBinary());
    const std::string out = s.path("line.data");
    struct Case {
        std::vector<std::string> options;
        const char* firstPoles;  // A, B, M, N of quadrupoles 1 and 3 as cable/electrode pairs
        const char* thirdPoles;
    };
    const Case cases[] = {
        {{}, "1\t1\t1\t2\t1\t3\t1\t4\t", "1\t2\t1\t5\t1\t3\t1\t4\t"},
        {{"--reverse-cable"}, "1\t5\t1\t4\t1\t3\t1\t2\t", "1\t4\t1\t1\t1\t3\t1\t2\t"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"import", "bin", bin, "-o", out};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliRun r = runVexora(args);
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_NE(r.err.find("Warning: 1 repeated quadrupoles differ from their first reading by more than a factor "
                             "1.1 (records measured on another layout, such as a cable laid the other way round?). "
                             "Records: 2 (of 1, ratio 2)"),
                  std::string::npos) << r.err;
        const CliRun dump = runVexora({"dump", out, "quadrupoles"});
        ASSERT_EQ(dump.code, 0) << dump.err;
        EXPECT_NE(dump.out.find("\n1\t" + std::string(c.firstPoles)), std::string::npos) << dump.out;
        EXPECT_NE(dump.out.find("\n3\t" + std::string(c.thirdPoles)), std::string::npos) << dump.out;
    }
}

// Normal and reciprocal files of real surveys, the reciprocal measured with
// the cable turned round.
fs::path tdipSurveyFolder()
{
    const fs::path survey = vexora::testing::realDataFolder() / "syscal_bin/reda/07_tdip";
    return fs::is_directory(survey) ? survey : fs::path();
}

TEST(MergeCommand, RealNormalAndReversedReciprocalFilesPair)
{
    const fs::path folder = tdipSurveyFolder();
    if (folder.empty()) GTEST_SKIP() << "the real field files (shared/realdata) are not on this machine";
    struct Case {
        const char* normal;
        const char* reciprocal;
        int pairs;
        double median;
    };
    const Case cases[] = {
        {"data_syscal_ip/data_normal.bin", "data_syscal_ip/data_reciprocal.bin", 990, 1.2},
        {"data_syscal_ip_2/l1sk0n_1.bin", "data_syscal_ip_2/l1sk0r_1.bin", 565, 0.44},
    };
    Scratch s;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.normal);
        const std::string normal = s.path("normal.data"), reciprocal = s.path("reciprocal.data");
        const std::string merged = s.path("merged.data");
        ASSERT_EQ(runVexora({"import", "bin", (folder / c.normal).string(), "-o", normal}).code, 0);
        ASSERT_EQ(runVexora({"import", "bin", (folder / c.reciprocal).string(), "-o", reciprocal}).code, 0);

        // As recorded, the merge says the second file pairs only reversed.
        CliRun r = runVexora({"merge", normal, reciprocal, "--remove-duplicates", "-o", merged});
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_NE(r.err.find("pair with the others only with the cable reversed"), std::string::npos) << r.err;
        r = runVexora({"reciprocal", merged});
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_LT(std::stoi(valueOf(r.out, "pairs")), c.pairs / 10) << r.out;

        // A normal file merged with itself pairs with nothing, reversed or not.
        r = runVexora({"merge", normal, normal, "-o", merged});
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.err.find("pair with the others only"), std::string::npos) << r.err;

        // Kept on their own cables, the check names the cable that pairs reversed.
        ASSERT_EQ(runVexora({"merge", normal, reciprocal, "-o", merged}).code, 0);
        r = runVexora({"reciprocal", merged});
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_NE(r.out.find("pairs_with_cable_reversed 2_Line1 "), std::string::npos) << r.out;

        // Reversed in the merge, or on import: the pairs of the survey.
        for (const bool onImport : {false, true}) {
            SCOPED_TRACE(onImport ? "reversed on import" : "reversed in the merge");
            std::vector<std::string> args = {"merge", normal, reciprocal, "--remove-duplicates", "-o", merged};
            if (onImport)
                ASSERT_EQ(runVexora({"import", "bin", (folder / c.reciprocal).string(), "--reverse-cable", "-o",
                                  reciprocal}).code, 0);
            else
                args.insert(args.end(), {"--reverse-cable", "2"});
            r = runVexora(args);
            ASSERT_EQ(r.code, 0) << r.err;
            EXPECT_EQ(r.err.find("pair with the others only"), std::string::npos) << r.err;
            r = runVexora({"reciprocal", merged});
            ASSERT_EQ(r.code, 0) << r.err;
            EXPECT_NEAR(std::stoi(valueOf(r.out, "pairs")), c.pairs, c.pairs / 50) << r.out;
            EXPECT_NEAR(std::stod(valueOf(r.out, "median_percent_diff")), c.median, c.median * 0.15) << r.out;
        }
    }
}

TEST(ImportCommand, RealRepeatsOnAnotherLayoutAreNamed)
{
    const fs::path folder = tdipSurveyFolder();
    if (folder.empty()) GTEST_SKIP() << "the real field files (shared/realdata) are not on this machine";
    Scratch s;
    const CliRun r =
        runVexora({"import", "bin", (folder / "data_syscal_ip/data_normal.bin").string(), "-o", s.path("n.data")});
    ASSERT_EQ(r.code, 0) << r.err;
    // Records 991-1249 repeat the first ones' electrodes, measured on the reversed cable.
    EXPECT_NE(r.err.find("repeated quadrupoles differ from their first reading by more than a factor 1.1"),
              std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Records: 991 (of 1, ratio "), std::string::npos) << r.err;
}

}  // namespace
