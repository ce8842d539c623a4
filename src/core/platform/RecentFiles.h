#pragma once
// The data files loaded last, newest first, kept in the per-user settings
// (section "RecentFiles", keys "File1".."File8") so that they outlive the
// session.

#include <filesystem>
#include <vector>

#include "core/platform/UserSettings.h"

namespace vexora {

inline constexpr std::size_t kRecentFiles = 8;

std::vector<std::filesystem::path> recentFiles(const UserSettings& settings);
// Puts the file first; an older entry of the same file goes, the ninth goes.
void rememberRecentFile(UserSettings& settings, const std::filesystem::path& file);
void forgetRecentFile(UserSettings& settings, const std::filesystem::path& file);

}  // namespace vexora
