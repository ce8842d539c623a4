#include <gtest/gtest.h>

#include <QAction>
#include <QTemporaryDir>
#include <QTest>

#include "GuiTestSupport.h"
#include "core/JobTestSupport.h"
#include "core/io/TextFile.h"
#include "core/log/MessageLog.h"
#include "core/platform/FileSystemRoots.h"
#include "core/platform/ScriptedProcessLauncher.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/platform/UserSettings.h"
#include "core/project/ProjectStore.h"
#include "ui/jobs/InvWork.h"
#include "ui/jobs/InversionRuns.h"
#include "ui/platform/TextConversion.h"
#include "ui/shell/MainWindow.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;

struct InversionRuns : ::testing::Test {
    QTemporaryDir temporary;
    fs::path app = ui::toFilePath(temporary.filePath("app"));
    fs::path data = ui::toFilePath(temporary.filePath("field"));
    ProjectStore store;
    MessageLog log;
    ScriptedQuestions questions;
    MemoryUserSettings settings;
    test::ScriptedFileDialogs dialogs;
    ScriptedProcessLauncher launcher;
    FixedFileSystemRoots roots{{app}};
    std::unique_ptr<ui::MDIStart> window;

    void SetUp() override
    {
        fs::create_directories(app);
        fs::create_directories(data);
        vexora::testing::writeStandInProgram(app / "VORozurire.exe");  // never run: the launcher is scripted
        fs::copy_file(fs::path(VEXORA_SAMPLES_DIR) / "sample_survey.data", data / "survey.data");
        window = std::make_unique<ui::MDIStart>(store, log, questions, settings, dialogs,
                                                ui::ShellEnvironment{app, app / "user", &launcher, &roots});
        ui::connectInversionRuns(*window, log, dialogs);
    }

    void trigger(const char* name) { window->findChild<QAction*>(QString::fromLatin1(name))->trigger(); }
    std::string logText() const { return log.plainText(); }
    // Stands in for the core and the manager: the job's progress file as they leave it.
    static void finishJob(const fs::path& folder, const std::string& progress)
    {
        ASSERT_TRUE(writeFileAtomically(folder / "Progress.txt", progress));
    }
    bool waitForLog(const std::string& text)
    {
        return QTest::qWaitFor([&] { return logText().find(text) != std::string::npos; }, 5000);
    }
};

TEST_F(InversionRuns, ConsoleRunInvertsTheChosenFileWithoutTouchingTheProject)
{
    dialogs.queue(ui::fromFilePath(data / "survey.data"));
    trigger("mnuConsoleInversion");
    ASSERT_EQ(launcher.requests().size(), 1u) << logText();
    EXPECT_EQ(launcher.requests()[0].arguments.back(), "INV");
    EXPECT_TRUE(fs::exists(data / "survey.VXRprj" / "InvScript.txt"));
    EXPECT_NE(logText().find("started in " + (data / "survey.VXRprj").string()), std::string::npos) << logText();
    EXPECT_FALSE(store.survey.dataLoaded);
    EXPECT_TRUE(questions.questions().empty());
    EXPECT_TRUE(questions.messages().empty());

    // Cancel does nothing.
    trigger("mnuConsoleInversion");
    EXPECT_EQ(launcher.requests().size(), 1u);
}

TEST_F(InversionRuns, BatchGoesOnAfterAFailedFileAndCounts)
{
    writeFileAtomically(data / "bad.data", "no tags\r\n");
    for (const char* name : {"bad.data", "survey.data", "missing.data"}) dialogs.queue(ui::fromFilePath(data / name));
    trigger("mnuBatch");
    EXPECT_EQ(dialogs.requests().size(), 4u);
    EXPECT_EQ(launcher.requests().size(), 1u) << logText();
    EXPECT_NE(logText().find("Inversion of " + (data / "bad.data").string() + " failed"), std::string::npos);
    EXPECT_FALSE(store.survey.dataLoaded);
    // The count comes when the job has ended, not when it started.
    EXPECT_EQ(logText().find("Batch processing:"), std::string::npos) << logText();
    finishJob(data / "survey.VXRprj", "100\tScript completed\r\n");
    EXPECT_TRUE(waitForLog("Batch processing: 1 of 3 data files inverted")) << logText();
}

// Each end logs how the job ended and the count so far; only completed jobs count.
TEST_F(InversionRuns, BatchCountsFilesWhenTheirJobsEnd)
{
    fs::copy_file(data / "survey.data", data / "second.data");
    for (const char* name : {"survey.data", "second.data"}) dialogs.queue(ui::fromFilePath(data / name));
    trigger("mnuBatch");
    ASSERT_EQ(launcher.requests().size(), 2u) << logText();
    const struct {
        const char* folder;
        const char* progress;
        std::string ended;
        const char* count;
    } ends[] = {
        {"second.VXRprj", "40\tInversion: Iteration 3: model update\r\n40\tFailed: exit status 1\r\n",
         "Inversion of " + (data / "second.data").string() + " ended: Failed: exit status 1",
         "Batch processing: 0 of 2 data files inverted"},
        {"survey.VXRprj", "100\tScript completed\r\n",
         "Inversion of " + (data / "survey.data").string() + " ended: Script completed",
         "Batch processing: 1 of 2 data files inverted"},
    };
    for (const auto& end : ends) {
        EXPECT_EQ(logText().find(end.count), std::string::npos) << end.folder;
        finishJob(data / end.folder, end.progress);
        EXPECT_TRUE(waitForLog(end.ended)) << logText();
        EXPECT_TRUE(waitForLog(end.count)) << logText();
    }
}

TEST_F(InversionRuns, TheOpenWorkspaceShowsBatchModeWhileTheBatchRuns)
{
    ui::registerInvWork(*window, store, log, questions, settings, dialogs);
    window->mnuNewProject_Click(ProjectType::DataInversion);
    window->LinkMenusToTreeView("DI workspace");
    auto* work = qobject_cast<ui::InvWork*>(window->taskWindows().window(TaskWindow::InvWork));
    ASSERT_NE(work, nullptr);
    std::vector<QString> titles;
    dialogs.onRequest = [&] { titles.push_back(work->windowTitle()); };
    dialogs.queue(ui::fromFilePath(data / "survey.data"));
    trigger("mnuBatch");
    EXPECT_EQ(titles, std::vector<QString>(2, QStringLiteral("Inversion workspace - BATCH PROCESSING")));
    EXPECT_EQ(launcher.requests().size(), 1u) << logText();
    EXPECT_EQ(work->windowTitle(), QStringLiteral("Inversion workspace"));
    EXPECT_FALSE(work->batchMode());
    EXPECT_FALSE(store.survey.dataLoaded);
}

}  // namespace
