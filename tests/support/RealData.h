#pragma once
// The real field files, when this machine has them: VEXORA_REAL_DATA names the
// folder, else it is looked for beside the checkout. Tests that need a file
// from it skip when the file is absent.
#include <cstdlib>
#include <filesystem>

namespace vexora::testing {

inline std::filesystem::path realDataFolder()
{
    if (const char* named = std::getenv("VEXORA_REAL_DATA")) return named;
    const std::filesystem::path besideCheckout = std::filesystem::path(VEXORA_SAMPLES_DIR) / "../../../shared/realdata";
    if (std::filesystem::is_directory(besideCheckout)) return besideCheckout;
    return "/work/shared/realdata";
}

}  // namespace vexora::testing
