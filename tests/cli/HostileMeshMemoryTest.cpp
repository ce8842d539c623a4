#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "core/io/TextFile.h"
#include "support/CliRun.h"
#include "support/MemoryLimit.h"

namespace {

namespace fs = std::filesystem;
using vexora::testing::CliRun;

// A short configuration asks for a mesh of about 13 million nodes (over
// 1 GB); under a 256 MiB limit each command that builds a mesh refuses it
// before allocating, and writes nothing.
TEST(HostileInputMemory, MeshCommandsRefuseAMeshBeyondTheMemoryLimitBeforeBuilding)
{
    const fs::path folder = fs::temp_directory_path() / ("vexora_mesh_memory_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::string sample = std::string(VEXORA_SAMPLES_DIR) + "/sample_survey.data";
    const std::string config = (folder / "fine.cnfg").string(), xyz = (folder / "model.xyz").string();
    ASSERT_TRUE(vexora::writeFileAtomically(config, "#dim_grid_x= 0.02\r\n#dim_grid_y= 0.05\r\n"));
    ASSERT_TRUE(vexora::writeFileAtomically(xyz, "10 5 0 40\r\n"));
    const std::string out = (folder / "out").string();
    const std::vector<std::string> commands[] = {
        {"mesh", sample, "--config", config, "-o", out},
        {"viewer-model", sample, "--config", config, "-o", out},
        {"xyz", sample, xyz, "--config", config, "-o", out},
    };
    for (const auto& args : commands) {
        const auto refused = [&] {
            vexora::testing::limitAddressSpace(256 << 20);
            const CliRun run = vexora::testing::runVexora(args);
            const bool said = run.err.find("Error: cmdmakeMesh_click: Mesh refused: a mesh of ") != std::string::npos &&
                              run.err.find(" MiB are available.") != std::string::npos;
            std::cerr << run.err;
            std::exit(run.code == 1 && said && !fs::exists(out) ? 0 : 1);
        };
        EXPECT_EXIT(refused(), ::testing::ExitedWithCode(0), "") << args[0];
    }
    fs::remove_all(folder);
}

}  // namespace
