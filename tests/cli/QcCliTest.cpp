#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "support/CliRun.h"
#include "app/cli/Cli.h"
#include "core/io/TextFile.h"
#include "support/SmallSurvey.h"

namespace {

namespace fs = std::filesystem;

using vexora::testing::CliRun;
using vexora::testing::runVexora;

class QcCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("vexora_qc_cli_" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
    std::string write(const std::string& name, const std::string& rows)
    {
        const std::string path = (folder / name).string();
        EXPECT_TRUE(vexora::writeFileAtomically(path, vexora::testing::smallSurvey(rows)));
        return path;
    }
    fs::path folder;
};

// 1 and 2 are reciprocals (0.5 and 0.4: 22.222 %), 3 has none, 4 repeats 1.
const std::string rows = "1 A 1 A 2 A 3 A 4 0.5 10 5 100 0\r\n"
                         "2 A 3 A 4 A 1 A 2 0.4 12 6 100 0\r\n"
                         "3 A 1 A 2 B 1 B 2 0.125 9 3 100 0\r\n"
                         "4 A 1 A 2 A 3 A 4 0.5 10 5 100 0\r\n";

TEST_F(QcCli, ReciprocalPrintsCountsAndWritesTheFile)
{
    const std::string in = write("in.data", rows), result = (folder / "rec.txt").string();
    const CliRun r = runVexora({"reciprocal", in, "-o", result});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "quadrupoles 4\npairs 1\nduplicates 1\nmedian_percent_diff 22.222\np95_percent_diff 22.222\n");
    std::string text;
    ASSERT_TRUE(vexora::readTextFile(result, text));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5);
    EXPECT_NE(text.find("\r\n3\t1\t1\t1\t2\t2\t1\t2\t2\t3\tNo Rec.\t0.125000\t-\t-\t-\t-\r\n"), std::string::npos)
            << text;

    const CliRun ip = runVexora({"reciprocal", in, "--ip"});
    ASSERT_EQ(ip.code, 0) << ip.err;
    // IP 10 and 12: 2 / 11 = 18.182 %.
    EXPECT_NE(ip.out.find("median_percent_diff 18.182\n"), std::string::npos) << ip.out;
}

TEST_F(QcCli, ReciprocalSaysWhenDifferencesAreUndefined)
{
    const CliRun zero = runVexora({"reciprocal", write("zero.data", "1 A 1 A 2 A 3 A 4 0 1 1 100 0\r\n"
                                                                 "2 A 3 A 4 A 1 A 2 0 1 1 100 0\r\n")});
    ASSERT_EQ(zero.code, 0) << zero.err;
    EXPECT_EQ(zero.out, "quadrupoles 2\npairs 1\nduplicates 0\nmedian_percent_diff undefined\n"
                        "p95_percent_diff undefined\n"
                        "undefined_percent_diff 1 pairs (zero mean or a value that cannot be computed)\n");
    const CliRun single = runVexora({"reciprocal", write("one.data", "1 A 1 A 2 A 3 A 4 0.5 1 1 100 0\r\n")});
    EXPECT_EQ(single.out, "quadrupoles 1\npairs 0\nduplicates 0\nmedian_percent_diff undefined\n"
                          "p95_percent_diff undefined\n");
}

