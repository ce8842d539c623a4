#include <gtest/gtest.h>

#include <unistd.h>

#include <iostream>

#include "ScriptTestSupport.h"
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

}  // namespace
}  // namespace vexora
