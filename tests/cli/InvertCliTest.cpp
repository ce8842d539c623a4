#include <gtest/gtest.h>

#include "../core/JobTestSupport.h"
#include "support/CliRun.h"
#include "support/SmallSurvey.h"

namespace {

namespace fs = std::filesystem;
using vexora::testing::CliRun;
using vexora::testing::fileNames;
using vexora::testing::runVexora;

struct InvertFolders {
    fs::path root = vexora::testing::freshFolder("vexora_invert_cli");
    fs::path app = root / "Program Files" / "Vexora";
    fs::path sample = root / "field data" / "sample survey.data";
    fs::path bad = root / "field data" / "broken.data";
    InvertFolders()
    {
        fs::create_directories(app);
        fs::create_directories(sample.parent_path());
        vexora::testing::writeStandInProgram(app / "VORozurire.exe");
        fs::copy_file(fs::path(VEXORA_SAMPLES_DIR) / "sample_survey.data", sample);
        vexora::writeFileAtomically(bad, vexora::testing::smallHeader() + "#elec_start\r\nA 1 0 0 0\r\n");
    }
    ~InvertFolders() { fs::remove_all(root); }
};

TEST(InvertCommand, InvertsTheSampleInAFolderBesideItAndStartsTheManager)
{
    InvertFolders f;
    const CliRun run = runVexora({"invert", f.sample.string(), "--app-folder", f.app.string()});
    ASSERT_EQ(run.code, 0) << run.err;
    const fs::path folder = f.sample.parent_path() / "sample survey.VXRprj";
    EXPECT_EQ(run.out, "ok\t" + f.sample.string() + "\t" + folder.string() + "\n");
    EXPECT_EQ(fileNames(folder), (std::vector<std::string>{"DataInput.data", "InvScript.txt"}));
    EXPECT_EQ(vexora::testing::waitForLaunchRecord(f.app),
              (std::vector<std::string>{f.app.string(), "VexoraRUR64", (folder / "InvScript.txt").string(), "INV"}));

    // A chosen name; --no-start prepares only.
    fs::remove(f.app / vexora::testing::kLaunchRecord);
    const CliRun named = runVexora({"invert", f.sample.string(), "--name", "run 2", "--no-start"});
    ASSERT_EQ(named.code, 0) << named.err;
    EXPECT_TRUE(fs::is_directory(f.sample.parent_path() / "run 2.VXRprj"));
    EXPECT_FALSE(fs::exists(f.app / vexora::testing::kLaunchRecord));
}

TEST(InvertCommand, ABadFileFailsAndAMixGoesOnToTheNextFile)
{
    InvertFolders f;
    const CliRun bad = runVexora({"invert", f.bad.string(), "--no-start"});
    EXPECT_EQ(bad.code, 1);
    EXPECT_EQ(bad.out, "failed\t" + f.bad.string() + "\n");
    EXPECT_NE(bad.err.find("Error: #elec_end occurs before #elec_start or #elec_end does not exist."),
              std::string::npos)
        << bad.err;

    const fs::path missing = f.root / "missing.data";
    const CliRun mix = runVexora({"invert", f.bad.string(), missing.string(), f.sample.string(), "--no-start"});
    EXPECT_EQ(mix.code, 1);
    const fs::path folder = f.sample.parent_path() / "sample survey.VXRprj";
    EXPECT_EQ(mix.out, "failed\t" + f.bad.string() + "\nfailed\t" + missing.string() + "\nok\t" + f.sample.string() +
                           "\t" + folder.string() + "\n");
    EXPECT_NE(mix.err.find(missing.string() + " not found!"), std::string::npos) << mix.err;
    EXPECT_EQ(fileNames(f.sample.parent_path()),
              (std::vector<std::string>{"broken.data", "sample survey.VXRprj", "sample survey.data"}));
}

TEST(InvertCommand, RefusesBadNamesAndMisuse)
{
    InvertFolders f;
    const CliRun separator = runVexora({"invert", f.sample.string(), "--name", "a/b", "--no-start"});
    EXPECT_EQ(separator.code, 1);
    EXPECT_NE(separator.err.find("must not contain path separators"), std::string::npos) << separator.err;
    const CliRun empty = runVexora({"invert", f.sample.string(), "--name", "", "--no-start"});
    EXPECT_EQ(empty.code, 1);
    EXPECT_NE(empty.err.find("Error: the project name is empty."), std::string::npos) << empty.err;
    EXPECT_EQ(fileNames(f.sample.parent_path()), (std::vector<std::string>{"broken.data", "sample survey.data"}));

    for (const std::vector<std::string>& misuse : std::vector<std::vector<std::string>>{
             {"invert"}, {"invert", "--no-start"}, {"invert", "a.data", "--fast"}, {"invert", "a.data", "--name"},
             {"invert", "a.data", "b.data", "--name", "x"}})
        EXPECT_EQ(runVexora(misuse).code, 2) << misuse.size();
}

// A 2D inversion of a survey that is no line, or a --dim it does not know,
// is refused before any folder is made, the data file as it was.
TEST(HostileInputInvertDimension, RefusedWithTheReasonAndNoFolder)
{
    InvertFolders f;
    const fs::path twoLines = f.root / "field data" / "two lines.data";
    const std::string text = vexora::testing::smallSurvey();
    ASSERT_TRUE(vexora::writeFileAtomically(twoLines, text));
    const struct {
        std::vector<std::string> options;
        int code;
        std::string message;
    } cases[] = {
        {{"--dim", "2"}, 1,
         "Error: RUNINVERSION: No 2D inversion: the electrodes do not lie on one line: electrode 1 of cable 2 lies "
         "3.000 m off the line (0.050 m allowed)."},
        {{"--dim", "4"}, 2, "Usage: vexora invert"},
        {{"--dim", "2d"}, 2, "Usage: vexora invert"},
        {{"--dim"}, 2, "Usage: vexora invert"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"invert", twoLines.string(), "--no-start"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliRun run = runVexora(args);
        EXPECT_EQ(run.code, c.code) << c.options.back();
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.options.back() << ": " << run.err;
        std::string after;
        ASSERT_TRUE(vexora::readTextFile(twoLines, after));
        EXPECT_EQ(after, text);
        EXPECT_EQ(fileNames(twoLines.parent_path()),
                  (std::vector<std::string>{"broken.data", "sample survey.data", "two lines.data"}));
    }
}

}  // namespace
