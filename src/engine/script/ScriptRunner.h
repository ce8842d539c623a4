#pragma once
// Running a core script: the whole script is checked first, then its
// commands run in order against one project store. Before every command and
// inside long computations the abort file is checked. Messages go to the
// job's log file (SETMESSAGEPATH) and to the console; the progress file gets
// a line as each command starts, and the forward model's own updates in
// between.
//
// The log's last line is "Script completed.", "Script stopped at line N
// (TEXT): REASON" (running out of memory included), "Script aborted before
// line N (TEXT): abort file PATH found." or "Script stopped before line N
// (TEXT): the manager that started the core has ended." A stopped or aborted
// script leaves the progress file at its last value; its result files are
// written whole or not at all. A log, progress, abort or result file that is
// one of the job's inputs (the script or a file a command loads) stops the
// script before anything is written.
//
// Started as several ranks (mpirun), every rank runs the script; rank 0
// alone writes the log, the progress and the results. A command that fails
// on any rank, and the abort file seen by any rank, stop them all after
// that command; the log names the rank whose failure stopped the job.

#include <filesystem>
#include <functional>
#include <iosfwd>

#include "engine/parallel/Ranks.h"

namespace vexora {

// Outcome of a script; the number is the core program's exit code.
enum class [[nodiscard]] ScriptStatus { Completed = 0, Stopped = 1, Aborted = 3 };

// Runs the script file; `console` (may be null) gets every log line too.
// `managerGone` (may be empty) is asked before each command, as the abort
// file is. Returns one of the statuses above.
ScriptStatus runCoreScript(const std::filesystem::path& scriptFile, std::ostream* console,
                           const std::function<bool()>& managerGone = {},
                           const Ranks& ranks = singleProcess());

}  // namespace vexora
