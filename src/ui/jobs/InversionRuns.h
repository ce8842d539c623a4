#pragma once
// The main window's unattended inversions: "Run Console Inversion" inverts
// the chosen data file, "Batch processing" every file chosen in turn, each
// in a new project folder beside its data file. They use a store of their
// own, so the open project is never touched.

#include <vector>

#include "core/jobs/ConsoleInversion.h"

class QObject;

namespace vexora::ui {

class FileDialogs;
class MDIStart;

void connectInversionRuns(MDIStart& window, MessageLog& log, FileDialogs& fileDialogs);

// One log line per run: where it started, or that it failed.
void logInversionOutcomes(const std::vector<ConsoleRunOutcome>& outcomes, MessageLog& log);

// Follows the started runs to their ends, each logged as "Inversion of FILE
// ended: STAGE" with the last line of the job's log and, when it left
// results, the offer to open them (core/jobs/JobResults.h). A batch (`counting`) then logs "Batch processing: k of n
// data files inverted", k the runs completed so far, n all the files; at
// once when none was started.
void followInversionRuns(QObject* owner, const std::vector<ConsoleRunOutcome>& outcomes, MessageLog& log,
                         bool counting);

}  // namespace vexora::ui
