#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

#include "ProgramRun.h"
#include "ScriptTestSupport.h"
#include "core/platform/FolderLock.h"
#include "engine/script/ScriptRunner.h"
#include "support/SmallSurvey.h"

namespace vexora {
namespace {

namespace fs = std::filesystem;
using testing::fileText;
using testing::lastLogLine;
using testing::lastProgress;
using testing::runHeadless;
using testing::scriptIn;

const fs::path kAppFolder = VEXORA_APP_DIR;

// The lines before the stand-in core's end: what a real core has written
// when something kills it in its forward model. It also checks that its
// manager named itself and holds the folder's lock.
constexpr std::string_view kStandInStart =
    "#!/bin/sh\n"
    "ulimit -c 0\n"
    "dir=$(dirname \"$2\")\n"
    "flock -n \"$dir/.vexora-job.lock\" true && exit 8\n"
    "printf '2024-05-06 10:00:00\\tLine 4: RUNFORWARDMODEL\\r\\n' >> \"$dir/Log.prg\"\n"
    "printf '60\\tForward modelling\\r\\n' >> \"$dir/Progress.txt\"\n"
    "[ \"$VEXORA_MANAGER_PID\" = \"$PPID\" ] || exit 9\n";

#ifdef VEXORA_HAS_MANAGER
// The manager runs the core of its own folder: a copy beside a stand-in core
// that ends as each case says.
TEST(HostileInputJobs, TheManagerSaysHowTheCoreEndedAndKeepsASecondManagerOut)
{
    const fs::path root = testing::freshFolder("vexora_hostile_manager");
    const fs::path app = root / "app", job = root / "job";
    fs::create_directories(app);
    fs::create_directories(job);
    fs::copy_file(kAppFolder / "VORozurire", app / "VORozurire");
    const fs::path script = job / "FWScript.txt";
    ASSERT_TRUE(writeFileAtomically(
        script, scriptIn(job, "SETMESSAGEPATH \"{F}/Log.prg\" \"{F}/Progress.txt\" \"{F}/Abort.txt\"\r\n")));

    const struct {
        const char* end;
        bool locked;  // another manager holds the folder
        int status;
        std::string lastLog, err;
        ProgressState progress;
    } cases[] = {
        {"kill -KILL $$", false, 128 + SIGKILL, "\tJob failed: the core ended: killed (SIGKILL).", "",
         {60, "Failed: killed (SIGKILL)"}},
        {"kill -SEGV $$", false, 128 + SIGSEGV, "\tJob failed: the core ended: segmentation fault (SIGSEGV).", "",
         {60, "Failed: segmentation fault (SIGSEGV)"}},
        {"kill -ABRT $$", false, 128 + SIGABRT, "\tJob failed: the core ended: aborted (SIGABRT).", "",
         {60, "Failed: aborted (SIGABRT)"}},
        {"exit 7", false, 7, "\tJob failed: the core ended: exit status 7.", "", {60, "Failed: exit status 7"}},
        {"exit 3", false, 3, "\tJob aborted: the core ended: exit status 3.", "", {60, "Aborted"}},
        {"exit 0", true, 1, "\tthe first job's line",
         "A job is already running in " + job.string() + ": this one was not started.", {30, "Inversion"}},
        {"exit 0", false, 0, "\tLine 4: RUNFORWARDMODEL", "", {60, "Forward modelling"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.end) + (c.locked ? ", locked" : ""));
        ASSERT_TRUE(writeFileAtomically(app / "VexoraRUR64", std::string(kStandInStart) + c.end + "\n"));
        fs::permissions(app / "VexoraRUR64", fs::perms::owner_all);
        ASSERT_TRUE(writeFileAtomically(job / "Log.prg", "2024-05-06 09:00:00\tthe first job's line\r\n"));
        ASSERT_TRUE(writeFileAtomically(job / "Progress.txt", "30\tInversion\r\n"));
        const std::string logBefore = fileText(job / "Log.prg"), progressBefore = fileText(job / "Progress.txt");
        int lock = -1;
        if (c.locked) {
            ASSERT_EQ(lockFolder(job, lock), FolderLockStatus::Locked);
        }

        const testing::ProgramRun run = runHeadless(app / "VORozurire", {"VexoraRUR64", script.string(), "FWM"});
        if (c.locked) ::close(lock);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_TRUE(lastLogLine(job / "Log.prg").ends_with(c.lastLog)) << fileText(job / "Log.prg");
        EXPECT_EQ(lastProgress(job / "Progress.txt"), c.progress);
        if (c.locked) {
            EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
            EXPECT_EQ(fileText(job / "Log.prg"), logBefore);
            EXPECT_EQ(fileText(job / "Progress.txt"), progressBefore);
        } else {
            // The last line printed is the file's.
            const std::string printed = std::to_string(c.progress.percent) + "\t" + c.progress.stage + "\n";
            EXPECT_TRUE(run.out.ends_with(printed)) << run.out;
        }
    }
    fs::remove_all(root);
}

// A folder name that is no valid UTF-8 names the same folder from the
// command line to the core's results.
TEST(HostileInputJobs, AJobInAFolderNamedWithBytesOfNoEncodingRunsThrough)
{
    const fs::path root = testing::freshFolder("vexora_hostile_bytes");
    const fs::path folder = root / "latin1\xe9\xff.VXRprj";
    ASSERT_TRUE(writeFileAtomically(root / "small.data", testing::smallSurvey()));
    ASSERT_EQ(testing::runVexora({"job", "fwm", (root / "small.data").string(), (root / "latin1\xe9\xff").string(),
                                  "--no-start"}).code, 0);
    const testing::ProgramRun run =
        runHeadless(kAppFolder / "VORozurire", {"VexoraRUR64", (folder / "FWScript.txt").string(), "FWM"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(lastLogLine(folder / "FWMLog.prg").ends_with("\tScript completed."));
    EXPECT_TRUE(fs::exists(folder / "FWDataOutput.data"));
    fs::remove_all(root);
}
#endif

// Without its manager nobody follows the job: the core stops before its next
// command, and a result of the commands not run is not written.
TEST(HostileInputJobs, ACoreWhoseManagerHasEndedStopsAfterItsCurrentStep)
{
    const fs::path folder = testing::prepareSampleJob("vexora_hostile_orphan");
    const std::string input = fileText(folder / "DataInput.data");
    const fs::path script = folder / "Job.txt";
    ASSERT_TRUE(writeFileAtomically(script, scriptIn(folder, "SETMESSAGEPATH \"{F}/Log.prg\" \"{F}/Progress.txt\" "
                                                             "\"{F}/Abort.txt\"\r\n"
                                                             "LOADCONFIGURATION \"{F}/DataInput.data\"\r\n"
                                                             "GENERATEMESH\r\n"
                                                             "SAVECONFIGURATION \"{F}/Out.data\"\r\n")));
    const struct {
        int goneAtCheck;  // the manager is found gone at this check before a command, 0 never
        ScriptStatus status;
        std::string lastLog;
        ProgressState progress;
    } cases[] = {
        {3, ScriptStatus::Stopped,
         "\tScript stopped before line 3 (GENERATEMESH): the manager that started the core has ended.",
         {24, "Loading configuration"}},
        {4, ScriptStatus::Stopped,
         scriptIn(folder, "\tScript stopped before line 4 (SAVECONFIGURATION \"{F}/Out.data\"): the manager that "
                          "started the core has ended."),
         {49, "Generating mesh"}},
        {0, ScriptStatus::Completed, "\tScript completed.", {100, "Script completed"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.goneAtCheck);
        fs::remove(folder / "Out.data");
        int checks = 0;
        EXPECT_EQ(runCoreScript(script, nullptr, [&] { return c.goneAtCheck != 0 && ++checks >= c.goneAtCheck; }),
                  c.status);
        EXPECT_TRUE(lastLogLine(folder / "Log.prg").ends_with(c.lastLog)) << lastLogLine(folder / "Log.prg");
        EXPECT_EQ(lastProgress(folder / "Progress.txt"), c.progress);
        EXPECT_EQ(fs::exists(folder / "Out.data"), c.status == ScriptStatus::Completed);
        EXPECT_EQ(fileText(folder / "DataInput.data"), input);
    }

    // The core program hears of its manager from the environment: one that is
    // not its parent has ended before the first command.
    const testing::ProgramRun run =
        runHeadless(kAppFolder / "VexoraRUR64", {"RUNSCRIPT", script.string()}, {"VEXORA_MANAGER_PID=1"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Script stopped before line 1 (SETMESSAGEPATH "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("): the manager that started the core has ended."), std::string::npos) << run.err;
    fs::remove_all(folder.parent_path());
}

}  // namespace
}  // namespace vexora
