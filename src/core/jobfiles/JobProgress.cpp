#include "core/jobfiles/JobProgress.h"

#include <charconv>
#include <cstdio>

#include "core/io/TextFile.h"
#include "core/log/MessageLog.h"

namespace vexora {

namespace fs = std::filesystem;

std::string progressLine(const ProgressState& state)
{
    return std::to_string(state.percent) + "\t" + state.stage + kLineBreak;
}

std::optional<ProgressState> lastProgressState(std::string_view text)
{
    // Only lines with their line end count: the last one may be half written.
    std::size_t end = text.find_last_of('\n');
    while (end != std::string_view::npos) {
        const std::size_t start = end == 0 ? std::string_view::npos : text.find_last_of('\n', end - 1);
        const std::size_t from = start == std::string_view::npos ? 0 : start + 1;
        std::string_view line = text.substr(from, end - from);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::size_t tab = line.find('\t');
        ProgressState state;
        if (tab != std::string_view::npos) {
            const auto [ptr, ec] = std::from_chars(line.data(), line.data() + tab, state.percent);
            if (ec == std::errc() && ptr == line.data() + tab && state.percent >= 0 && state.percent <= 100) {
                state.stage = std::string(line.substr(tab + 1));
                return state;
            }
        }
        if (start == std::string_view::npos) break;
        end = start;
    }
    return std::nullopt;
}

bool jobEnded(const ProgressState& state)
{
    return (state.percent == 100 && state.stage == kCompletedStage) || state.stage == kAbortedStage ||
           state.stage.starts_with(kFailedStagePrefix);
}

std::string readFileFrom(const fs::path& path, std::uintmax_t& offset)
{
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec) return {};
    if (size < offset) offset = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return {};
    std::string bytes;
    if (std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0) {
        bytes.resize(static_cast<std::size_t>(size - offset));
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    }
    std::fclose(file);
    offset += bytes.size();
    return bytes;
}

std::optional<ProgressState> readProgressFile(const fs::path& path)
{
    std::uintmax_t whole = 0;
    return lastProgressState(readFileFrom(path, whole));
}

}  // namespace vexora
