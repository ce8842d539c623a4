#include <gtest/gtest.h>

#include "JobTestSupport.h"
#include "core/jobs/RurVexora.h"
#include "core/platform/FileSystemRoots.h"
#include "core/platform/ScriptedProcessLauncher.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/shell/DataFileConversion.h"
#include "core/shell/ExternalPrograms.h"
#include "core/shell/ShellFolders.h"
#include "core/shell/ViewerScript.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;
using vexora::testing::fileText;

void touch(const fs::path& file, const std::string& text = "program")
{
    fs::create_directories(file.parent_path());
    ASSERT_TRUE(writeFileAtomically(file, text));
}

// /proc/self is a folder nobody can write in, not even root, that holds a
// regular file: "exe" (a link to this test program).
const fs::path kReadOnlyFolder = "/proc/self";

struct ExternalFixture : ::testing::Test {
    fs::path root = vexora::testing::freshFolder("vexora_external");
    MemoryUserSettings settings;
    ScriptedQuestions questions;
    ScriptedProcessLauncher launcher;
    FixedFileSystemRoots roots{{root / "drive"}};
    MessageLog log;
    ExternalEnvironment environment{settings, questions, launcher, roots, log, nullptr, root / "user data"};

    ~ExternalFixture() override { fs::remove_all(root); }
};

TEST_F(ExternalFixture, AValidStoredFolderStartsTheProgramWithoutAQuestion)
{
    const fs::path folder = root / "drive" / "Vexora Viewer";
    touch(folder / "VexoraViewer.exe");
    settings.setValue("Paths", "VexoraViewer.exe", folder.string() + "/");

    EXPECT_EQ(RunExternal(environment, kViewerProgram), ExternalStatus::Started);
    EXPECT_TRUE(questions.questions().empty());
    ASSERT_EQ(launcher.requests().size(), 1u);
    EXPECT_EQ(launcher.requests()[0].program, folder / "VexoraViewer.exe");
    EXPECT_TRUE(launcher.requests()[0].arguments.empty());
    EXPECT_EQ(launcher.requests()[0].workingFolder, folder);
}

TEST_F(ExternalFixture, TheProgramBesideTheWorkbenchStartsBeforeAStoredFolderWithoutAQuestion)
{
    // The viewer built beside the workbench, under its bare name; a stale
    // stored folder is not even looked at, nothing is searched or stored.
    environment.applicationFolder = root / "app";
    touch(root / "app" / "VexoraViewer");
    settings.setValue("Paths", "VexoraViewer.exe", (root / "deleted").string() + "/");
    const fs::path script = root / "Temp.ohm";
    touch(script, "FILENAME ViewMesh.vwer\r\n");

    EXPECT_EQ(RunExternal(environment, kViewerProgram, script), ExternalStatus::Started);
    EXPECT_TRUE(questions.questions().empty());
    EXPECT_TRUE(questions.messages().empty());
    ASSERT_EQ(launcher.requests().size(), 1u);
    EXPECT_EQ(launcher.requests()[0].program, root / "app" / "VexoraViewer");
    EXPECT_EQ(launcher.requests()[0].workingFolder, root / "app");
    EXPECT_EQ(launcher.requests()[0].arguments, std::vector<std::string>{"EV_Temp.ohm"});
    EXPECT_EQ(fileText(root / "app" / "EV_Temp.ohm"), "FILENAME ViewMesh.vwer\r\n");
    EXPECT_EQ(settings.value("Paths", "VexoraViewer.exe"), (root / "deleted").string() + "/");
}

TEST_F(ExternalFixture, AStaleFolderAsksAndCancelStoresNothing)
{
    settings.setValue("Paths", "VexoraSequencer.exe", (root / "deleted").string() + "/");
    questions.setDefaultAnswer(false);

    EXPECT_EQ(RunExternal(environment, kSequencerProgram), ExternalStatus::Cancelled);
    ASSERT_EQ(questions.questions().size(), 1u);
    EXPECT_EQ(questions.questions()[0].text,
              "Path not registered or bad path. Either use 'Options>Set Path for EXE' or click OK to search.");
    EXPECT_EQ(settings.value("Paths", "VexoraSequencer.exe"), (root / "deleted").string() + "/");
    EXPECT_TRUE(launcher.requests().empty());
    EXPECT_TRUE(questions.messages().empty());
}