TEST_F(QcCli, HistogramPrintsStatisticsAndBins)
{
    const CliRun r = runVexora({"histogram", write("in.data", rows), "V/I", "--bins", "3"});
    ASSERT_EQ(r.code, 0) << r.err;
    // 0.125 0.4 0.5 0.5: mean 0.38125, lower middle 0.4, bars of 0.125.
    EXPECT_NE(r.out.find("quantity\tV/I (Ohm)\ncount\t4\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("min\t0.125\nmax\t0.5\nmean\t0.38125\nmedian\t0.4\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("bins\t3\nlower\tupper\tcount\n0.125\t0.25\t1\n0.25\t0.375\t0\n0.375\t0.5\t3\n"),
              std::string::npos)
            << r.out;
}

// Values whose spread no double holds end the command with the reason, not an abort.
TEST_F(QcCli, HistogramRefusesASpreadBeyondTheLargestNumber)
{
    const std::string extreme = "1 A 1 A 2 A 3 A 4 1e308 10 5 100 0\r\n"
                                "2 A 3 A 4 A 1 A 2 -1e308 12 6 100 0\r\n";
    const CliRun r = runVexora({"histogram", write("extreme.data", extreme), "V/I"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("The V/I values span -1e+308 to 1e+308, more than a histogram can divide into bins."),
              std::string::npos)
        << r.err;
}

// The executable draws the PNG offscreen, with no display at all.
TEST_F(QcCli, HistogramPngWithoutADisplay)
{
    const std::string in = write("in.data", rows), png = (folder / "v.png").string();
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb \"" +
                                std::string(VEXORA_CLI_PATH) + "\" histogram \"" + in + "\" V/I --png \"" + png +
                                "\" > \"" + (folder / "out.txt").string() + "\" 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::string bytes;
    ASSERT_TRUE(vexora::readTextFile(png, bytes));
    ASSERT_GT(bytes.size(), 24u);
    EXPECT_EQ(bytes.substr(0, 8), "\x89PNG\r\n\x1a\n");
    auto bigEndian = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (std::size_t k = 0; k < 4; ++k) v = v << 8 | static_cast<unsigned char>(bytes[at + k]);
        return v;
    };
    EXPECT_EQ(bigEndian(16), 960u);  // IHDR width and height
    EXPECT_EQ(bigEndian(20), 600u);

    // A picture that cannot take the place of its target fails whole: the
    // target stays as it was and no part-written file is left beside it.
    const fs::path taken = folder / "taken.png";
    fs::create_directories(taken / "inside");
    const std::string refused = "\"" + std::string(VEXORA_CLI_PATH) + "\" histogram \"" + in + "\" V/I --png \"" +
                                taken.string() + "\" > /dev/null 2>&1";
    EXPECT_NE(std::system(refused.c_str()), 0);
    EXPECT_TRUE(fs::is_directory(taken / "inside"));
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_EQ(entry.path().filename().string().rfind(".taken.png", 0), std::string::npos) << entry.path();
}

// One panel per cable, drawn offscreen by the executable.
TEST_F(QcCli, PseudosectionPng)
{
    // Dipole-dipole in A B M N order measures a negative V/I.
    const std::string in = write("in.data", "1 A 1 A 2 A 3 A 4 -0.5 10 5 100 0\r\n"
                                            "2 B 1 B 2 B 3 B 4 -0.25 12 6 200 0\r\n"
                                            "3 A 1 A 4 A 2 A 3 1.5 8 4 150 1\r\n"
                                            "4 A 1 A 2 B 1 B 2 0.125 9 3 100 0\r\n"
                                            "5 A 2 A 3 A 4 A 1 0.4 9 3 100 0\r\n");
    const std::string png = (folder / "p.png").string();
    const std::string out = (folder / "out.txt").string();
    const std::string command = "env -u DISPLAY QT_QPA_PLATFORM=xcb \"" + std::string(VEXORA_CLI_PATH) +
                                "\" pseudosection \"" + in + "\" --png \"" + png + "\" > \"" + out + "\" 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::string bytes, printed;
    ASSERT_TRUE(vexora::readTextFile(png, bytes));
    EXPECT_EQ(bytes.substr(0, 8), "\x89PNG\r\n\x1a\n");
    ASSERT_TRUE(vexora::readTextFile(out, printed));
    // Quadrupole 3 is skipped, 4 spans both cables, 5 has the wrong sign.
    EXPECT_NE(printed.find("1 data with a negative or zero apparent resistivity are not shown"), std::string::npos)
        << printed;
    EXPECT_NE(printed.find("A\t1\t6\t"), std::string::npos) << printed;
    EXPECT_NE(printed.find("B\t1\t6\t"), std::string::npos) << printed;
}

TEST_F(QcCli, Misuse)
{
    const std::string in = write("in.data", rows);
    EXPECT_EQ(runVexora({"reciprocal"}).code, 2);
    EXPECT_EQ(runVexora({"reciprocal", in, "-o"}).code, 2);
    EXPECT_EQ(runVexora({"reciprocal", in, "--bogus"}).code, 2);
    EXPECT_EQ(runVexora({"histogram", in}).code, 2);
    EXPECT_EQ(runVexora({"histogram", in, "Ohm"}).code, 2);
    EXPECT_EQ(runVexora({"histogram", in, "V", "--bins", "0"}).code, 2);
    EXPECT_EQ(runVexora({"histogram", in, "V", "--bins", "10001"}).code, 2);
    const CliRun q = runVexora({"histogram", in, "q"});
    EXPECT_EQ(q.code, 1);
    EXPECT_NE(q.err.find("No q values in a loaded data file."), std::string::npos);
    EXPECT_EQ(runVexora({"reciprocal", (folder / "none.data").string()}).code, 1);

    const std::string png = (folder / "p.png").string();
    EXPECT_EQ(runVexora({"pseudosection", in}).code, 2);
    EXPECT_EQ(runVexora({"pseudosection", in, "--png", png, "--quantity", "K"}).code, 2);
    const struct {
        std::vector<std::string> options;
        const char* message;
    } refused[] = {{{"--cable", "X"}, "No cable named X."},
                   {{"--quantity", "misfit"}, "The data hold no calculated V/I"}};
    for (const auto& r : refused) {
        std::vector<std::string> args = {"pseudosection", in, "--png", png};
        args.insert(args.end(), r.options.begin(), r.options.end());
        const CliRun run = runVexora(args);
        EXPECT_EQ(run.code, 1);
        EXPECT_NE(run.err.find(r.message), std::string::npos) << run.err;
    }
    EXPECT_FALSE(fs::exists(png));
}

TEST_F(QcCli, XcableMisuseAndUnknownCables)
{
    const std::string in = write("in.data", rows), png = (folder / "x.png").string();
    struct Case {
        std::vector<std::string> args;
        int code;
        const char* message;
    };
    const Case cases[] = {
            {{"xcable", in, "--tx", "A", "--rx", "B", "--array", "dd"}, 2, "Usage: vexora xcable"},
            {{"xcable", in, "--tx", "A", "--rx", "B", "--array", "wenner", "--png", png}, 2, "--array is one of dd, pd, pp"},
            {{"xcable", in, "--tx", "A", "--rx", "B", "--array", "dd", "--layer", "0", "--png", png}, 2, "--layer takes"},
            {{"xcable", in, "--tx", "A", "--rx", "C", "--array", "dd", "--png", png}, 1, "There is no cable C in "},
    };
    for (const Case& c : cases) {
        const CliRun r = runVexora(c.args);
        EXPECT_EQ(r.code, c.code) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fs::exists(png));
}

// The map of cable A's current dipoles measured on cable B, drawn offscreen.
TEST_F(QcCli, XcablePrintsTheMapAndDrawsIt)
{
    const std::string in = write("in.data", rows), png = (folder / "x.png").string();
    const std::string out = (folder / "out.txt").string();
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY \"" + std::string(VEXORA_CLI_PATH) + "\" xcable \"" +
                                in + "\" --tx A --rx B --array dd --rho --png \"" + png + "\" > \"" + out + "\" 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::string text, bytes;
    ASSERT_TRUE(vexora::readTextFile(out, text));
    // Quadrupole 3 (A1 A2 B1 B2, V/I 0.125): one cell, layer 1.
    EXPECT_NE(text.find("rows\t4\ncolumns\t4\nlayers\t1\ncells\t1\n"), std::string::npos) << text;
    ASSERT_TRUE(vexora::readTextFile(png, bytes));
    EXPECT_EQ(bytes.substr(0, 8), "\x89PNG\r\n\x1a\n");
}

}  // namespace
