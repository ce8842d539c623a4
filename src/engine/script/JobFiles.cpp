#include "engine/script/JobFiles.h"

#include <cerrno>
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

bool abortFilePresent(const fs::path& abortFile)
{
    std::error_code ec;
    return !abortFile.empty() && fs::exists(abortFile, ec);
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
