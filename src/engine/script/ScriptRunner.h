#pragma once
// Running a core script: the whole script is checked first, then its
// commands run in order against one project store. Before every command and
// inside long computations the abort file is checked. Messages go to the
// job's log file (SETMESSAGEPATH) and to the console; the progress file gets
// a line as each command starts, and the forward model's own updates in
// between.
//
// The log's last line is "Script completed.", "Script stopped at line N
// (TEXT): REASON" (running out of memory included) or "Script aborted
// before line N (TEXT): abort file PATH found." A stopped or aborted script leaves the progress file at its last
// value; its result files are written whole or not at all.

#include <filesystem>
#include <iosfwd>

namespace vexora {

// Outcome of a script; the number is the core program's exit code.
enum class [[nodiscard]] ScriptStatus { Completed = 0, Stopped = 1, Aborted = 3 };

// Runs the script file; `console` (may be null) gets every log line too.
// Returns one of the statuses above.
ScriptStatus runCoreScript(const std::filesystem::path& scriptFile, std::ostream* console);

}  // namespace vexora
