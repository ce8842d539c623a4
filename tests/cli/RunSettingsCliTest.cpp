#include <gtest/gtest.h>

#include "../core/JobTestSupport.h"
#include "core/io/TextFile.h"
#include "core/platform/UsableCores.h"
#include "support/CliRun.h"
#include "support/SmallSurvey.h"

namespace {

namespace fs = std::filesystem;
using vexora::testing::CliRun;
using vexora::testing::fileNames;
using vexora::testing::runVexora;

struct RunFolder {
    fs::path root = vexora::testing::freshFolder("vexora_run_settings");
    fs::path data = root / "site.data";
    fs::path config = root / "site.cnfg";
    RunFolder()
    {
        // The data file's own tags, which the configuration overrides.
        vexora::writeFileAtomically(data, vexora::testing::smallSurvey(vexora::testing::smallDataRows(),
                                                                       "#res_noise_percent= 4\r\n#pc_num_core= 3\r\n"));
        vexora::writeFileAtomically(config, "#res_noise_percent= 7\r\n#pc_num_core= 1\r\n");
    }
    ~RunFolder() { fs::remove_all(root); }
    std::string prepared() const { return vexora::testing::fileText(root / "site.VXRprj" / "DataInput.data"); }
};

// The job a prepared run leaves holds: every core unless the configuration
// or --threads says otherwise, the configuration's tags over the file's, and
// --start as a fixed background, --doi the depth of investigation.
TEST(RunSettingsCli, InvertPutsTheCommandLineSettingsIntoTheJob)
{
    const std::string allCores = "#pc_num_core= " + std::to_string(vexora::usableCores()) + "\r\n";
    const struct {
        std::vector<std::string> options;
        std::vector<std::string> expected;
    } cases[] = {
        {{}, {allCores, "#res_noise_percent= 4\r\n", "#start_from_data=  1 \r\n", "#doi_index=  2 \r\n"}},
        {{"--doi"}, {allCores, "#doi_index= 1\r\n"}},
        {{"--config", "site.cnfg"}, {"#pc_num_core= 1\r\n", "#res_noise_percent= 7\r\n"}},
        {{"--threads", "2", "--config", "site.cnfg"}, {"#pc_num_core= 2\r\n", "#res_noise_percent= 7\r\n"}},
        {{"--start", "55.5"}, {allCores, "#background_res= 55.5\r\n", "#start_from_data= 2\r\n"}},
    };
    for (const auto& c : cases) {
        RunFolder f;
        std::vector<std::string> args{"invert", f.data.string(), "--no-start"};
        for (const std::string& o : c.options) args.push_back(o == "site.cnfg" ? f.config.string() : o);
        const CliRun run = runVexora(args);
        ASSERT_EQ(run.code, 0) << run.err;
        const std::string text = f.prepared();
        for (const std::string& line : c.expected) EXPECT_NE(text.find(line), std::string::npos) << line << text;
    }
}

// The forward model logs the threads it runs on.
TEST(RunSettingsCli, ForwardRunsOnTheThreadsItIsGiven)
{
    RunFolder f;
    const struct {
        std::vector<std::string> options;
        std::string threads;
    } cases[] = {
        {{"--config", f.config.string()}, " 1 threads"},
        {{"--config", f.config.string(), "--threads", "2"}, " 2 threads"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"forward", f.data.string(), "-o", (f.root / "out.data").string()};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliRun run = runVexora(args);
        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_NE(run.err.find("current electrodes," + c.threads), std::string::npos) << run.err;
    }
}

TEST(HostileInputRunSettings, RefusedOptionsWriteNothing)
{
    RunFolder f;
    vexora::writeFileAtomically(f.root / "empty.cnfg", "no tags\r\n");
    const std::string data = f.data.string(), none = (f.root / "none.cnfg").string();
    const struct {
        std::vector<std::string> args;
        int code;
        std::string message;
    } cases[] = {
        {{"invert", data, "--config", none, "--no-start"}, 1, "vexora invert: " + none + ": not found"},
        {{"invert", data, "--config", f.root.string(), "--no-start"}, 1, "vexora invert: " + f.root.string() + ": "},
        {{"invert", data, "--config", (f.root / "empty.cnfg").string(), "--no-start"}, 1,
         "empty.cnfg holds no configuration tags."},
        {{"invert", data, "--threads", "0", "--no-start"}, 2,
         "vexora invert: --threads takes a whole number of threads from 1 to 4096, not '0'."},
        {{"invert", data, "--threads", "x", "--no-start"}, 2, "not 'x'."},
        {{"invert", data, "--threads", "1.5", "--no-start"}, 2, "not '1.5'."},
        {{"invert", data, "--no-start", "--threads"}, 2, "vexora invert: --threads needs a value."},
        {{"invert", data, "--start", "-3", "--no-start"}, 2,
         "vexora invert: --start takes a resistivity above 0 (ohm m), not '-3'."},
        {{"forward", data, "--threads", "0"}, 2, "vexora forward: --threads takes a whole number"},
        {{"forward", data, "--start", "50"}, 2, "Usage: vexora forward"},
        {{"forward", data, "--config", none}, 1, "vexora forward: " + none + ": not found"},
    };
    const std::string before = vexora::testing::fileText(f.data);
    for (const auto& c : cases) {
        const CliRun run = runVexora(c.args);
        EXPECT_EQ(run.code, c.code) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(fileNames(f.root), (std::vector<std::string>{"empty.cnfg", "site.cnfg", "site.data"})) << c.message;
        EXPECT_EQ(vexora::testing::fileText(f.data), before) << c.message;
    }
}

}  // namespace
