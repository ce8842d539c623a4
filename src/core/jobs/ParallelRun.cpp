#include "core/jobs/ParallelRun.h"

#include <charconv>

namespace vexora {

namespace {

constexpr std::string_view kSection = "ParallelRun";
constexpr std::string_view kCountKey = "Processes";
constexpr std::string_view kHostFileKey = "HostFile";

}  // namespace

CoreProcesses savedCoreProcesses(const UserSettings& settings)
{
    CoreProcesses processes;
    if (const std::optional<std::string> text = settings.value(kSection, kCountKey)) {
        int count = 0;
        const char* end = text->data() + text->size();
        const auto [stop, error] = std::from_chars(text->data(), end, count);
        if (error == std::errc() && stop == end && count >= 1 && count <= kMostCoreProcesses) processes.count = count;
    }
    processes.hostFile = settings.value(kSection, kHostFileKey).value_or(std::string());
    return processes;
}

void saveCoreProcesses(UserSettings& settings, const CoreProcesses& processes)
{
    settings.setValue(kSection, kCountKey, std::to_string(processes.count));
    settings.setValue(kSection, kHostFileKey, processes.hostFile.string());
}

}  // namespace vexora
