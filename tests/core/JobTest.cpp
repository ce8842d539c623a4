#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "JobTestSupport.h"
#include "core/datafile/ScheduleLoader.h"
#include "core/jobfiles/SensitivityRequest.h"
#include "core/jobs/ProjectFolder.h"
#include "core/jobs/RurVexora.h"
#include "core/platform/PosixProcessLauncher.h"
#include "core/platform/ScriptedProcessLauncher.h"
#include "core/platform/ScriptedQuestions.h"
#include "support/SmallSurvey.h"

namespace {

using namespace vexora;
using vexora::testing::fileNames;
using vexora::testing::fileText;
namespace fs = std::filesystem;

ProjectStore smallProject()
{
    ProjectStore store;
    MessageLog log;
    ScriptedQuestions questions;
    store.type = ProjectType::DataInversion;
    EXPECT_EQ(loadScheduleText(store, vexora::testing::smallSurvey(), {"small.data", store.type}, log, questions), LoadStatus::Loaded)
        << log.plainText();
    return store;
}

// A path as the core reads it: in double quotes, inner quotes doubled.
std::string q(const fs::path& path)
{
    std::string out = "\"";
    for (char c : path.string()) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::string lines(std::initializer_list<std::string> list)
{
    std::string text;
    for (const std::string& line : list) text += line + "\r\n";
    return text;
}

struct JobCase {
    const char* kind;
    const char* script;
    std::vector<std::string> files;
    const char* kindWord;
};

std::string expectedScript(const JobCase& job, const fs::path& f)
{
    const std::string kind = job.kind;
    if (kind == "INV")
        return lines({"SETMESSAGEPATH " + q(f / "InvLog.prg") + " " + q(f / "Progress.txt") + " " + q(f / "Abort.txt"),
                      "LOADCONFIGURATION " + q(f / "DataInput.data"), "GENERATEMESH", "RUNINVERSION",
                      "SAVEMESH " + q(f / "InvModelOutput.vwer") + " BOUNDS BIN",
                      "SAVEMESH " + q(f / "InvFullMeshOutput.vwer") + " FULL TXT",
                      "SAVECONFIGURATION " + q(f / "InvDataOutput.data") + " V1"});
    if (kind == "FWM")
        return lines({"SETMESSAGEPATH " + q(f / "FWMLog.prg") + " " + q(f / "Progress.txt") + " " + q(f / "Abort.txt"),
                      "LOADCONFIGURATION " + q(f / "DataInput.data"), "GENERATEMESH", "RUNFORWARDMODEL",
                      "SAVECONFIGURATION " + q(f / "FWDataOutput.data") + " V1"});
    return lines({"SETMESSAGEPATH " + q(f / "SensLog.prg") + " " + q(f / "Progress.txt") + " " + q(f / "Abort.txt"),
                  "LOADCONFIGURATION " + q(f / "DataInput.data"), "GENERATEMESH",
                  "GENERATESENSITIVITY " + q(f / "SensInfo.json"),
                  "SAVEMESH " + q(f / "SensModelOutput.vwer") + " BOUNDS BIN",
                  "SAVECONFIGURATION " + q(f / "SensDataOutput.data")});
}

TEST(RurVexora, EveryJobKindFillsItsFolderAndStartsTheManagerOnItsScript)
{
    const fs::path root = vexora::testing::freshFolder("vexora_jobs");
    // Spaces, quotes and a non-ASCII letter in the application folder too.
    const fs::path app = root / "Vexora \"x\" caf\xc3\xa9";
    fs::create_directories(app);
    vexora::testing::writeStandInProgram(app / "VORozurire.exe");

    const JobCase cases[] = {
        {"INV", "InvScript.txt", {"DataInput.data", "InvScript.txt"}, "INV"},
        {"FWM", "FWScript.txt", {"DataInput.data", "FWScript.txt"}, "FWM"},
        {"251", "SensScript.txt", {"DataInput.data", "SensInfo.json", "SensScript.txt"}, "SENS"},
    };
    const char* folderNames[] = {"plain", "with spaces", "say \"hi\"", "r\xc3\xa9sistivit\xc3\xa9"};
    PosixProcessLauncher launcher;
    for (const JobCase& job : cases) {
        for (const char* name : folderNames) {
            SCOPED_TRACE(std::string(job.kind) + " in " + name);
            const fs::path folder = projectFolderFor(root / (std::string(job.kind) + " " + name));
            fs::create_directory(folder);
            fs::remove(app / vexora::testing::kLaunchRecord);
            ProjectStore store = smallProject();
            store.mesh.present = true;
            MessageLog log;

            ASSERT_EQ(funRunRurJob(store, folder, job.kind, app, launcher, log, "2024-05-06"), Status::Ok)
                << log.plainText();
            EXPECT_FALSE(store.mesh.present);
            EXPECT_EQ(fileNames(folder), job.files);
            const fs::path script = folder / job.script;
            EXPECT_EQ(fileText(script), expectedScript(job, folder));
            EXPECT_EQ(vexora::testing::waitForLaunchRecord(app),
                      (std::vector<std::string>{app.string(), "VexoraRUR64", script.string(), job.kindWord}));
            EXPECT_EQ(log.errorCount(), 0u) << log.plainText();
        }
    }

    // The quoting written out once by hand: inner quotes doubled.
    const std::string sens = fileText(root / "251 say \"hi\".VXRprj" / "SensScript.txt");
    EXPECT_NE(sens.find("GENERATESENSITIVITY \"" + root.string() + "/251 say \"\"hi\"\".VXRprj/SensInfo.json\"\r\n"),
              std::string::npos)
        << sens;
    fs::remove_all(root);
}

TEST(RurVexora, DataInputHoldsTheFullConfigurationAndOnlyTheQuadrupolesNotSkipped)
{
    const fs::path folder = vexora::testing::freshFolder("vexora_job_input");
    ProjectStore store = smallProject();
    ASSERT_EQ(store.survey.quadrupoles.skip, (std::vector<std::int16_t>{0, 0, 1, 0}));
    MessageLog log;
    fs::path script;
    ASSERT_EQ(prepareRurJob(store, folder, "INV", script, log, "2024-05-06"), Status::Ok) << log.plainText();

    const std::string text = fileText(folder / "DataInput.data");
    EXPECT_EQ(text.rfind("#Vexora+_Solver\r\n#version_number= 1.2.0\r\n#date= 2024-05-06\r\n", 0), 0u);
    EXPECT_NE(text.find("#elec_x_col= 3\r\n"), std::string::npos);
    EXPECT_EQ(text.find("#Vexora+\r\n"), std::string::npos) << "the blocks follow the configuration, no short header";

    // Read back, the file holds the first, second and fourth quadrupole
    // (the reader numbers rows afresh: they are told by their V/I), none skipped.
    ProjectStore back;
    ScriptedQuestions questions;
    MessageLog readLog;
    ASSERT_EQ(loadScheduleText(back, text, {"DataInput.data", back.type}, readLog, questions), LoadStatus::Loaded) << readLog.plainText();
    EXPECT_EQ(back.survey.quadrupoles.resistance, (std::vector<double>{0.5, 0.25, 0.125}));
    EXPECT_EQ(back.survey.quadrupoles.skip, (std::vector<std::int16_t>{0, 0, 0}));
    EXPECT_EQ(back.survey.electrodes, store.survey.electrodes);
    EXPECT_EQ(back.survey.topography.size(), 3u);
    fs::remove_all(folder);
}

TEST(RurVexora, ARelativeFolderGivesAbsolutePathsToTheManager)
{
    // The manager runs in the application folder, so a folder named
    // relative to ours would point elsewhere.
    const fs::path root = vexora::testing::freshFolder("vexora_job_relative");
    const fs::path previous = fs::current_path();
    fs::current_path(root);
    fs::create_directory("rel.VXRprj");
    ProjectStore store = smallProject();
    MessageLog log;
    fs::path script;
    ASSERT_EQ(prepareRurJob(store, "rel.VXRprj", "INV", script, log, "2024-05-06"), Status::Ok) << log.plainText();
    fs::current_path(previous);
    EXPECT_EQ(script, fs::canonical(root) / "rel.VXRprj" / "InvScript.txt");
    EXPECT_NE(fileText(script).find("LOADCONFIGURATION \"" + (fs::canonical(root) / "rel.VXRprj" / "DataInput.data").string() + "\""),
              std::string::npos);
    fs::remove_all(root);
}

TEST(RurVexora, SensitivityRequestsGiveTheirInfoFile)
{
    struct Case {
        const char* request;
        long long id;
        bool absolute;
        const char* text;
    };
    const Case cases[] = {
        {"251", 25, true, "{\r\n\"Sensitivity_Quad_ID\": [25],\r\n\"Sensitivity_Abs\": true\r\n}\r\n"},
        {"71", 7, true, "{\r\n\"Sensitivity_Quad_ID\": [7],\r\n\"Sensitivity_Abs\": true\r\n}\r\n"},
        {"0", 0, false, "{\r\n\"Sensitivity_Quad_ID\": [0],\r\n\"Sensitivity_Abs\": false\r\n}\r\n"},
        {"1230", 123, false, "{\r\n\"Sensitivity_Quad_ID\": [123],\r\n\"Sensitivity_Abs\": false\r\n}\r\n"},
    };
    const fs::path folder = vexora::testing::freshFolder("vexora_sens");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request);
        const SensitivityRequest request = readSensitivityRequest(c.request);
        EXPECT_EQ(request.quadrupoleId, c.id);
        EXPECT_EQ(request.absolute, c.absolute);

        MessageLog log;
        ASSERT_EQ(funWriteSensScript(c.request, folder, folder / "SensScript.txt", folder / "DataInput.data", {},
                                     folder / "SensModelOutput.vwer", folder / "SensInfo.json",
                                     folder / "SensDataOutput.data", log),
                  Status::Ok);
        const std::string text = fileText(folder / "SensInfo.json");
        EXPECT_EQ(text, c.text);
        const nlohmann::json parsed = nlohmann::json::parse(text);
        EXPECT_EQ(parsed["Sensitivity_Quad_ID"], nlohmann::json::array({c.id}));
        EXPECT_EQ(parsed["Sensitivity_Abs"], c.absolute);
        // The core's reader takes the file back as the same request.
        SensitivityRequest read;
        ASSERT_EQ(readSensitivityInfo(folder / "SensInfo.json", read, log), Status::Ok) << log.plainText();
        EXPECT_EQ(read.quadrupoleId, c.id);
        EXPECT_EQ(read.absolute, c.absolute);
    }
    fs::remove_all(folder);
}

