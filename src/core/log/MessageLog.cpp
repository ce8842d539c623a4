#include "core/log/MessageLog.h"

#include <cstdio>
#include <ctime>

#include "core/io/TextFile.h"

namespace vexora {

static std::string formatLocalTime(const char* pattern)
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[64];
    std::size_t n = std::strftime(buffer, sizeof buffer, pattern, &local);
    return std::string(buffer, n);
}

std::string currentDateTimeText() { return formatLocalTime("%Y-%m-%d %H:%M:%S"); }
std::string currentDateText() { return formatLocalTime("%Y-%m-%d"); }

MessageLog::MessageLog() : MessageLog(currentDateTimeText) {}

MessageLog::MessageLog(DateTimeSource dateTime) : dateTime_(std::move(dateTime)) {}

void MessageLog::append(std::string_view text, bool red)
{
    if (text.empty()) return;
    if (!runs_.empty() && runs_.back().red == red)
        runs_.back().text.append(text);
    else
        runs_.push_back({std::string(text), red});
    if (listener_) listener_(LogRun{std::string(text), red});
}

void MessageLog::subWriteToTextBox(std::string_view text)
{
    append(text, false);
    if (!fileLogging_) return;
    std::string why;
    if (!saveRtf(logFile_, &why)) {
        // Stop mirroring first, so that reporting the failure cannot recurse.
        fileLogging_ = false;
        logError("subWriteToTextBox", "Log file " + logFile_.string() + " not saved: " + why);
    }
}

void MessageLog::modErrorManager(std::int32_t code, std::string_view source, std::string_view description)
{
    if (code == kDialogCancelCode) return;
    const bool isError = !(code < kErrorCode);
    std::string entry = dateTime_();
    entry += kLineBreak;
    entry += isError ? "Error: " : "Warning: ";
    entry += source;
    entry += ": ";
    entry += description;
    entry += kLineBreak;
    entry += kLineBreak;
    append(entry, isError);
    ++(isError ? errorCount_ : warningCount_);
    if (isError) lastError_ = description;
}

void MessageLog::warning(std::string_view source, std::string_view description)
{
    modErrorManager(kWarningCode, source, description);
}

Status MessageLog::error(std::string_view source, std::string_view description)
{
    logError(source, description);
    return Status::Error;
}

void MessageLog::logError(std::string_view source, std::string_view description)
{
    modErrorManager(kErrorCode, source, description);
}

void MessageLog::appendLog(const MessageLog& other)
{
    if (&other == this) return;
    errorCount_ += other.errorCount_;
    if (other.errorCount_ > 0) lastError_ = other.lastError_;
    warningCount_ += other.warningCount_;
    for (const LogRun& run : other.runs_) append(run.text, run.red);
    subWriteToTextBox({});  // mirrors the whole log to its file, when on
}

void MessageLog::subSendNameToProgress(const std::filesystem::path& path, bool on)
{
    logFile_ = path;
    fileLogging_ = on;
}

std::string MessageLog::plainText() const
{
    std::string text;
    for (const LogRun& run : runs_) text += run.text;
    return text;
}

void MessageLog::clear()
{
    runs_.clear();
    errorCount_ = warningCount_ = 0;
    lastError_.clear();
}

std::string MessageLog::rtf() const
{
    std::string out =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fmodern Courier New;}}"
        "{\\colortbl ;\\red0\\green0\\blue0;\\red255\\green0\\blue0;}\r\n\\f0\\fs18 ";
    for (const LogRun& run : runs_) {
        out += run.red ? "\\cf2 " : "\\cf1 ";
        for (std::size_t i = 0; i < run.text.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(run.text[i]);
            if (c == '\r') continue;
            if (c == '\n') out += "\\par\r\n";
            else if (c == '\\' || c == '{' || c == '}') { out += '\\'; out += static_cast<char>(c); }
            else if (c == '\t') out += "\\tab ";
            else if (c < 0x20 || c > 0x7e) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\'%02x", c);
                out += hex;
            }
            else out += static_cast<char>(c);
        }
    }
    out += "}\r\n";
    return out;
}

bool MessageLog::saveRtf(const std::filesystem::path& path, std::string* why) const
{
    return writeFileAtomically(path, rtf(), why);
}

}  // namespace vexora
