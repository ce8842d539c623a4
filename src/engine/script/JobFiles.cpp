#include "engine/script/JobFiles.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <ostream>

#include "core/io/TextFile.h"
#include "core/log/MessageLog.h"
#include "engine/script/ScriptParser.h"

namespace vexora {

namespace fs = std::filesystem;

bool appendToFile(const fs::path& path, std::string_view bytes, std::string* why)
{
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (!file) {
        if (why) *why = std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!(written && closed) && why) *why = "write failed";
    return written && closed;
}

namespace {

void emitLine(JobLogWriter& writer, std::string_view line)
{
    if (line.find_first_not_of(" \t") == std::string_view::npos) return;
    if (writer.console) *writer.console << line << "\n" << std::flush;
    if (writer.file.empty() || writer.failed) return;
    const std::string stamped = currentDateTimeText() + "\t" + std::string(line) + kLineBreak;
    std::string why;
    if (!appendToFile(writer.file, stamped, &why)) {
        writer.failed = true;
        if (writer.console) *writer.console << "Log file " << writer.file.string() << " not written: " << why << "\n";
    }
}

}  // namespace

void writeJobLogText(JobLogWriter& writer, std::string_view text)
{
    writer.pending.append(text);
    std::size_t start = 0;
    for (std::size_t end; (end = writer.pending.find_first_of("\r\n", start)) != std::string::npos; start = end + 1)
        emitLine(writer, std::string_view(writer.pending).substr(start, end - start));
    writer.pending.erase(0, start);
}

void writeJobLogLine(JobLogWriter& writer, std::string_view line)
{
    writeJobLogText(writer, kLineBreak);
    emitLine(writer, line);
}

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

bool abortFilePresent(const fs::path& abortFile)
{
    std::error_code ec;
    return !abortFile.empty() && fs::exists(abortFile, ec);
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

JobFiles scriptJobFiles(const fs::path& scriptFile)
{
    std::string text;
    if (!readTextFile(scriptFile, text)) return {};
    const ParsedScript script = parseCoreScript(text);
    const ScriptCommand* paths = messagePathCommand(script);
    return paths ? JobFiles{paths->paths[0], paths->paths[1], paths->paths[2]} : JobFiles{};
}

}  // namespace vexora
