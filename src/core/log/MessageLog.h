#pragma once
// The message log: progress lines, warnings and errors appended as they
// happen, errors in red, optionally mirrored to a rich-text file.
//
// Convention of every routine that reports here: a warning is logged and the
// routine carries on; an error is logged and the routine returns
// Status::Error.
// Text is single-byte (Windows-1252) and kept as bytes.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/log/Status.h"

namespace vexora {

inline constexpr char kLineBreak[] = "\r\n";

// Failure codes on top of the interface-error base (hexadecimal 80040000).
inline constexpr std::int32_t kInterfaceErrorBase = -2147221504;
inline constexpr std::int32_t kWarningCode = kInterfaceErrorBase + 10000;
inline constexpr std::int32_t kErrorCode = kInterfaceErrorBase + 20000;
inline constexpr std::int32_t kDialogCancelCode = 32755;

struct LogRun {
    std::string text;
    bool red = false;
};

class MessageLog {
public:
    using DateTimeSource = std::function<std::string()>;
    using Listener = std::function<void(const LogRun&)>;

    MessageLog();
    explicit MessageLog(DateTimeSource dateTime);

    // Appends text unchanged (the caller supplies any line break); with file
    // logging on, rewrites the log file with the whole log.
    void subWriteToTextBox(std::string_view text);

    // The error manager: one coloured entry for a pending failure. The dialog
    // cancel code is ignored; codes below kErrorCode are warnings, all others
    // (run-time failures with positive numbers included) errors.
    void modErrorManager(std::int32_t code, std::string_view source, std::string_view description);
    void warning(std::string_view source, std::string_view description);
    // Appends what another log holds, with its error and warning counts, as
    // if it had been written here: work off the window thread logs into a
    // log of its own, joined to the window's when it is done.
    void appendLog(const MessageLog& other);
    // Logs the error and returns Status::Error, for `return log.error(...)`.
    Status error(std::string_view source, std::string_view description);
    // Logs the error alone, for a routine that carries on or reports its
    // outcome in a type of its own.
    void logError(std::string_view source, std::string_view description);

    // File logging: every subWriteToTextBox saves the whole log as RTF.
    void subSendNameToProgress(const std::filesystem::path& path, bool on);
    bool fileLogging() const { return fileLogging_; }

    const std::vector<LogRun>& runs() const { return runs_; }
    std::string plainText() const;
    std::size_t errorCount() const { return errorCount_; }
    std::size_t warningCount() const { return warningCount_; }
    // The description of the last error logged, for a message box.
    const std::string& lastError() const { return lastError_; }
    void clear();

    // Rich text of the whole log, errors red; bytes above 127 as \'hh.
    std::string rtf() const;
    bool saveRtf(const std::filesystem::path& path, std::string* why = nullptr) const;

    // Called for every appended run, so a window can mirror the log.
    void setListener(Listener listener) { listener_ = std::move(listener); }

private:
    void append(std::string_view text, bool red);

    DateTimeSource dateTime_;
    Listener listener_;
    std::vector<LogRun> runs_;
    std::size_t errorCount_ = 0;
    std::size_t warningCount_ = 0;
    std::string lastError_;
    std::filesystem::path logFile_;
    bool fileLogging_ = false;
};

// Local date and time, "YYYY-MM-DD HH:MM:SS".
std::string currentDateTimeText();
// Local date, "YYYY-MM-DD".
std::string currentDateText();

}  // namespace vexora
