#pragma once
// Process start of the workbench: QProcess::startDetached, which passes the
// argument vector to the program without a shell and reports a program that
// could not be run.

#include "core/platform/ProcessLauncher.h"

namespace vexora::ui {

class QtProcessLauncher : public ProcessLauncher {
public:
    bool startDetached(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                       const std::filesystem::path& workingFolder, std::string* why = nullptr) override;
};

}  // namespace vexora::ui
