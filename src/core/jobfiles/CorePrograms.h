#pragma once
// The core's programs as the workbench starts them and the programs read
// their own command lines: the program names and the job kinds.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexora {

inline constexpr std::string_view kManagerProgram = "VORozurire.exe";
inline constexpr std::string_view kCoreName = "VexoraRUR64";
inline constexpr std::string_view kCoreProgram = "VexoraRUR64.exe";

// The job kind text: "INV", "FWM", or any other text, which is then the
// sensitivity request.
enum class JobType { Inversion, Forward, Sensitivity };
JobType jobType(std::string_view kind);
// "INV", "FWM" or "SENS": the last word of the manager's command line.
std::string_view jobKindWord(JobType type);

// How many processes run the core (as the ranks of one MPI job), and where.
struct CoreProcesses {
    int count = 1;
    std::filesystem::path hostFile;  // empty: all on this machine
};
inline constexpr int kMostCoreProcesses = 1024;
// The manager's options for `processes` (none for one process):
// "--processes N" and "--hostfile FILE".
std::vector<std::string> processArguments(const CoreProcesses& processes);
// Why a job cannot start on `processes`, or nothing. Several processes need
// mpirun on PATH and, when one is named, a host file that exists; one
// process needs neither. The workbench asks before it starts the manager,
// the manager before it starts mpirun.
std::optional<std::string> coreProcessesRefusal(const CoreProcesses& processes);

}  // namespace vexora