TEST_F(ExternalFixture, ASearchStoresTheFolderFoundSoTheNextStartAsksNothing)
{
    // Found under its bare name where programs carry no ".exe"; the earlier
    // folder in name order is searched first, a link loop does not trap it.
    const fs::path found = root / "drive" / "b" / "apps" / "viewer";
    touch(found / "VexoraViewer");
    touch(root / "drive" / "c" / "VexoraViewer.exe");
    fs::create_directories(root / "drive" / "a" / "empty");
    fs::create_directory_symlink(root / "drive", root / "drive" / "a" / "loop");
    questions.setDefaultAnswer(true);

    EXPECT_EQ(RunExternal(environment, kViewerProgram), ExternalStatus::Started);
    EXPECT_EQ(questions.questions().size(), 1u);
    EXPECT_EQ(settings.value("Paths", "VexoraViewer.exe"), found.string() + "/");
    ASSERT_EQ(launcher.requests().size(), 1u);
    EXPECT_EQ(launcher.requests()[0].program, found / "VexoraViewer");

    EXPECT_EQ(RunExternal(environment, kViewerProgram), ExternalStatus::Started);
    EXPECT_EQ(questions.questions().size(), 1u);
    EXPECT_EQ(launcher.requests().size(), 2u);
}

TEST_F(ExternalFixture, NoDriveHoldingTheProgramIsReported)
{
    fs::create_directories(root / "drive" / "x");
    questions.setDefaultAnswer(true);
    EXPECT_EQ(RunExternal(environment, kSequencerProgram), ExternalStatus::Failed);
    ASSERT_EQ(questions.messages().size(), 1u);
    EXPECT_EQ(questions.messages()[0].title, "Vexora64 - Component not found!");
    EXPECT_EQ(questions.messages()[0].text, "Component not found! Please contact your Vexora Provider.");
    EXPECT_FALSE(settings.value("Paths", "VexoraSequencer.exe").has_value());
}

TEST_F(ExternalFixture, ACancelledSearchStoresNothing)
{
    touch(root / "drive" / "z" / "VexoraViewer.exe");
    fs::create_directories(root / "drive" / "a" / "b");
    struct CancelAfter : SearchFeedback {
        int left = 2;
        std::vector<fs::path> seen;
        bool searching(const fs::path& folder) override
        {
            seen.push_back(folder);
            return left-- > 0;
        }
    } feedback;
    environment.searchFeedback = &feedback;
    questions.setDefaultAnswer(true);

    EXPECT_EQ(RunExternal(environment, kViewerProgram), ExternalStatus::Cancelled);
    EXPECT_EQ(feedback.seen, (std::vector<fs::path>{root / "drive", root / "drive" / "a", root / "drive" / "a" / "b"}));
    EXPECT_FALSE(settings.value("Paths", "VexoraViewer.exe").has_value());
    EXPECT_TRUE(questions.messages().empty());
}

TEST_F(ExternalFixture, AHandedOverFileIsCopiedOverAnyOldEvTemp)
{
    const fs::path folder = root / "drive" / "viewer";
    touch(folder / "VexoraViewer.exe");
    touch(folder / "EV_Temp.ohm", "old script");
    touch(root / "my script.ohm", "FILENAME x\r\n#EXIT\r\n");
    settings.setValue("Paths", "VexoraViewer.exe", folder.string() + "/");

    EXPECT_EQ(RunExternal(environment, kViewerProgram, root / "my script.ohm"), ExternalStatus::Started);
    EXPECT_EQ(fileText(folder / "EV_Temp.ohm"), "FILENAME x\r\n#EXIT\r\n");
    ASSERT_EQ(launcher.requests().size(), 1u);
    EXPECT_EQ(launcher.requests()[0].arguments, (std::vector<std::string>{"EV_Temp.ohm"}));
}

