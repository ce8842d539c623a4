#include "engine/script/JobEnd.h"

#include "engine/script/ScriptRunner.h"

namespace vexora {

namespace {

bool aborted(const ProcessEnd& end) { return end == ProcessEnd{static_cast<int>(ScriptStatus::Aborted), 0}; }

}  // namespace

std::optional<std::string> jobEndStage(const ProcessEnd& end)
{
    if (end == ProcessEnd{}) return std::nullopt;
    return aborted(end) ? std::string(kAbortedStage) : std::string(kFailedStagePrefix) + processEndText(end);
}

void recordJobEnd(const JobFiles& files, const ProcessEnd& end, std::ostream* console)
{
    const std::optional<std::string> stage = jobEndStage(end);
    if (!stage) return;
    JobLogWriter writer;
    writer.file = files.log;
    writer.console = console;
    writeJobLogLine(writer, std::string(aborted(end) ? "Job aborted" : "Job failed") +
                                ": the core ended: " + processEndText(end) + ".");
    if (files.progress.empty()) return;
    const std::optional<ProgressState> last = readProgressFile(files.progress);
    const ProgressState state{last ? last->percent : 0, *stage};
    std::string why;
    if (!appendToFile(files.progress, progressLine(state), &why))
        writeJobLogLine(writer, "Progress file " + files.progress.string() + " not written: " + why);
}

}  // namespace vexora