TEST(RurVexora, AGivenMeshFileIsLoadedInsteadOfGenerated)
{
    const fs::path folder = vexora::testing::freshFolder("vexora_fwm_mesh");
    MessageLog log;
    ASSERT_EQ(funWriteFwmScript(folder, folder / "FWScript.txt", folder / "DataInput.data", folder / "my mesh.vwer",
                                folder / "FWDataOutput.data", log),
              Status::Ok);
    EXPECT_NE(fileText(folder / "FWScript.txt").find("\r\nLOADMESH \"" + (folder / "my mesh.vwer").string() + "\"\r\n"),
              std::string::npos);
    fs::remove_all(folder);
}

TEST(RurVexora, FailuresAreLoggedAndReturnOne)
{
    const fs::path root = vexora::testing::freshFolder("vexora_job_failures");
    const fs::path app = root / "app";
    fs::create_directories(app);

    struct Case {
        const char* name;
        std::function<fs::path()> setUp;  // returns the project folder
        const char* logged;
        bool launched;
    };
    ScriptedProcessLauncher launcher;
    const Case cases[] = {
        {"folder missing", [&] { return root / "never created.VXRprj"; }, "Error: DataInput.data not written.", false},
        {"manager missing",
         [&] {
             fs::create_directory(root / "b.VXRprj");
             return root / "b.VXRprj";
         },
         "VORozurire.exe not found!", false},
        {"manager refuses to start",
         [&] {
             fs::create_directory(root / "c.VXRprj");
             vexora::testing::writeStandInProgram(app / "VORozurire.exe");
             launcher.failWith("Permission denied");
             return root / "c.VXRprj";
         },
         "VORozurire.exe not started: Permission denied", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProjectStore store = smallProject();
        MessageLog log;
        const std::size_t before = launcher.requests().size();
        EXPECT_EQ(funRunRurJob(store, c.setUp(), "INV", app, launcher, log), Status::Error);
        EXPECT_NE(log.plainText().find(c.logged), std::string::npos) << log.plainText();
        EXPECT_EQ(log.plainText().find(" started on "), std::string::npos);
        EXPECT_EQ(launcher.requests().size() - before, c.launched ? 1u : 0u);
    }

    // A program file that cannot be executed, with the real process start.
    fs::create_directory(root / "d.VXRprj");
    ::chmod((app / "VORozurire.exe").c_str(), 0644);
    ProjectStore store = smallProject();
    MessageLog log;
    PosixProcessLauncher posix;
    EXPECT_EQ(funRunRurJob(store, root / "d.VXRprj", "FWM", app, posix, log), Status::Error);
    EXPECT_NE(log.plainText().find("Error: funRunRurJob: " + (app / "VORozurire.exe").string() + " not started: cannot run"),
              std::string::npos)
        << log.plainText();
    fs::remove_all(root);
}

TEST(RurVexora, AnInvalidOutputLayoutWritesNothing)
{
    const fs::path folder = vexora::testing::freshFolder("vexora_job_layout");
    ProjectStore store = smallProject();
    // x and y in one column.
    ASSERT_TRUE(setSettingText(store.settings, Item::YColumn, "3"));
    MessageLog log;
    ScriptedProcessLauncher launcher;
    EXPECT_EQ(funRunRurJob(store, folder, "INV", folder, launcher, log), Status::Error);
    EXPECT_NE(log.plainText().find("Error: funRunRurJob: Error: invalid configuration parameters"), std::string::npos)
        << log.plainText();
    EXPECT_FALSE(fs::exists(folder));  // it was empty: nothing of the job stays
    EXPECT_TRUE(launcher.requests().empty());
}

TEST(ProjectFolder, AnExistingFolderIsRefusedWithTheWorkbenchMessage)
{
    const fs::path root = vexora::testing::freshFolder("vexora_project_folder");
    const fs::path folder = projectFolderFor(root / "survey 1");
    EXPECT_EQ(folder.filename(), "survey 1.VXRprj");
    std::string message;
    EXPECT_EQ(createProjectFolder(folder, message), ProjectFolderResult::Created);
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(createProjectFolder(folder, message), ProjectFolderResult::Exists);
    EXPECT_EQ(message, folder.string() + " already exists. Please create a new project directory");
    EXPECT_EQ(createProjectFolder(root / "no parent" / "x.VXRprj", message), ProjectFolderResult::Failed);
    fs::remove_all(root);
}

}  // namespace

