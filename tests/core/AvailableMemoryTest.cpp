#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include "core/io/TextFile.h"
#include "core/platform/AvailableMemory.h"
#include "support/MemoryLimit.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;

constexpr std::uint64_t MiB = std::uint64_t{1} << 20;

TEST(HostileInputMemory, TheProcessLimitCountsNotOnlyTheMachinesMemory)
{
    const auto underLimit = [] {
        vexora::testing::limitAddressSpace(256 * MiB);
        const std::uint64_t available = availableMemoryBytes();
        std::exit(available > 200 * MiB && available <= 256 * MiB ? 0 : 1);
    };
    EXPECT_EXIT(underLimit(), ::testing::ExitedWithCode(0), "");
}

// Every group from the process's own up to the root may set a limit; the
// tightest binds. Inside a cgroup namespace the mount is the group itself.
TEST(HostileInputMemory, TheTightestMemoryCgroupBinds)
{
    const fs::path root = fs::temp_directory_path() / ("vexora_cgroups_" + std::to_string(::getpid()));
    const struct {
        const char* what;
        const char* selfCgroup;
        std::vector<std::pair<const char*, const char*>> files;  // under root
        std::optional<std::uint64_t> headroom;
    } cases[] = {
        {"v2, parent limited", "0::/a/b\n",
         {{"a/memory.max", "1000\n"}, {"a/memory.current", "400\n"},
          {"a/b/memory.max", "max\n"}, {"a/b/memory.current", "300\n"}},
         600},
        {"v2 namespace", "0::/\n", {{"memory.max", "5000\n"}, {"memory.current", "1000\n"}}, 4000},
        {"v1 hybrid", "5:cpu:/y\n4:memory:/x\n0::/\n",
         {{"memory/x/memory.limit_in_bytes", "2000\n"}, {"memory/x/memory.usage_in_bytes", "1500\n"},
          {"cpu/y/memory.limit_in_bytes", "10\n"}, {"cpu/y/memory.usage_in_bytes", "1\n"}},
         500},
        {"over its limit", "0::/g\n", {{"unified/g/memory.max", "100\n"}, {"unified/g/memory.current", "150\n"}}, 0},
        {"no limit", "0::/g\n", {{"g/memory.max", "max\n"}, {"g/memory.current", "150\n"}}, std::nullopt},
    };
    for (const auto& c : cases) {
        fs::remove_all(root);
        for (const auto& [file, text] : c.files) {
            fs::create_directories((root / file).parent_path());
            ASSERT_TRUE(writeFileAtomically(root / file, text));
        }
        EXPECT_EQ(cgroupMemoryHeadroom(root, c.selfCgroup), c.headroom) << c.what;
    }
    fs::remove_all(root);
}

}  // namespace
