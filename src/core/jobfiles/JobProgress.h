#pragma once
// A core job's progress file, read by whoever follows the job (the manager,
// the workbench that started it): one line per update, the percent done
// (0 to 100), a tab, the stage; the last complete line is the current state.
// The file only grows while the job runs. Its last stage says how the job
// ended once it has: the core writes "Script completed" at 100, the manager
// "Aborted" or "Failed: HOW" when the core did not complete.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vexora {

inline constexpr std::string_view kCompletedStage = "Script completed";
inline constexpr std::string_view kAbortedStage = "Aborted";
inline constexpr std::string_view kFailedStagePrefix = "Failed: ";

struct ProgressState {
    int percent = 0;
    std::string stage;
    bool operator==(const ProgressState&) const = default;
};
std::string progressLine(const ProgressState& state);
// The last complete, well-formed progress line of a progress file's text.
std::optional<ProgressState> lastProgressState(std::string_view text);

// True when the stage is a job's last: completed, aborted or failed.
bool jobEnded(const ProgressState& state);

// The bytes of the file from `offset` on, moving `offset` past them; a file
// shorter than `offset` was started afresh and is read from its beginning.
// Empty when the file is missing.
std::string readFileFrom(const std::filesystem::path& path, std::uintmax_t& offset);

// The current state of the job whose progress file this is; none while the
// file is missing or holds no complete line.
std::optional<ProgressState> readProgressFile(const std::filesystem::path& path);

}  // namespace vexora
