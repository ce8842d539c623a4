#include "core/platform/RecentFiles.h"

#include <algorithm>
#include <string>

namespace vexora {

namespace {

constexpr std::string_view kSection = "RecentFiles";

std::string key(std::size_t index) { return "File" + std::to_string(index + 1); }

// Unused keys are written empty: the settings interface cannot remove one.
void store(UserSettings& settings, const std::vector<std::filesystem::path>& files)
{
    for (std::size_t i = 0; i < kRecentFiles; ++i)
        settings.setValue(kSection, key(i), i < files.size() ? files[i].string() : std::string());
}

}  // namespace

std::vector<std::filesystem::path> recentFiles(const UserSettings& settings)
{
    std::vector<std::filesystem::path> files;
    for (std::size_t i = 0; i < kRecentFiles; ++i)
        if (const std::optional<std::string> file = settings.value(kSection, key(i)); file && !file->empty())
            files.emplace_back(*file);
    return files;
}

void rememberRecentFile(UserSettings& settings, const std::filesystem::path& file)
{
    std::vector<std::filesystem::path> files = recentFiles(settings);
    std::erase(files, file);
    files.insert(files.begin(), file);
    if (files.size() > kRecentFiles) files.resize(kRecentFiles);
    store(settings, files);
}

void forgetRecentFile(UserSettings& settings, const std::filesystem::path& file)
{
    std::vector<std::filesystem::path> files = recentFiles(settings);
    std::erase(files, file);
    store(settings, files);
}

}  // namespace vexora