TEST_F(ExternalFixture, AReadOnlyProgramFolderGetsTheCopyInTheUserFolderByFullPath)
{
    touch(root / "view.ohm", "FILENAME y\r\n");
    settings.setValue("Paths", "exe", kReadOnlyFolder.string() + "/");

    EXPECT_EQ(RunExternal(environment, "exe", root / "view.ohm"), ExternalStatus::Started);
    EXPECT_EQ(fileText(root / "user data" / "EV_Temp.ohm"), "FILENAME y\r\n");
    ASSERT_EQ(launcher.requests().size(), 1u);
    EXPECT_EQ(launcher.requests()[0].arguments, (std::vector<std::string>{(root / "user data" / "EV_Temp.ohm").string()}));
    EXPECT_EQ(launcher.requests()[0].workingFolder, kReadOnlyFolder);
}

TEST_F(ExternalFixture, AStartFailureIsLogged)
{
    touch(root / "drive" / "VexoraViewer.exe");
    settings.setValue("Paths", "VexoraViewer.exe", (root / "drive").string() + "/");
    launcher.failWith("Exec format error");
    EXPECT_EQ(RunExternal(environment, kViewerProgram), ExternalStatus::Failed);
    EXPECT_NE(log.plainText().find("Error: RunExternal: " + (root / "drive" / "VexoraViewer.exe").string() +
                                   " not started: Exec format error"),
              std::string::npos);
}

TEST(ViewerScript, SectionsThroughTheCentreWithTheWorkspaceTail)
{
    struct Case {
        SectionCentre centre;
        std::string_view tail;
        const char* point;
    };
    const Case cases[] = {
        {{10.5, -3, 2.25}, kWorkspaceSectionTail, "10.5 -3 2.25 0 2 10 1 0"},
        {{0.1 + 0.2, 1e20, -0.000125}, kMeshWorkspaceSectionTail, "0.3 1e+20 -0.000125 0 1 10 1 0"},
        {{123456789.123456789, 0, 1.0 / 3}, kWorkspaceSectionTail, "123456789.123457 0 0.333333333333333 0 2 10 1 0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(viewerScriptText("/opt/Vexora 64/ViewMesh.vwer", c.centre, c.tail),
                  std::string("FILENAME /opt/Vexora 64/ViewMesh.vwer\r\nSPLASHSCREEN 10\r\nELECTRODES 1\r\n") +
                      "SECTION xy 0 0 1 " + c.point + "\r\nSECTION yz 1 0 0 " + c.point +
                      "\r\nSECTION xz 0 1 0 " + c.point + "\r\n#EXIT\r\n");
    }
    const fs::path root = vexora::testing::freshFolder("vexora_viewer_script");
    EXPECT_EQ(viewerWorkFolder(root, root / "user"), root);
    EXPECT_EQ(viewerWorkFolder(kReadOnlyFolder, root / "user"), root / "user");
    MessageLog log;
    EXPECT_EQ(WriteViewerScript(root / "Temp.ohm", root / "ViewMesh.vwer", {1, 2, 3}, log), Status::Ok);
    EXPECT_EQ(WriteViewerScript(kReadOnlyFolder / "Temp.ohm", root / "ViewMesh.vwer", {1, 2, 3}, log), Status::Error);
    EXPECT_NE(log.plainText().find("Error: WriteViewerScript: /proc/self/Temp.ohm not written"), std::string::npos);
    fs::remove_all(root);
}

