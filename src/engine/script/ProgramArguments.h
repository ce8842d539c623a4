#pragma once
// The command lines of the core's two programs:
//   VexoraRUR64 RUNSCRIPT SCRIPT            runs the script
//   VORozurire VexoraRUR64 SCRIPT KIND [--processes N] [--hostfile FILE]
//                                           the manager: runs the core on the
//                                           script and shows its progress;
//                                           KIND is INV, FWM or SENS; with N
//                                           above 1 the core runs as N ranks
//                                           under mpirun, on the machines of
//                                           the host file when one is given
// A script path may arrive still in double quotes (a command line composed
// as one text); the quotes are taken off and doubled inner quotes undone.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/jobfiles/CorePrograms.h"

namespace vexora {

std::string unquotedArgument(std::string_view argument);

// The script of the core's arguments (program name excluded), or nothing.
std::optional<std::filesystem::path> coreScriptArgument(const std::vector<std::string>& args);

struct ManagerArguments {
    std::string core;  // program name of the core, as given
    std::filesystem::path script;
    std::string kind;  // INV, FWM or SENS
    CoreProcesses processes;
};
std::optional<ManagerArguments> managerArguments(const std::vector<std::string>& args);

// The command that runs the core on `script`: the core itself, or for
// several processes `mpirun` (found on PATH) starting that many ranks of it.
struct CoreCommand {
    std::filesystem::path program;
    std::vector<std::string> arguments;
};
// Nothing, with `why` (coreProcessesRefusal's), when mpirun is needed and
// not found or the host file named does not exist.
std::optional<CoreCommand> coreCommand(const std::filesystem::path& core, const std::filesystem::path& script,
                                       const CoreProcesses& processes, std::string& why);

inline constexpr std::string_view kCoreUsage = "Usage: VexoraRUR64 RUNSCRIPT SCRIPT";
inline constexpr std::string_view kManagerUsage =
    "Usage: VORozurire VexoraRUR64 SCRIPT INV|FWM|SENS [--processes N] [--hostfile FILE]";

}  // namespace vexora
