#pragma once
// The processes a job started from the workbench runs on: the user's last
// choice, kept per user (the checks before a start: CorePrograms.h).

#include <optional>
#include <string>

#include "core/jobfiles/CorePrograms.h"
#include "core/platform/UserSettings.h"

namespace vexora {

// The choice kept under "ParallelRun" ("Processes", "HostFile"); a count
// that is no whole number or lies outside 1..kMostCoreProcesses is 1.
CoreProcesses savedCoreProcesses(const UserSettings& settings);
void saveCoreProcesses(UserSettings& settings, const CoreProcesses& processes);

}  // namespace vexora
