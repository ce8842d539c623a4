#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "FuzzTargets.h"

namespace {

namespace fs = std::filesystem;

struct Target {
    const char* name;
    void (*read)(std::string_view);
};

class FuzzReplay : public ::testing::TestWithParam<Target> {};

// Every committed input of a target, from the corpus the fuzz runs start
// from and from the inputs that once crashed a reader, must go through it.
TEST_P(FuzzReplay, CommittedInputsGoThrough)
{
    const Target target = GetParam();
    int replayed = 0;
    for (const char* kind : {"corpus", "crashes"}) {
        const fs::path folder = fs::path(VEXORA_FUZZ_DIR) / kind / target.name;
        if (!fs::is_directory(folder)) continue;
        for (const auto& entry : fs::directory_iterator(folder)) {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            SCOPED_TRACE(entry.path().string());
            target.read(bytes);
            ++replayed;
        }
    }
    // A lost corpus would let every reader fault go unseen.
    EXPECT_GT(replayed, 10) << target.name;
}

INSTANTIATE_TEST_SUITE_P(Readers, FuzzReplay,
                         ::testing::Values(Target{"import", vexora::fuzz::importFile},
                                           Target{"syscaltxt", vexora::fuzz::syscalTextFile},
                                           Target{"stg", vexora::fuzz::stgFile},
                                           Target{"ohm", vexora::fuzz::ohmFile},
                                           Target{"ares2dm", vexora::fuzz::ares2dmFile},
                                           Target{"datafile", vexora::fuzz::dataFile},
                                           Target{"configuration", vexora::fuzz::configurationFile},
                                           Target{"meshfile", vexora::fuzz::meshFile},
                                           Target{"xyz", vexora::fuzz::xyzFile},
                                           Target{"script", vexora::fuzz::coreScript}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
