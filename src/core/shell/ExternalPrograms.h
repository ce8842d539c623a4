#pragma once
// Locating, remembering and starting the external programs (the 3D viewer,
// the sequencer). The folder of each program is kept in the per-user
// settings, section "Paths", under the program's file name; a program that
// is neither beside the running program nor where the settings say is
// searched for on every drive.

#include <filesystem>
#include <string>
#include <string_view>

#include "core/log/MessageLog.h"
#include "core/platform/FileSystemRoots.h"
#include "core/platform/ProcessLauncher.h"
#include "core/platform/Questions.h"
#include "core/platform/UserSettings.h"
#include "core/shell/ProgramSearch.h"

namespace vexora {

inline constexpr std::string_view kPathsSection = "Paths";
inline constexpr std::string_view kNoFolder = "None";
inline constexpr std::string_view kViewerProgram = "VexoraViewer.exe";
inline constexpr std::string_view kSequencerProgram = "VexoraSequencer.exe";
inline constexpr std::string_view kHandedOverFile = "EV_Temp.ohm";

inline constexpr std::string_view kBadPathQuestion =
    "Path not registered or bad path. Either use 'Options>Set Path for EXE' or click OK to search.";
inline constexpr std::string_view kComponentNotFound = "Component not found! Please contact your Vexora Provider.";

// RunExternal's results: Failed means not started, the user was told why.
enum class [[nodiscard]] ExternalStatus { Started = 0, Failed = 1, Cancelled = 2 };

// What RunExternal works with; all references outlive the call.
struct ExternalEnvironment {
    UserSettings& userSettings;
    Questions& questions;
    ProcessLauncher& launcher;
    const FileSystemRoots& roots;
    MessageLog& log;
    // Told of every folder of a drive search; may be null.
    SearchFeedback* searchFeedback = nullptr;
    // Where the handed-over copy goes when the program's folder is read-only.
    std::filesystem::path userDataFolder;
    // Looked in first: the programs built and installed with this one.
    std::filesystem::path applicationFolder;
};

// The stored folder of a program, "None" when there is none.
std::string storedProgramFolder(const UserSettings& userSettings, std::string_view programName);

// Locates the program (the application folder, the stored folder, else after the question a search of
// every root, whose hit is stored), copies `fileToHandOver` (when not empty)
// to "EV_Temp.ohm" and starts the program in its folder, handing it the copy.
// Returns Started, Cancelled when the user cancelled the question or the
// search, Failed otherwise.
ExternalStatus RunExternal(ExternalEnvironment& environment, std::string_view programName,
                           const std::filesystem::path& fileToHandOver = {});

}  // namespace vexora
