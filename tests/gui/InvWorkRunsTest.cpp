#include <gtest/gtest.h>

#include <cstdlib>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "GuiTestSupport.h"
#include "core/JobTestSupport.h"
#include "core/io/TextFile.h"
#include "core/log/MessageLog.h"
#include "core/mesh/MeshBuild.h"
#include "core/platform/AvailableMemory.h"
#include "core/platform/FileSystemRoots.h"
#include "core/platform/ScriptedProcessLauncher.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/platform/UserSettings.h"
#include "core/project/ProjectStore.h"
#include "engine/inversion/InversionMemory.h"
#include "ui/jobs/InvWork.h"
#include "ui/jobs/InversionRuns.h"
#include "ui/jobs/ParallelRunFrame.h"
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

// The workspace of a Data Inversion project over the scripted launcher,
// with a stand-in mpirun first on PATH.
struct ParallelInversionRun : InversionRuns {
    ui::InvWork* work = nullptr;
    fs::path bin = ui::toFilePath(temporary.filePath("bin"));
    std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";

    void SetUp() override
    {
        InversionRuns::SetUp();
        fs::create_directories(bin);
        vexora::testing::writeStandInProgram(bin / "mpirun");
        ::setenv("PATH", (bin.string() + ":" + path).c_str(), 1);
        questions.answer(QuestionId::GeometricFactorsWithZ, true);
        ui::registerInvWork(*window, store, log, questions, settings, dialogs);
        window->mnuNewProject_Click(ProjectType::DataInversion);
        window->LinkMenusToTreeView("DI workspace");
        work = qobject_cast<ui::InvWork*>(window->taskWindows().window(TaskWindow::InvWork));
        ASSERT_NE(work, nullptr);
        dialogs.queue(ui::fromFilePath(data / "survey.data"));
        work->findChild<QPushButton*>(QStringLiteral("cmdInputSchedFile"))->click();
        ASSERT_TRUE(store.survey.dataLoaded) << logText();
        work->ipInversionBox()->setChecked(false);
    }
    void TearDown() override { ::setenv("PATH", path.c_str(), 1); }

    void choose(int processes, const fs::path& hostFile)
    {
        work->parallelRun()->processBox()->setValue(processes);
        work->parallelRun()->hostFileEdit()->setText(ui::fromFilePath(hostFile));
    }
    void run() { work->findChild<QPushButton*>(QStringLiteral("cmdRunInverse"))->click(); }
};

TEST_F(ParallelInversionRun, TheChosenProcessesGoToTheManagerAndAreKeptForTheUser)
{
    QLineEdit* hostFile = work->parallelRun()->hostFileEdit();
    EXPECT_EQ(work->parallelRun()->processBox()->value(), 1);
    EXPECT_FALSE(hostFile->isEnabled());
    const fs::path hosts = data / "cluster hosts";
    ASSERT_TRUE(writeFileAtomically(hosts, "node1 slots=2\r\n"));
    choose(2, hosts);
    EXPECT_TRUE(hostFile->isEnabled());
    EXPECT_EQ(settings.value("ParallelRun", "Processes"), "2");
    EXPECT_EQ(settings.value("ParallelRun", "HostFile"), hosts.string());

    dialogs.queue(ui::fromFilePath(data / "two ranks"));
    run();
    ASSERT_EQ(launcher.requests().size(), 1u) << logText();
    const std::vector<std::string>& arguments = launcher.requests().back().arguments;
    ASSERT_GE(arguments.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(arguments.end() - 4, arguments.end()),
              (std::vector<std::string>{"--processes", "2", "--hostfile", hosts.string()}));
    EXPECT_TRUE(fs::exists(data / "two ranks.VXRprj" / "InvScript.txt"));

    // One process names no host file, whatever the box holds.
    work->parallelRun()->processBox()->setValue(1);
    EXPECT_FALSE(hostFile->isEnabled());
    dialogs.queue(ui::fromFilePath(data / "one rank"));
    run();
    ASSERT_EQ(launcher.requests().size(), 2u) << logText();
    EXPECT_EQ(launcher.requests().back().arguments.back(), "INV");

    // A new workspace starts from the kept choice.
    MessageLog otherLog;
    test::ScriptedFileDialogs otherDialogs;
    ProjectStore other;
    settings.setValue("ParallelRun", "Processes", "3");
    ui::ParallelRunFrame again(other, settings, otherDialogs, questions);
    EXPECT_EQ(again.processes().count, 3);
    EXPECT_EQ(again.processes().hostFile, hosts);
}

