#pragma once
// The main window's unattended inversions: "Run Console Inversion" inverts
// the chosen data file, "Batch processing" every file chosen in turn, each
// in a new project folder beside its data file. They use a store of their
// own, so the open project is never touched.

#include <vector>

#include "core/jobs/ConsoleInversion.h"

namespace vexora::ui {

class FileDialogs;
class MDIStart;

void connectInversionRuns(MDIStart& window, MessageLog& log, FileDialogs& fileDialogs);

// One log line per run: where it started, or that it failed.
void logInversionOutcomes(const std::vector<ConsoleRunOutcome>& outcomes, MessageLog& log);

}  // namespace vexora::ui
