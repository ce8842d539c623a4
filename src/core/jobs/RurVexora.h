#pragma once
// Numerical-core jobs: a fresh project folder is filled with the input data
// file and a script of core commands, and the core's manager program is
// started on the script. The job then belongs to the core; nothing waits
// for it, a window that wants its end follows its progress file
// (JobProgress.h).

#include <filesystem>
#include <string>
#include <string_view>

#include "core/jobfiles/CorePrograms.h"
#include "core/log/MessageLog.h"
#include "core/platform/ProcessLauncher.h"
#include "core/project/ProjectStore.h"

namespace vexora {

// File names inside a project folder.
inline constexpr std::string_view kDataInputFile = "DataInput.data";
inline constexpr std::string_view kInvScriptFile = "InvScript.txt";
inline constexpr std::string_view kFwmScriptFile = "FWScript.txt";
inline constexpr std::string_view kSensScriptFile = "SensScript.txt";
inline constexpr std::string_view kSensInfoFile = "SensInfo.json";
inline constexpr std::string_view kProgressFile = "Progress.txt";
inline constexpr std::string_view kAbortFile = "Abort.txt";
// An inversion's log and results.
inline constexpr std::string_view kInvLogFile = "InvLog.prg";
inline constexpr std::string_view kInvModelOutputFile = "InvModelOutput.vwer";
inline constexpr std::string_view kInvFullMeshOutputFile = "InvFullMeshOutput.vwer";
inline constexpr std::string_view kInvDataOutputFile = "InvDataOutput.data";
// A forward job's log and modelled data.
inline constexpr std::string_view kFwmLogFile = "FWMLog.prg";
inline constexpr std::string_view kFwDataOutputFile = "FWDataOutput.data";
// A sensitivity job's log and results.
inline constexpr std::string_view kSensLogFile = "SensLog.prg";
inline constexpr std::string_view kSensModelOutputFile = "SensModelOutput.vwer";
inline constexpr std::string_view kSensDataOutputFile = "SensDataOutput.data";

// The script writers; a mesh file of "" means "generate the mesh". Each
// returns Ok, or Error with a logged error when a file cannot be written.
// `dimension` follows RUNINVERSION when not empty (2, 3 or AUTO).
Status funWriteInvScript(const std::filesystem::path& folder, const std::filesystem::path& scriptFile,
                         const std::filesystem::path& configurationFile, const std::filesystem::path& meshFile,
                         const std::filesystem::path& boundsModelFile, const std::filesystem::path& fullMeshFile,
                         const std::filesystem::path& dataOutputFile, MessageLog& log,
                         std::string_view dimension = {});
Status funWriteFwmScript(const std::filesystem::path& folder, const std::filesystem::path& scriptFile,
                         const std::filesystem::path& configurationFile, const std::filesystem::path& meshFile,
                         const std::filesystem::path& dataOutputFile, MessageLog& log);
// Writes the info file first, then the script.
Status funWriteSensScript(std::string_view request, const std::filesystem::path& folder,
                          const std::filesystem::path& scriptFile, const std::filesystem::path& configurationFile,
                          const std::filesystem::path& meshFile, const std::filesystem::path& modelOutputFile,
                          const std::filesystem::path& infoFile, const std::filesystem::path& dataOutputFile,
                          MessageLog& log);

// Steps 2 to 5 of a job: output layouts, "DataInput.data" (full
// configuration, then the blocks without skipped quadrupoles), the mesh
// flag cleared, the script of the kind. On success `scriptFile` names the
// script. `date` goes after "#date= " (empty: today); `dimension` is the
// inversion's (funWriteInvScript). A folder that was empty is removed again
// when it cannot be filled.
Status prepareRurJob(ProjectStore& store, const std::filesystem::path& folder, std::string_view kind,
                     std::filesystem::path& scriptFile, MessageLog& log, std::string_view date = {},
                     std::string_view dimension = {});

// Starts the manager program of the application folder in that folder:
// VORozurire.exe VexoraRUR64 SCRIPT KIND-WORD [--processes N [--hostfile FILE]].
Status startRurJob(const std::filesystem::path& applicationFolder, const std::filesystem::path& scriptFile,
                   JobType type, ProcessLauncher& launcher, MessageLog& log, const CoreProcesses& processes = {});

// The whole job: prepare, then start. Returns Ok when the manager program
// was started; Error, with the reason logged, when the folder could not be
// filled or the program not started (what was written stays).
Status funRunRurJob(ProjectStore& store, const std::filesystem::path& folder, std::string_view kind,
                    const std::filesystem::path& applicationFolder, ProcessLauncher& launcher, MessageLog& log,
                    std::string_view date = {}, const CoreProcesses& processes = {});

}  // namespace vexora
