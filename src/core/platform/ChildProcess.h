#pragma once
// A program the caller starts and follows to its end, as the core's manager
// follows the core: started from an argument vector (never a shell) with
// the caller's standard streams and working folder, its end read without
// blocking. Paths and arguments pass as bytes, whatever their encoding.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vexora {

// How a program ended: its exit status, or the signal that ended it.
struct ProcessEnd {
    int exitStatus = 0;  // meaningful when `signal` is 0
    int signal = 0;      // 0 when the program exited by itself
    bool operator==(const ProcessEnd&) const = default;
};

// Starts `program` with `arguments` (argument 1 onwards) and the caller's
// environment plus `environment` ("NAME=value" entries, replacing those of
// the same name). Returns the process id, or nothing with the reason in
// `why` when the program could not be started.
std::optional<int> startChildProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                                     const std::vector<std::string>& environment, std::string* why = nullptr);

// How the started child ended, or nothing while it runs. The answer reaps
// the child: ask until it comes, then no more.
std::optional<ProcessEnd> childProcessEnd(int processId);

// "exit status 1", "killed (SIGKILL)", "segmentation fault (SIGSEGV)",
// "signal 40" for a signal without a name here.
std::string processEndText(const ProcessEnd& end);

}  // namespace vexora
