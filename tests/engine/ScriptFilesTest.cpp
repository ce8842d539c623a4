#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "core/JobTestSupport.h"
#include "core/io/TextFile.h"
#include "engine/script/JobFiles.h"
#include "core/mesh/MeshMemory.h"

namespace vexora {
namespace {

namespace fs = std::filesystem;

TEST(ProgressFile, TheLastCompleteWellFormedLineIsTheState)
{
    const struct {
        std::string text;
        std::optional<ProgressState> state;
    } cases[] = {
        {"", std::nullopt},
        {"5\tLoading configuration\r\n", ProgressState{5, "Loading configuration"}},
        {"5\tA\r\n40\tForward modelling: source 3 of 8\r\n", ProgressState{40, "Forward modelling: source 3 of 8"}},
        {"5\tA\r\n40\tB", ProgressState{5, "A"}},  // the last line is still being written
        {"5\tA\n7\tB\n", ProgressState{7, "B"}},
        {"5\tA\r\nx\tB\r\n", ProgressState{5, "A"}},
        {"101\tA\r\n", std::nullopt},
        {"-1\tA\r\n", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(lastProgressState(c.text), c.state) << c.text;
    EXPECT_EQ(lastProgressState(progressLine({100, "Script completed"})), (ProgressState{100, "Script completed"}));
}

TEST(JobLog, WritesEachCompleteLineOnceWithItsTime)
{
    const fs::path folder = testing::freshFolder("vexora_job_log");
    std::ostringstream console;
    JobLogWriter writer;
    writer.file = folder / "FWMLog.prg";
    writer.console = &console;
    writeJobLogText(writer, "Loading configuration... ");
    EXPECT_FALSE(fs::exists(writer.file));  // no line is complete yet
    writeJobLogText(writer, "done.\r\n\r\nError: LOADMESH: m.vwer not found!\r\n\r\n");
    writeJobLogLine(writer, "Script stopped at line 3 (LOADMESH m.vwer): Error: LOADMESH: m.vwer not found!");

    EXPECT_EQ(console.str(), "Loading configuration... done.\nError: LOADMESH: m.vwer not found!\n"
                             "Script stopped at line 3 (LOADMESH m.vwer): Error: LOADMESH: m.vwer not found!\n");
    const std::string text = testing::fileText(writer.file);
    const std::regex line(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\t[^\r\n]+\r\n)");
    std::size_t lines = 0;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), line); it != std::sregex_iterator(); ++it) ++lines;
    EXPECT_EQ(lines, 3u) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3) << text;
}

TEST(JobLog, AWatcherReadsOnlyWhatIsNewAndStartsOverOnAFreshFile)
{
    const fs::path file = testing::freshFolder("vexora_job_watch") / "log.prg";
    std::uintmax_t offset = 0;
    EXPECT_EQ(readFileFrom(file, offset), "");
    ASSERT_TRUE(appendToFile(file, "one\r\n"));
    EXPECT_EQ(readFileFrom(file, offset), "one\r\n");
    ASSERT_TRUE(appendToFile(file, "two\r\n"));
    EXPECT_EQ(readFileFrom(file, offset), "two\r\n");
    EXPECT_EQ(readFileFrom(file, offset), "");
    ASSERT_TRUE(writeFileAtomically(file, "3\r\n"));
    EXPECT_EQ(readFileFrom(file, offset), "3\r\n");
}

TEST(MeshMemory, RefusesOnlyAMeshLargerThanTheAvailableMemory)
{
    // 10 lines per axis: 12^3 nodes of 26 bytes and 9^3 blocks of 58 bytes.
    const MeshMemoryEstimate small = estimateMeshMemory(10, 10, 10);
    EXPECT_EQ(small.nodes, 1728);
    EXPECT_EQ(small.blocks, 729);
    EXPECT_DOUBLE_EQ(small.bytes, 1728.0 * 26 + 729.0 * 58);

    const std::uint64_t GiB = std::uint64_t{1} << 30;
    EXPECT_FALSE(meshMemoryRefusal(10, 10, 10, 1 * GiB));
    EXPECT_FALSE(meshMemoryRefusal(1000, 1000, 1000, 0));  // unknown memory
    EXPECT_FALSE(meshMemoryRefusal(10, 10, 10, static_cast<std::uint64_t>(small.bytes)));
    EXPECT_TRUE(meshMemoryRefusal(10, 10, 10, static_cast<std::uint64_t>(small.bytes) - 1));
    const auto refusal = meshMemoryRefusal(1000, 1000, 1000, 16 * GiB);
    ASSERT_TRUE(refusal);
    // 1002^3 x 26 + 999^3 x 58 bytes = 80,092 MiB.
    EXPECT_EQ(*refusal, "a mesh of 1000 x 1000 x 1000 lines (1006012008 nodes) needs about 80092 MiB, "
                        "16384 MiB are available");
}

}  // namespace
}  // namespace vexora
