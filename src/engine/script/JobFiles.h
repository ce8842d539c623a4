#pragma once
// The three files a core job shares with whoever watches it (the manager,
// a person with a text editor). All are single-byte text with CR LF line
// ends and only ever grow while the job runs, so a reader that remembers
// how far it read sees each line once:
//
//  - the log file: one line per message, "YYYY-MM-DD HH:MM:SS", a tab, the
//    message; the last line says "Script completed." or why the script
//    stopped, followed under the manager by how the core ended when it did
//    not complete;
//  - the progress file (core/jobfiles/JobProgress.h): the core leaves it at its
//    last value when the script stops; the manager then adds the same
//    percent with the stage "Failed: HOW" or "Aborted";
//  - the abort file: written by the manager or by hand; while it exists the
//    job stops at its next check.

#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>

#include "core/jobfiles/JobProgress.h"

namespace vexora {

struct JobFiles {
    std::filesystem::path log;       // empty: messages go to the console only
    std::filesystem::path progress;  // empty: no progress is written
    std::filesystem::path abort;     // empty: the job cannot be aborted
};

// Appends the bytes at the end of the file, creating it. False, with the
// reason in `why`, when it cannot be written.
bool appendToFile(const std::filesystem::path& path, std::string_view bytes, std::string* why = nullptr);

// Turns message text, which arrives in pieces, into time-stamped log lines:
// every complete non-empty line goes to the log file (when named) and to
// `console` (when given) as soon as its line end arrives.
struct JobLogWriter {
    std::filesystem::path file;
    std::ostream* console = nullptr;
    std::string pending;  // text after the last line end
    bool failed = false;  // the file could not be written; only the console is served
};
void writeJobLogText(JobLogWriter& writer, std::string_view text);
// Ends the pending text as a line, then writes `line` as the log's own line.
void writeJobLogLine(JobLogWriter& writer, std::string_view line);

bool abortFilePresent(const std::filesystem::path& abortFile);

// The job files named by a script file's SETMESSAGEPATH (all empty when the
// script cannot be read or names none).
JobFiles scriptJobFiles(const std::filesystem::path& scriptFile);

}  // namespace vexora
