#include "ui/jobs/InversionRuns.h"

#include <algorithm>
#include <memory>

#include <QPointer>

#include "core/jobs/ConsoleInversion.h"
#include "core/jobs/JobResults.h"
#include "core/jobs/RurVexora.h"
#include "core/log/MessageLog.h"
#include "ui/jobs/InvWork.h"
#include "ui/jobs/JobFollower.h"
#include "ui/platform/FileDialogs.h"
#include "ui/platform/RunHandler.h"
#include "ui/platform/TextConversion.h"
#include "ui/shell/MainWindow.h"

namespace vexora::ui {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kDataFilter = "Data file (*.data)|*.data";

// The open inversion workspace shows batch mode while a batch goes on,
// however it ends.
class BatchModeScope {
public:
    explicit BatchModeScope(MDIStart& window)
        : work_(qobject_cast<InvWork*>(window.taskWindows().window(TaskWindow::InvWork)))
    {
        if (work_) work_->setBatchMode(true);
    }
    ~BatchModeScope()
    {
        if (work_) work_->setBatchMode(false);
    }
    BatchModeScope(const BatchModeScope&) = delete;
    BatchModeScope& operator=(const BatchModeScope&) = delete;

private:
    QPointer<InvWork> work_;
};

std::vector<ConsoleRunOutcome> invert(MDIStart& window, const std::vector<fs::path>& files, MessageLog& log)
{
    ConsoleRunOptions options;
    options.applicationFolder = window.environment().applicationFolder;
    ProjectStore store;
    return runBatchInversion(store, files, options, *window.environment().launcher, log);
}

}  // namespace

void logInversionOutcomes(const std::vector<ConsoleRunOutcome>& outcomes, MessageLog& log)
{
    for (const ConsoleRunOutcome& outcome : outcomes) {
        if (outcome.status == Status::Ok)
            log.subWriteToTextBox("Inversion of " + outcome.dataFile.string() + " started in " +
                                  outcome.folder.string() + kLineBreak);
        else log.subWriteToTextBox("Inversion of " + outcome.dataFile.string() + " failed" + kLineBreak);
    }
}

void followInversionRuns(QObject* owner, const std::vector<ConsoleRunOutcome>& outcomes, MessageLog& log,
                         bool counting)
{
    // Shared by the runs' watches, which end in any order.
    const auto completed = std::make_shared<std::size_t>(0);
    const auto logCount = [&log, completed, files = outcomes.size()] {
        log.subWriteToTextBox("Batch processing: " + std::to_string(*completed) + " of " + std::to_string(files) +
                              " data files inverted" + kLineBreak);
    };
    bool started = false;
    for (const ConsoleRunOutcome& outcome : outcomes) {
        if (outcome.status != Status::Ok) continue;
        started = true;
        followJob(owner, outcome.folder / kProgressFile,
                  [&log, completed, counting, logCount, file = outcome.dataFile,
                   folder = outcome.folder](const ProgressState& end) {
                      log.subWriteToTextBox(jobEndLines("Inversion of " + file.string(), end, folder));
                      if (!counting) return;
                      if (end.stage == kCompletedStage) ++*completed;
                      logCount();
                  });
    }
    if (counting && !started) logCount();
}

void connectInversionRuns(MDIStart& window, MessageLog& log, FileDialogs& fileDialogs)
{
    window.setConsoleInversion([&window, &log](const QString& dataFile) {
        runHandler(log, "mnuRunConsoleInversion", [&] {
            const std::vector<ConsoleRunOutcome> outcomes = invert(window, {toFilePath(dataFile)}, log);
            logInversionOutcomes(outcomes, log);
            followInversionRuns(&window, outcomes, log, false);
        });
    });
    // The open dialog takes one file at a time: it is asked again until
    // cancelled, then the chosen files are inverted in the order chosen.
    window.setBatchProcessing([&window, &log, &fileDialogs] {
        runHandler(log, "mnuBatch", [&] {
            const BatchModeScope batchMode(window);
            std::vector<fs::path> files;
            for (;;) {
                const QString chosen = fileDialogs.openFileName(
                    &window, QStringLiteral("Batch processing - data file %1 (Cancel to start)").arg(files.size() + 1),
                    toQtFilters(kDataFilter));
                if (chosen.isEmpty()) break;
                const fs::path file = toFilePath(chosen);
                if (std::find(files.begin(), files.end(), file) == files.end()) files.push_back(file);
            }
            if (files.empty()) return;
            const std::vector<ConsoleRunOutcome> outcomes = invert(window, files, log);
            logInversionOutcomes(outcomes, log);
            followInversionRuns(&window, outcomes, log, true);
        });
    });
}

}  // namespace vexora::ui
