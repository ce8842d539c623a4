#include <gtest/gtest.h>

#include <unistd.h>

#include <iostream>

#include "ScriptTestSupport.h"
#include "engine/inversion/InversionMemory.h"
#include "engine/script/ScriptRunner.h"
#include "support/MemoryLimit.h"

namespace vexora {
namespace {

using namespace vexora::testing;

// A core job under a process memory limit (ulimit -v) ends with
// "Script stopped" and its reason: refused by the estimate where there is
// one, caught where an allocation fails unforeseen. Nothing is written and
// the input stays as it was.
TEST(HostileInputMemory, ACoreJobOverTheProcessLimitStopsWithItsReason)
{
    // Each limited run starts from a fresh process: heap that earlier tests of
    // this binary left free would otherwise take the allocation the limit
    // must refuse.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const fs::path root = freshFolder("vexora_job_memory");
    ASSERT_EQ(runVexora({"job", "inv", kSampleSurvey, (root / "inv").string(), "--no-start"}).code, 0);
    const fs::path folder = root / "inv.VXRprj";
    // A data file larger than the limit leaves: read whole, it cannot fit.
    ASSERT_TRUE(writeFileAtomically(folder / "Big.data", std::string(32 << 20, '!')));
    const std::string paths = "SETMESSAGEPATH \"{F}/InvLog.prg\" \"{F}/Progress.txt\" \"{F}/Abort.txt\"\r\n";
    const std::string input = fileText(folder / "DataInput.data");
    const struct {
        std::string script;
        std::uint64_t headroom;
        std::string lastLine;  // after the time stamp
    } cases[] = {
        // The sample's sensitivity matrix alone takes about 590 MB.
        {fileText(folder / "InvScript.txt"), 400 << 20,
         "Script stopped at line 4 (RUNINVERSION): Error: RUNINVERSION: The inversion of 2229 data and "
         "69360 blocks needs about "},
        {paths + "LOADCONFIGURATION \"{F}/Big.data\"\r\nGENERATEMESH\r\n", 16 << 20,
         "Script stopped at line 2 (LOADCONFIGURATION \"{F}/Big.data\"): out of memory (the machine's memory or the "
         "process's memory limit is exhausted)."},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(writeFileAtomically(folder / "Job.txt", scriptIn(folder, c.script)));
        fs::remove(folder / "InvLog.prg");
        const auto stopped = [&] {
            limitAddressSpace(c.headroom);
            const ScriptStatus status = runCoreScript(folder / "Job.txt", nullptr);
            const std::string last = lastLogLine(folder / "InvLog.prg");
            std::cerr << last;
            // _exit: the BLAS library's exit handlers want more memory than the limit leaves.
            _exit(status == ScriptStatus::Stopped && last.find(scriptIn(folder, c.lastLine)) == 20 ? 0 : 1);
        };
        EXPECT_EXIT(stopped(), ::testing::ExitedWithCode(0), "") << c.lastLine;
        EXPECT_EQ(fileText(folder / "DataInput.data"), input);
        EXPECT_FALSE(fs::exists(folder / "InvDataOutput.data"));
    }
}

// Only the rows of J divide among ranks; the rank count that fits is the
// fewest whose share does, none when the undivided part alone is too large.
TEST(InversionMemory, JDividesAmongRanksAndTheFewestRanksThatFitAreNamed)
{
    // A mesh of 8 nodes keeps the factor (which counts only where it fits) small.
    const InversionSize size{8, 500, 10, 101, 1, false};
    const InversionMemory one = inversionMemoryPerRank(size, 1, 0), two = inversionMemoryPerRank(size, 2, 0);
    EXPECT_EQ(one.jacobian, 101u * 500 * 4);
    EXPECT_EQ(two.jacobian, 51u * 500 * 4);  // the larger share
    EXPECT_EQ(one.fields, 2u * 10 * 8 * 4);
    EXPECT_EQ(inversionMemoryPerRank({8, 500, 10, 101, 1, true}, 1, 0).fields, 3u * 10 * 8 * 4);
    EXPECT_EQ(one.factor, 2048u);  // 128 n^(4/3)
    EXPECT_EQ(two.forward, one.forward);
    EXPECT_EQ(two.factor, one.factor);
    EXPECT_EQ(inversionMemoryPerRank(size, 101, 0).jacobian, 500u * 4);

    const std::uint64_t undivided = one.total() - one.jacobian;
    EXPECT_EQ(ranksThatFit(size, one.total(), 1024), 1);
    EXPECT_EQ(ranksThatFit(size, two.total(), 1024), 2);
    EXPECT_EQ(ranksThatFit(size, undivided + 500 * 4, 1024), 101);
    EXPECT_EQ(ranksThatFit(size, undivided, 1024), 0);

    const InversionMemory large = inversionMemoryPerRank({86691, 69360, 96, 2229, 2, false}, 2, 0);
    const std::string text = inversionMemoryText(large, 2);
    EXPECT_EQ(text.substr(0, 6), "about ");
    EXPECT_NE(text.find(" MB per rank on 2 ranks (forward model "), std::string::npos) << text;
    EXPECT_NE(text.find(", sensitivity matrix 295 MB)"), std::string::npos) << text;
}

}  // namespace
}  // namespace vexora
