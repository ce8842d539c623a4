#pragma once
// The manager's last word in a job's files when the core ended without
// completing the script. A core that dies by a signal cannot say so itself;
// without this its log would end on an ordinary line and its progress file
// would look like a job still running.

#include <iosfwd>
#include <optional>
#include <string>

#include "core/platform/ChildProcess.h"
#include "engine/script/JobFiles.h"

namespace vexora {

// The job's last stage after the core's end: "Failed: HOW" (HOW: "exit
// status 1", "killed (SIGKILL)", ...), "Aborted" for the core's answer to
// the abort file, nothing when the core completed.
std::optional<std::string> jobEndStage(const ProcessEnd& end);

// Nothing when the core completed. Otherwise appends to the log
// "Job failed: the core ended: HOW." ("Job aborted: ..." after an abort),
// and to the progress file the percent of its last line with the job's
// last stage. `console` (may be null) gets the log line too.
void recordJobEnd(const JobFiles& files, const ProcessEnd& end, std::ostream* console);

}  // namespace vexora
