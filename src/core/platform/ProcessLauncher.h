#pragma once
// Starting external programs: the numerical core's manager, the core, the
// viewer, the sequencer. A program is started from an argument vector and a
// working folder and is never waited for; no shell ever sees the arguments,
// so folders with spaces, quotes or non-ASCII letters pass unchanged.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexora {

class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // Starts `program` with `arguments` (argument 1 onwards) in
    // `workingFolder`. Returns false, with the reason in `why`, when the
    // program could not be started; what it does afterwards is its own.
    virtual bool startDetached(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                               const std::filesystem::path& workingFolder, std::string* why = nullptr) = 0;
};

// Whether the platform's programs carry the ".exe" suffix.
#ifdef _WIN32
inline constexpr bool kProgramsHaveExeSuffix = true;
#else
inline constexpr bool kProgramsHaveExeSuffix = false;
#endif

// The names a program may have on disk: its own name and, where programs
// carry no ".exe" suffix, the name without it ("VexoraViewer.exe",
// "VexoraViewer").
std::vector<std::string> programFileNames(std::string_view programName);

// The program's file in `folder` (a regular file under one of its names),
// or nothing.
std::optional<std::filesystem::path> locateProgramFile(const std::filesystem::path& folder,
                                                       std::string_view programName);

// The program's file in the first folder of PATH that has it, or nothing:
// system programs such as mpirun.
std::optional<std::filesystem::path> locateProgramOnPath(std::string_view programName);

// The folder of the running program's file, as bytes: the companion
// programs (the core, its manager, the converters) live beside it.
std::filesystem::path programFolder();

}  // namespace vexora
