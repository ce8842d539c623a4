#pragma once
// Folders of the workbench: the application folder (where the program and
// its companion programs live), the application data folder beside it, and
// the per-user data folder used when the application folder is read-only.

#include <filesystem>
#include <string>
#include <string_view>

namespace vexora {

// The parent of the application folder followed by "VexoraDATA".
std::filesystem::path applicationDataFolder(const std::filesystem::path& applicationFolder);

// Whether files can be created in the folder (tried, not guessed from
// permission bits: read-only mounts and ACLs count too).
bool isFolderWritable(const std::filesystem::path& folder);

// `preferred` when files can be created in it, otherwise `fallback`, which is
// created when missing. Empty when neither can take files.
std::filesystem::path writableFolder(const std::filesystem::path& preferred, const std::filesystem::path& fallback);

// A folder as stored in the "Paths" settings: ending in the separator.
std::string folderWithTrailingSeparator(std::string_view folder);

}  // namespace vexora
