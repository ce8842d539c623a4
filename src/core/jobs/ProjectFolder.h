#pragma once
// A job's project folder: the chosen name followed by ".VXRprj", always a
// new folder, so that no job overwrites another job's files.

#include <filesystem>
#include <string>

namespace vexora {

inline constexpr std::string_view kProjectFolderSuffix = ".VXRprj";
inline constexpr std::string_view kProjectFolderExistsTitle = "Create new project folder";

// The chosen name followed by ".VXRprj".
std::filesystem::path projectFolderFor(const std::filesystem::path& chosenName);

enum class ProjectFolderResult { Created, Exists, Failed };

// Creates the folder (its parent must exist). On Exists or Failed `message`
// holds the text for the user: folder + " already exists. Please create a
// new project directory", or why it could not be created. A path with a
// line break is refused before anything is created: the job's scripts hold
// one path per line.
ProjectFolderResult createProjectFolder(const std::filesystem::path& folder, std::string& message);

}  // namespace vexora