TEST_F(ParallelInversionRun, AMissingHostFileOrMpirunStartsNothing)
{
    const fs::path missing = data / "no such hosts";
    const struct {
        const char* name;
        std::string pathVariable;
        std::string message;
    } cases[] = {
        {"missing host file", bin.string(), "Host file " + missing.string() + " not found!"},
        {"no mpirun", data.string(), "mpirun not found: install OpenMPI (openmpi-bin) to run a job on 2 processes."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ::setenv("PATH", c.pathVariable.c_str(), 1);
        choose(2, missing);
        const std::size_t asked = dialogs.requests().size();
        const std::size_t errors = log.errorCount();
        run();
        ASSERT_FALSE(questions.messages().empty());
        EXPECT_EQ(questions.messages().back().text, c.message);
        EXPECT_EQ(log.errorCount(), errors + 1);
        EXPECT_NE(logText().find(c.message), std::string::npos);
        EXPECT_EQ(dialogs.requests().size(), asked);  // no project folder asked for
        EXPECT_TRUE(launcher.requests().empty());
        EXPECT_EQ(vexora::testing::fileNames(data), std::vector<std::string>{"survey.data"});
    }
}

TEST_F(ParallelInversionRun, TheMemoryEstimateFollowsTheMeshAndTheProcessCount)
{
    QLabel* label = work->parallelRun()->estimateLabel();
    EXPECT_EQ(label->text(), QStringLiteral("Memory: the estimate comes once the mesh is built."));
    MeshBuildOutcome outcome;
    ASSERT_EQ(applyMeshSettings(store.settings, store.mesh, log), Status::Ok) << logText();
    ASSERT_EQ(funMakeMesh(store.settings, store.survey, store.mesh, store.models, log, outcome), Status::Ok);
    const InversionSize size = inversionSizeOf(store.mesh, store.survey, store.settings);
    EXPECT_EQ(size.gridPoints, static_cast<std::int64_t>(store.mesh.nodeGrid.size()));
    EXPECT_GT(size.data, 0);
    const std::string twoRanks =
        "Memory: " + inversionMemoryText(inversionMemoryPerRank(size, 2, availableMemoryBytes()), 2);
    choose(2, {});
    EXPECT_EQ(label->text().toStdString(), twoRanks);
    EXPECT_NE(twoRanks.find(" per rank on 2 ranks (forward model "), std::string::npos);
    EXPECT_EQ(ui::inversionMemoryNote(store, {1, {}}, 0),
              "Memory: " + inversionMemoryText(inversionMemoryPerRank(size, 1, 0), 1));

    // Short of memory: the ranks here share it; machines of their own each
    // would take it on as many ranks as ranksThatFit says.
    const CoreProcesses two{2, {}};
    const std::uint64_t perRank = inversionMemoryPerRank(size, 2, 1ull << 40).total();
    const std::uint64_t available = perRank + perRank / 2;
    const std::string shortOfIt = "Memory: " + inversionMemoryText(inversionMemoryPerRank(size, 2, available), 2) +
                                  "; more than the " + std::to_string(available >> 20) +
                                  " MB available to 2 ranks on this machine. ";
    const int fit = ranksThatFit(size, available, kMostCoreProcesses);
    ASSERT_GT(fit, 0);
    EXPECT_EQ(ui::inversionMemoryNote(store, two, available),
              shortOfIt + (fit == 1 ? std::string("It fits as one process.")
                                    : "It fits on " + std::to_string(fit) +
                                          " ranks (machines with this much memory each)."));
    // Room for one of two ranks but not for one process alone.
    const std::uint64_t room = (perRank + inversionMemoryPerRank(size, 1, 1ull << 40).total()) / 2;
    const int ranks = ranksThatFit(size, room, kMostCoreProcesses);
    ASSERT_GT(ranks, 1);
    EXPECT_EQ(ui::inversionMemoryNote(store, two, room),
              "Memory: " + inversionMemoryText(inversionMemoryPerRank(size, 2, room), 2) + "; more than the " +
                  std::to_string(room >> 20) + " MB available to 2 ranks on this machine. It fits on " +
                  std::to_string(ranks) + " ranks (machines with this much memory each).");
    EXPECT_EQ(ui::inversionMemoryNote(store, {2, data / "hosts"}, available),
              "Memory: " + inversionMemoryText(inversionMemoryPerRank(size, 2, available), 2));
    EXPECT_EQ(ui::inversionMemoryNote(store, two, 1 << 20),
              "Memory: " + inversionMemoryText(inversionMemoryPerRank(size, 2, 1 << 20), 2) +
                  "; more than the 1 MB available to 2 ranks on this machine. More ranks do not help: use a "
                  "coarser mesh.");

    // The job's data file holds the quadrupoles counted, not the skipped ones.
    dialogs.queue(ui::fromFilePath(data / "estimated"));
    run();
    const std::string written = vexora::testing::fileText(data / "estimated.VXRprj" / "DataInput.data");
    const std::size_t start = written.find("#data_start"), end = written.find("#data_end");
    ASSERT_LT(start, end);
    std::int64_t rows = 0;
    for (std::size_t at = written.find('\n', start) + 1; at < end; at = written.find('\n', at) + 1)
        rows += written[at] != '!';
    EXPECT_EQ(rows, size.data);
    EXPECT_EQ(label->text(), QStringLiteral("Memory: the estimate comes once the mesh is built."));
    EXPECT_LT(size.data, static_cast<std::int64_t>(store.survey.quadrupoles.size()));
}

}  // namespace
