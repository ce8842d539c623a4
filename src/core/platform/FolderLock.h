#pragma once
// A folder reserved for one job at a time: an advisory lock (flock) on a
// hidden lock file inside it. The lock belongs to the open descriptor, which
// a started child program inherits; the system releases it when the last
// holder ends, however it ends, so no stale lock is ever left behind.

#include <filesystem>
#include <string>
#include <string_view>

namespace vexora {

inline constexpr std::string_view kFolderLockFile = ".vexora-job.lock";

enum class [[nodiscard]] FolderLockStatus { Locked, Busy, Failed };

// Takes the folder's lock without waiting. Locked: `descriptor` holds it
// (close it to release early). Busy: another process holds it. Failed: the
// lock file cannot be opened; the reason is in `why`.
FolderLockStatus lockFolder(const std::filesystem::path& folder, int& descriptor, std::string* why = nullptr);

}  // namespace vexora
