#pragma once
// Process start for the command line (the workbench uses Qt's): the program
// runs in a session of its own, detached from the caller, which never waits
// for it and never leaves a zombie behind.

#include "core/platform/ProcessLauncher.h"

namespace vexora {

class PosixProcessLauncher : public ProcessLauncher {
public:
    bool startDetached(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                       const std::filesystem::path& workingFolder, std::string* why = nullptr) override;
};

}  // namespace vexora
