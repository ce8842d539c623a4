#pragma once
// The processes a job started from the workbench runs on: the user's last
// choice, kept per user, and the checks made before anything is started.

#include <optional>
#include <string>

#include "core/jobfiles/CorePrograms.h"
#include "core/platform/UserSettings.h"

namespace vexora {

// The choice kept under "ParallelRun" ("Processes", "HostFile"); a count
// that is no whole number or lies outside 1..kMostCoreProcesses is 1.
CoreProcesses savedCoreProcesses(const UserSettings& settings);
void saveCoreProcesses(UserSettings& settings, const CoreProcesses& processes);

// Why a job cannot start on `processes`, or nothing. Several processes need
// mpirun on PATH and, when one is named, a host file that exists; one
// process needs neither.
std::optional<std::string> coreProcessesRefusal(const CoreProcesses& processes);

}  // namespace vexora
