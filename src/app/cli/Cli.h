#pragma once
// The command line `vexora`: the headless face of the workbench.

#include <iosfwd>
#include <string>
#include <vector>

namespace vexora::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitError = 1;
inline constexpr int kExitUsage = 2;

// Runs one command; args excludes the program name.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vexora::cli
