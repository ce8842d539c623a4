#pragma once
// The command lines of the core's two programs:
//   VexoraRUR64 RUNSCRIPT SCRIPT            runs the script
//   VORozurire VexoraRUR64 SCRIPT KIND      the manager: runs the core on the
//                                           script and shows its progress;
//                                           KIND is INV, FWM or SENS
// A script path may arrive still in double quotes (a command line composed
// as one text); the quotes are taken off and doubled inner quotes undone.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexora {

std::string unquotedArgument(std::string_view argument);

// The script of the core's arguments (program name excluded), or nothing.
std::optional<std::filesystem::path> coreScriptArgument(const std::vector<std::string>& args);

struct ManagerArguments {
    std::string core;  // program name of the core, as given
    std::filesystem::path script;
    std::string kind;  // INV, FWM or SENS
};
std::optional<ManagerArguments> managerArguments(const std::vector<std::string>& args);

inline constexpr std::string_view kCoreUsage = "Usage: VexoraRUR64 RUNSCRIPT SCRIPT";
inline constexpr std::string_view kManagerUsage = "Usage: VORozurire VexoraRUR64 SCRIPT INV|FWM|SENS";

}  // namespace vexora