// A job's scripts hold one path per line: a line break in the folder's path
// is refused before anything exists. A job written only in part (into a
// folder made by other means) leaves no folder behind when it was empty,
// and never takes what was there before.
TEST(HostileInputJobFolders, ALineBreakInTheFolderCreatesNothingAndAPartJobLeavesNothing)
{
    const fs::path root = vexora::testing::freshFolder("vexora_job_line_breaks");
    for (const char* name : {"a\nb", "a\rb", "a\r\nb"}) {
        std::string message;
        EXPECT_EQ(createProjectFolder(projectFolderFor(root / name), message), ProjectFolderResult::Failed);
        EXPECT_EQ(message, "Project folder not created: its path holds a line break (CR or LF), which a job's script "
                           "cannot hold.");
        EXPECT_TRUE(fileNames(root).empty());
    }
    for (const bool holdsANote : {false, true}) {
        SCOPED_TRACE(holdsANote);
        const fs::path folder = root / "x\ny.VXRprj";
        fs::create_directory(folder);
        if (holdsANote) {
            ASSERT_TRUE(writeFileAtomically(folder / "note.txt", "mine\r\n"));
        }
        ProjectStore store = smallProject();
        MessageLog log;
        fs::path script;
        EXPECT_EQ(prepareRurJob(store, folder, "FWM", script, log), Status::Error);
        EXPECT_NE(log.plainText().find("not written: a path holds a line break."), std::string::npos)
            << log.plainText();
        EXPECT_EQ(fs::exists(folder), holdsANote);
        if (holdsANote) {
            EXPECT_EQ(fileText(folder / "note.txt"), "mine\r\n");
        }
    }
    fs::remove_all(root);
}
