#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "ScriptTestSupport.h"
#include "engine/script/JobSteps.h"
#include "engine/script/ScriptRunner.h"

namespace vexora {
namespace {

namespace fs = std::filesystem;
using testing::fileText;
using testing::lastLogLine;
using testing::lastProgress;
using testing::scriptIn;

const std::string kMessagePaths = "SETMESSAGEPATH \"{F}/FWMLog.prg\" \"{F}/Progress.txt\" \"{F}/Abort.txt\"\r\n";
const std::string kLoad = "LOADCONFIGURATION \"{F}/DataInput.data\"\r\n";

ScriptStatus runScript(const fs::path& folder, const std::string& text)
{
    const fs::path script = folder / "Job Script.txt";
    EXPECT_TRUE(writeFileAtomically(script, scriptIn(folder, text)));
    return runCoreScript(script, nullptr);
}

// DataInput.data with configuration lines replaced, as another file.
fs::path withSettings(const fs::path& folder, const std::vector<std::pair<std::string, std::string>>& settings,
                      const char* name)
{
    std::string text = fileText(folder / "DataInput.data");
    for (const auto& [tag, value] : settings)
        text = std::regex_replace(text, std::regex("#" + tag + "=[^\r\n]*"), "#" + tag + "= " + value);
    EXPECT_TRUE(writeFileAtomically(folder / name, text));
    return folder / name;
}

TEST(ScriptRun, WritesEveryResultOfAScriptBuiltOnTheGeneratedMesh)
{
    const fs::path folder = testing::prepareSampleJob("vexora_script_results");
    const ScriptStatus status = runScript(folder, kMessagePaths + kLoad +
                                                      "GENERATEMESH\r\n"
                                                      "SAVEMESH \"{F}/Model.vwer\" BOUNDS BIN\r\n"
                                                      "SAVEMESH \"{F}/Full Mesh.vwer\" FULL TXT\r\n"
                                                      "SAVECONFIGURATION \"{F}/Out.data\"\r\n");
    ASSERT_EQ(status, ScriptStatus::Completed) << fileText(folder / "FWMLog.prg");
    EXPECT_NE(lastLogLine(folder / "FWMLog.prg").find("\tScript completed."), std::string::npos);
    EXPECT_EQ(lastProgress(folder / "Progress.txt"), (ProgressState{100, "Script completed"}));
    EXPECT_EQ(fileText(folder / "Model.vwer").substr(0, 6), std::string("V\0X\0R\0", 6));

    // The results load as the workbench loads them.
    ProjectStore input, output, mesh;
    MessageLog log;
    ASSERT_EQ(loadJobDataFile(input, folder / "DataInput.data", log), Status::Ok);
    ASSERT_EQ(loadJobDataFile(output, folder / "Out.data", log), Status::Ok) << log.plainText();
    EXPECT_EQ(output.survey.quadrupoles.size(), input.survey.quadrupoles.size());
    EXPECT_EQ(output.survey.electrodes.size(), input.survey.electrodes.size());
    mesh.settings = input.settings;
    ASSERT_EQ(loadJobMesh(mesh, folder / "Full Mesh.vwer", log), Status::Ok) << log.plainText();
    ASSERT_EQ(generateJobMesh(input, log), Status::Ok);
    EXPECT_EQ(mesh.mesh.elementNodes, input.mesh.elementNodes);
    EXPECT_EQ(mesh.models.conductivity.size(), input.models.conductivity.size());
}

TEST(ScriptRun, ABadScriptStopsWithALineSayingWhatAndWhereAndLeavesNoResult)
{
    const fs::path folder = testing::prepareSampleJob("vexora_script_bad");
    const fs::path fineX = withSettings(folder, {{"dim_grid_x", "0.5"}}, "FineX.data");
    const fs::path tiny =
        withSettings(folder, {{"dim_grid_x", "0.04"}, {"dim_grid_y", "0.01"}, {"dim_grid_z", "0.01"}}, "Tiny.data");
    ASSERT_TRUE(writeFileAtomically(folder / "Garbage.data", "Not a data file\r\n"));
    ASSERT_EQ(runScript(folder, "LOADCONFIGURATION \"" + fineX.string() + "\"\r\nGENERATEMESH\r\n"
                                "SAVEMESH \"{F}/FineX.vwer\" FULL TXT\r\n"),
              ScriptStatus::Completed);
    const std::string save = "SAVECONFIGURATION \"{F}/FWDataOutput.data\" V1\r\n";
    const std::string input = fileText(folder / "DataInput.data");

    const struct {
        const char* what;
        std::string script;
        ScriptStatus status;
        std::string finalLine;                // after the time stamp
        std::optional<ProgressState> progress;  // last value left in the file
    } cases[] = {
        {"unknown command", kMessagePaths + kLoad + "FORWARDMODEL\r\n" + save, ScriptStatus::Stopped,
         "Script stopped at line 3 (FORWARDMODEL): unknown command \"FORWARDMODEL\".", std::nullopt},
        {"unquoted path with blanks", kMessagePaths + "LOADCONFIGURATION {F}/DataInput.data\r\nGENERATEMESH\r\n",
         ScriptStatus::Stopped,
         "Script stopped at line 2 (LOADCONFIGURATION {F}/DataInput.data): LOADCONFIGURATION takes one data file "
         "path, found 2 words (a path with blanks must be in double quotes).",
         std::nullopt},
        {"missing path", kMessagePaths + "LOADMESH\r\n", ScriptStatus::Stopped,
         "Script stopped at line 2 (LOADMESH): LOADMESH takes one mesh file path: a path is missing.", std::nullopt},
        {"forward model before a mesh", kMessagePaths + kLoad + "RUNFORWARDMODEL\r\n" + save, ScriptStatus::Stopped,
         "Script stopped at line 3 (RUNFORWARDMODEL): Error: RUNFORWARDMODEL: no mesh: GENERATEMESH or LOADMESH "
         "must come first.",
         ProgressState{1, "Forward modelling"}},
        {"mesh before a configuration", kMessagePaths + "GENERATEMESH\r\n" + save, ScriptStatus::Stopped,
         "Script stopped at line 2 (GENERATEMESH): Error: GENERATEMESH: no configuration loaded: LOADCONFIGURATION "
         "must come first.",
         ProgressState{33, "Generating mesh"}},
        {"missing data file", kMessagePaths + "LOADCONFIGURATION \"{F}/No such.data\"\r\n" + save, ScriptStatus::Stopped,
         "Script stopped at line 2 (LOADCONFIGURATION \"{F}/No such.data\"): Error: funInputScheduleFile: "
         "{F}/No such.data not found!",
         ProgressState{33, "Loading configuration"}},
        {"data file that fails to load", kMessagePaths + "LOADCONFIGURATION \"{F}/Garbage.data\"\r\n" + save,
         ScriptStatus::Stopped,
         "Script stopped at line 2 (LOADCONFIGURATION \"{F}/Garbage.data\"): Error: funInputScheduleFile: Error: No "
         "configuration tags found.",
         ProgressState{33, "Loading configuration"}},
        {"mesh file of another size", kMessagePaths + kLoad + "LOADMESH \"{F}/FineX.vwer\"\r\n" + save,
         ScriptStatus::Stopped, "): Error: LOADMESH: {F}/FineX.vwer has ", ProgressState{49, "Loading mesh"}},
        {"mesh too large", kMessagePaths + "LOADCONFIGURATION \"" + tiny.string() + "\"\r\nGENERATEMESH\r\n" + save,
         ScriptStatus::Stopped, "): Error: cmdmakeMesh_click: Mesh refused: a mesh of ",
         ProgressState{49, "Generating mesh"}},
        // The script itself creates the abort file mid-run.
        {"abort file created mid-run",
         "SETMESSAGEPATH \"{F}/FWMLog.prg\" \"{F}/Progress.txt\" \"{F}/Stop.vwer\"\r\n" + kLoad +
             "GENERATEMESH\r\nSAVEMESH \"{F}/Stop.vwer\" FULL TXT\r\n" + save,
         ScriptStatus::Aborted,
         "Script aborted before line 5 (" + scriptIn(folder, save.substr(0, save.size() - 2)) +
             "): abort file {F}/Stop.vwer found.",
         ProgressState{59, "Saving mesh"}},
    };
    for (const auto& c : cases) {
        fs::remove(folder / "FWMLog.prg");
        fs::remove(folder / "Progress.txt");
        EXPECT_EQ(runScript(folder, c.script), c.status) << c.what;
        const std::string last = lastLogLine(folder / "FWMLog.prg");
        EXPECT_NE(last.find(scriptIn(folder, c.finalLine)), std::string::npos) << c.what << "\n" << last;
        EXPECT_EQ(lastProgress(folder / "Progress.txt"), c.progress) << c.what;
        EXPECT_FALSE(fs::exists(folder / "FWDataOutput.data")) << c.what;
        EXPECT_TRUE(testing::temporaryFiles(folder).empty()) << c.what;
        EXPECT_EQ(fileText(folder / "DataInput.data"), input) << c.what;
    }
    // The refusals give their figures.
    EXPECT_EQ(runScript(folder, kMessagePaths + kLoad + "LOADMESH \"{F}/FineX.vwer\"\r\n"), ScriptStatus::Stopped);
    EXPECT_TRUE(std::regex_search(lastLogLine(folder / "FWMLog.prg"),
                                  std::regex("has \\d+ x \\d+ x \\d+ mesh lines, the configuration makes \\d+ x "
                                             "\\d+ x \\d+\\.")));
    EXPECT_EQ(runScript(folder, kMessagePaths + "LOADCONFIGURATION \"" + tiny.string() + "\"\r\nGENERATEMESH\r\n"),
              ScriptStatus::Stopped);
    EXPECT_TRUE(std::regex_search(lastLogLine(folder / "FWMLog.prg"),
                                  std::regex("\\(\\d+ nodes\\) needs about \\d+ MiB, \\d+ MiB are available\\.$")))
        << lastLogLine(folder / "FWMLog.prg");
}

TEST(ScriptRun, TheMainWindowsConversionScriptsSaveTheMeshOfTheConfiguration)
{
    const fs::path folder = testing::prepareSampleJob("vexora_script_convert");
    for (const char* options : {"BOUNDS BIN", "FULL TXT"}) {
        fs::remove(folder / "DataInput.vwer");
        EXPECT_EQ(runScript(folder, kLoad + "SAVEMESH \"{F}/DataInput.vwer\" " + options + "\r\n"), ScriptStatus::Completed)
            << options;
        EXPECT_TRUE(fs::exists(folder / "DataInput.vwer")) << options;
    }
}

TEST(ScriptRun, AScriptThatCannotBeReadFails)
{
    const fs::path folder = testing::freshFolder("vexora_script_missing");
    EXPECT_EQ(runCoreScript(folder / "none.txt", nullptr), ScriptStatus::Stopped);
}

// Nothing to run is a failure with its reason, never "Script completed.".
TEST(ScriptRun, AScriptWithNothingToRunStops)
{
    const fs::path folder = testing::freshFolder("vexora_script_empty");
    const std::string paths = "SETMESSAGEPATH \"" + (folder / "Log.prg").string() + "\" \"" +
                              (folder / "Progress.txt").string() + "\" \"" + (folder / "Stop.vwer").string() + "\"\r\n";
    for (const std::string& text : {std::string(), std::string("\r\n\r\n"), paths}) {
        ASSERT_TRUE(writeFileAtomically(folder / "Script.txt", text));
        std::ostringstream console;
        EXPECT_EQ(runCoreScript(folder / "Script.txt", &console), ScriptStatus::Stopped) << text;
        const std::string said = console.str() + (fs::exists(folder / "Log.prg") ? fileText(folder / "Log.prg") : "");
        EXPECT_NE(said.find("holds no command to run."), std::string::npos) << said;
        EXPECT_EQ(said.find("Script completed."), std::string::npos) << said;
    }
    fs::remove_all(folder);
}

// A log, progress, abort or result file that is one of the job's inputs
// stops the job before anything is written: the inputs keep their bytes.
TEST(HostileInputScript, AnOutputThatIsAnInputStopsTheJobBeforeAnythingIsWritten)
{
    const fs::path folder = testing::prepareSampleJob("vexora_script_same");
    ASSERT_EQ(runScript(folder, kLoad + "GENERATEMESH\r\nSAVEMESH \"{F}/Mesh.vwer\" FULL TXT\r\n"),
              ScriptStatus::Completed);
    fs::create_symlink(folder / "DataInput.data", folder / "Link.data");
    fs::create_hard_link(folder / "Mesh.vwer", folder / "Same mesh.vwer");
    const std::string paths = "SETMESSAGEPATH \"{F}/FWMLog.prg\" \"{F}/Progress.txt\" \"{F}/Abort.txt\"\r\n";
    const struct {
        std::string script, finalLine;
        bool logged = true;  // the log is no input and hears why
    } cases[] = {
        {"SETMESSAGEPATH \"{F}/DataInput.data\" \"{F}/Progress.txt\" \"{F}/Abort.txt\"\r\n" + kLoad +
             "FORWARDMODEL\r\n",  // the mistake on line 3 does not reach the log either
         "Script stopped at line 1 (SETMESSAGEPATH \"{F}/DataInput.data\" \"{F}/Progress.txt\" \"{F}/Abort.txt\"): the "
         "log file {F}/DataInput.data is the same file as the input {F}/DataInput.data; choose another name.",
         false},
        {"SETMESSAGEPATH \"{F}/FWMLog.prg\" \"{F}/Job Script.txt\" \"{F}/Abort.txt\"\r\n" + kLoad + "GENERATEMESH\r\n",
         "the progress file {F}/Job Script.txt is the same file as the input {F}/Job Script.txt; choose another name."},
        {"SETMESSAGEPATH \"{F}/FWMLog.prg\" \"{F}/Progress.txt\" \"{F}/Mesh.vwer\"\r\n" + kLoad +
             "LOADMESH \"{F}/Mesh.vwer\"\r\n",
         "the abort file {F}/Mesh.vwer is the same file as the input {F}/Mesh.vwer; choose another name."},
        {paths + kLoad + "GENERATEMESH\r\nSAVECONFIGURATION \"{F}/Link.data\" V1\r\n",
         "Script stopped at line 4 (SAVECONFIGURATION \"{F}/Link.data\" V1): the result file {F}/Link.data is the same "
         "file as the input {F}/DataInput.data; choose another name."},
        {paths + kLoad + "LOADMESH \"{F}/Mesh.vwer\"\r\nSAVEMESH \"{F}/Same mesh.vwer\" FULL TXT\r\n",
         "the result file {F}/Same mesh.vwer is the same file as the input {F}/Mesh.vwer; choose another name."},
    };
    const std::string data = fileText(folder / "DataInput.data"), mesh = fileText(folder / "Mesh.vwer");
    for (const auto& c : cases) {
        fs::remove(folder / "FWMLog.prg");
        fs::remove(folder / "Progress.txt");
        const fs::path script = folder / "Job Script.txt";
        ASSERT_TRUE(writeFileAtomically(script, scriptIn(folder, c.script)));
        std::ostringstream console;
        EXPECT_EQ(runCoreScript(script, &console), ScriptStatus::Stopped) << c.script;
        EXPECT_NE(console.str().find(scriptIn(folder, c.finalLine)), std::string::npos) << console.str();
        EXPECT_EQ(fileText(script), scriptIn(folder, c.script));
        EXPECT_EQ(fileText(folder / "DataInput.data"), data) << c.script;
        EXPECT_EQ(fileText(folder / "Mesh.vwer"), mesh) << c.script;
        EXPECT_FALSE(fs::exists(folder / "Progress.txt")) << c.script;
        EXPECT_EQ(fs::exists(folder / "FWMLog.prg"), c.logged) << c.script;
        if (c.logged) {
            EXPECT_NE(lastLogLine(folder / "FWMLog.prg").find(scriptIn(folder, c.finalLine)), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace vexora
