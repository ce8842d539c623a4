#pragma once
// The core's programs as the workbench starts them and the programs read
// their own command lines: the program names and the job kinds.

#include <string_view>

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

}  // namespace vexora
