#include <gtest/gtest.h>

#include "core/JobTestSupport.h"
#include "core/io/TextFile.h"
#include "core/jobfiles/JobProgress.h"

namespace vexora {
namespace {

namespace fs = std::filesystem;

// What a workbench following a job must not take for the job's end, and
// the ends it must see; the file is only read.
TEST(HostileInputProgressFile, OnlyAWholeEndLineEndsTheJob)
{
    const fs::path file = testing::freshFolder("vexora_progress_file") / "Progress.txt";
    const struct {
        const char* what;
        std::string text;
        bool ended;
    } cases[] = {
        {"end line still being written", "98\tSaving data\r\n100\tScript completed", false},
        {"completed below 100", "99\tScript completed\r\n", false},
        {"percent out of range", "101\tScript completed\r\n", false},
        {"percent not a number", "x\tAborted\r\n", false},
        {"negative percent", "-1\tFailed: exit status 1\r\n", false},
        {"no tab", "100 Script completed\r\n", false},
        {"a stage that only starts like an end", "40\tAborted early\r\n", false},
        {"bytes of no encoding", "40\t\xff\xfe\r\n", false},
        {"empty file", "", false},
        {"completed", "98\tSaving data\r\n100\tScript completed\r\n", true},
        {"aborted, LF only", "40\tInversion\n40\tAborted\n", true},
        {"failed after garbage", "40\tInversion\r\nnoise\r\n40\tFailed: killed (SIGKILL)\r\n", true},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(writeFileAtomically(file, c.text));
        const std::optional<ProgressState> state = readProgressFile(file);
        EXPECT_EQ(state && jobEnded(*state), c.ended) << c.what;
        EXPECT_EQ(testing::fileText(file), c.text) << c.what;
    }
    fs::remove(file);
    EXPECT_FALSE(readProgressFile(file)) << "missing file";
}

}  // namespace
}  // namespace vexora