TEST(DataFileConversion, TheCoreRunsATwoLineScriptOnTheChosenFile)
{
    EXPECT_EQ(convertedFileName("/data/survey.data"), "/data/survey.vwer");
    EXPECT_EQ(convertedFileName("/data/survey.dat"), "/data/surve.vwer");  // always five characters off
    EXPECT_EQ(convertedFileName("a.txt"), ".vwer");

    const fs::path root = vexora::testing::freshFolder("vexora_convert");
    const fs::path app = root / "app folder";
    touch(app / "VexoraRUR64");
    touch(root / "my survey.data");
    ScriptedProcessLauncher launcher;
    MessageLog log;
    ASSERT_EQ(convertDataFile(root / "my survey.data", DataFileConversion::FullMesh, app, root / "user", launcher, log),
              Status::Ok);
    EXPECT_EQ(fileText(app / "Temp.txt"), "LOADCONFIGURATION \"" + (root / "my survey.data").string() +
                                              "\"\r\nSAVEMESH \"" + (root / "my survey.vwer").string() +
                                              "\" FULL TXT\r\n");
    ASSERT_EQ(launcher.requests().size(), 1u);
    EXPECT_EQ(launcher.requests()[0].program, app / "VexoraRUR64");
    EXPECT_EQ(launcher.requests()[0].arguments, (std::vector<std::string>{"RUNSCRIPT", (app / "Temp.txt").string()}));
    EXPECT_EQ(launcher.requests()[0].workingFolder, app);

    // Read-only application folder: the script goes to the user's folder.
    touch(root / "b.data");
    EXPECT_EQ(convertDataFile(root / "b.data", DataFileConversion::ViewerModel, kReadOnlyFolder, root / "user",
                              launcher, log),
              Status::Error);  // no core program in /proc/self
    EXPECT_NE(fileText(root / "user" / "Temp.txt").find("\" BOUNDS BIN\r\n"), std::string::npos);
    EXPECT_NE(log.plainText().find("Error: Menu Convert: /proc/self/VexoraRUR64.exe not found!"), std::string::npos);
    EXPECT_NE(log.plainText().find("Error: Menu Convert: " + (root / "b.data").string() + " not converted"),
              std::string::npos);
    fs::remove_all(root);
}

TEST(FileSystemRoots, RootAndRealVolumesFromTheMountTable)
{
    const char* table =
        "/dev/sda1 / ext4 rw,relatime 0 0\n"
        "proc /proc proc rw,nosuid 0 0\n"
        "sysfs /sys sysfs rw 0 0\n"
        "udev /dev devtmpfs rw 0 0\n"
        "tmpfs /run tmpfs rw 0 0\n"
        "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
        "/dev/sda2 /home ext4 rw 0 0\n"
        "/dev/sdb1 /media/usb\\040stick vfat rw 0 0\n"
        "server:/export /mnt/nfs nfs4 rw 0 0\n"
        "/dev/sda1 / ext4 rw 0 0\n";
    EXPECT_EQ(rootsFromMountTable(table),
              (std::vector<fs::path>{"/", "/home", "/media/usb stick", "/mnt/nfs"}));
    const std::vector<fs::path> machine = MountedFileSystemRoots().roots();
    ASSERT_FALSE(machine.empty());
    EXPECT_EQ(machine[0], "/");
    EXPECT_EQ(std::count(machine.begin(), machine.end(), fs::path("/proc")), 0);
}

TEST(ShellFolders, FoldersAndProgramNames)
{
    EXPECT_EQ(applicationDataFolder("/opt/Vexora/bin"), "/opt/Vexora/VexoraDATA");
    EXPECT_EQ(applicationDataFolder("/opt/Vexora/bin/"), "/opt/Vexora/VexoraDATA");
    EXPECT_EQ(folderWithTrailingSeparator("/opt/viewer"), "/opt/viewer/");
    EXPECT_EQ(folderWithTrailingSeparator("/opt/viewer/"), "/opt/viewer/");

    EXPECT_EQ(programFileNames("VexoraViewer.exe"), (std::vector<std::string>{"VexoraViewer.exe", "VexoraViewer"}));
    EXPECT_EQ(programFileNames("Vexora_AMP2DATA.EXE"),
              (std::vector<std::string>{"Vexora_AMP2DATA.EXE", "Vexora_AMP2DATA"}));
    EXPECT_EQ(programFileNames("hh"), (std::vector<std::string>{"hh"}));

    const fs::path root = vexora::testing::freshFolder("vexora_locate");
    EXPECT_FALSE(locateProgramFile(root, "VexoraRUR64.exe"));
    fs::create_directory(root / "VexoraRUR64.exe");  // a folder is no program
    EXPECT_FALSE(locateProgramFile(root, "VexoraRUR64.exe"));
    touch(root / "VexoraRUR64");
    EXPECT_EQ(locateProgramFile(root, "VexoraRUR64.exe"), root / "VexoraRUR64");
    fs::remove_all(root);
}

}  // namespace
