#include <gtest/gtest.h>

#include <unistd.h>

#include "core/io/TextFile.h"
#include "core/jobs/CoreScript.h"
#include "engine/script/ProgramArguments.h"
#include "engine/script/ScriptParser.h"

namespace vexora {
namespace {

namespace fs = std::filesystem;

TEST(ScriptParser, ReadsEveryLineEndAndNumbersLinesAsWritten)
{
    for (const char* end : {"\r\n", "\n", "\r"}) {
        const std::string e = end;
        const ParsedScript s = parseCoreScript("LOADCONFIGURATION in.data" + e + e + "  GENERATEMESH  " + e +
                                               "savemesh \"m.vwer\" full txt");
        ASSERT_FALSE(s.error) << s.error->reason;
        ASSERT_EQ(s.commands.size(), 3u);
        EXPECT_EQ(s.commands[0].paths, std::vector<fs::path>{"in.data"});
        EXPECT_EQ(s.commands[1].verb, ScriptVerb::GenerateMesh);
        EXPECT_EQ(s.commands[1].line, 3u);
        EXPECT_EQ(s.commands[2].line, 4u);
        EXPECT_EQ(s.commands[2].meshOutput, MeshOutput::FullText);
    }
}

TEST(ScriptParser, ReadsBackEveryPathTheScriptWriterQuotes)
{
    for (const fs::path& path : {fs::path("/data/site A/DataInput.data"), fs::path("/d/say \"hi\"/x.data"),
                                fs::path("/d/\"\"/\t.data"), fs::path("/d/ä\xE9.data")}) {
        const ParsedScript s = parseCoreScript("SAVECONFIGURATION " + quotedScriptPath(path) + " V1\r\n");
        ASSERT_FALSE(s.error) << path << ": " << s.error->reason;
        EXPECT_EQ(s.commands.at(0).paths.at(0), path);
        EXPECT_TRUE(s.commands[0].besideMeasured);
    }
    const ParsedScript bare = parseCoreScript("SETMESSAGEPATH /a/log.prg\t\"/b c/p.txt\" /a/abort.txt");
    ASSERT_FALSE(bare.error);
    EXPECT_EQ(bare.commands[0].paths, (std::vector<fs::path>{"/a/log.prg", "/b c/p.txt", "/a/abort.txt"}));
}

TEST(ScriptParser, ReadsTheInversionsDimension)
{
    const std::pair<const char*, ForwardDimension> cases[] = {{"RUNINVERSION", ForwardDimension::Three},
                                                              {"RUNINVERSION 2", ForwardDimension::Two},
                                                              {"RUNINVERSION 3", ForwardDimension::Three},
                                                              {"runinversion auto", ForwardDimension::Automatic}};
    for (const auto& [line, dimension] : cases) {
        const ParsedScript s = parseCoreScript(line);
        ASSERT_FALSE(s.error) << line;
        EXPECT_EQ(s.commands.at(0).dimension, dimension) << line;
    }
}

TEST(ScriptParser, RefusesAMistakeNamingItsLine)
{
    const struct {
        std::string line;
        std::string reason;
    } cases[] = {
        {"RUNFORWARD", "unknown command \"RUNFORWARD\""},
        {"LOADCONFIGURATION", "a path is missing"},
        {"LOADCONFIGURATION \"\"", "path 1 is empty"},
        {"LOADCONFIGURATION /my data/in.data", "found 2 words (a path with blanks must be in double quotes)"},
        {"SAVEMESH /my data/m.vwer BOUNDS BIN", "a path with blanks must be in double quotes"},
        {"SAVEMESH m.vwer BOUNDS TXT", "BOUNDS BIN or FULL TXT"},
        {"SAVECONFIGURATION out.data V2", "optionally V1"},
        {"GENERATEMESH now", "GENERATEMESH takes no arguments"},
        {"RUNINVERSION 2D", "RUNINVERSION takes no arguments or one of 2, 3, AUTO, found 1 word"},
        {"RUNINVERSION 2 3", "found 2 words"},
        {"LOADMESH \"/a/m.vwer", "quote opened at column 10 is not closed"},
        {"LOADMESH \"/a/m\".vwer", "text follows the closing quote"},
    };
    for (const auto& c : cases) {
        const ParsedScript s = parseCoreScript("SETMESSAGEPATH l p a\r\nGENERATEMESH\r\n" + c.line + "\r\nRUNFORWARDMODEL\r\n");
        ASSERT_TRUE(s.error) << c.line;
        EXPECT_EQ(s.error->line, 3u) << c.line;
        EXPECT_EQ(s.error->text, c.line);
        EXPECT_NE(s.error->reason.find(c.reason), std::string::npos) << c.line << ": " << s.error->reason;
        // What came before stays known, so the error reaches the named log.
        ASSERT_NE(messagePathCommand(s), nullptr);
        EXPECT_EQ(messagePathCommand(s)->paths[0], "l");
    }
}

TEST(ScriptParser, SkipsAByteOrderMarkBeforeTheFirstLineOnly)
{
    const std::string mark = "\xEF\xBB\xBF";
    const struct {
        std::string text;
        std::size_t commands;
        std::string refused;  // the line the error shows; empty when read
    } cases[] = {
        {mark + "GENERATEMESH\r\nRUNFORWARDMODEL\r\n", 2, ""},
        {mark + "\r\nGENERATEMESH", 1, ""},
        {mark + "RUNFORWARD\r\n", 0, "RUNFORWARD"},
        {"GENERATEMESH\r\n" + mark + "RUNFORWARDMODEL\r\n", 1, mark + "RUNFORWARDMODEL"},
    };
    for (const auto& c : cases) {
        const ParsedScript s = parseCoreScript(c.text);
        EXPECT_EQ(s.commands.size(), c.commands) << c.text;
        if (c.commands > 0) {
            EXPECT_EQ(s.commands[0].text.find(mark), std::string::npos);
        }
        ASSERT_EQ(s.error.has_value(), !c.refused.empty()) << c.text;
        if (s.error) {
            EXPECT_EQ(s.error->text, c.refused);
            EXPECT_EQ(s.error->reason, "unknown command \"" + c.refused + "\"");
        }
    }
}

TEST(ProgramArguments, AcceptExactlyTheDocumentedCommandLines)
{
    EXPECT_EQ(coreScriptArgument({"RUNSCRIPT", "/p/FWScript.txt"}), fs::path("/p/FWScript.txt"));
    EXPECT_EQ(coreScriptArgument({"RUNSCRIPT", "\"/p q/say \"\"x\"\".txt\""}), fs::path("/p q/say \"x\".txt"));
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {}, {"/p/s.txt"}, {"RUNSCRIPT"}, {"RUNSCRIPT", ""}, {"RUNSCRIPT", "a", "b"}, {"runscript", "a"}})
        EXPECT_FALSE(coreScriptArgument(bad)) << bad.size();

    const auto manager = managerArguments({"VexoraRUR64", "/p q/FWScript.txt", "FWM"});
    ASSERT_TRUE(manager);
    EXPECT_EQ(manager->script, fs::path("/p q/FWScript.txt"));
    EXPECT_EQ(manager->kind, "FWM");
    for (const char* kind : {"INV", "SENS"}) EXPECT_TRUE(managerArguments({"VexoraRUR64.exe", "s.txt", kind}));
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"VexoraRUR64", "s.txt"}, {"VexoraRUR64", "s.txt", "fwm"}, {"Other", "s.txt", "INV"},
             {"VexoraRUR64", "s.txt", "71"}, {"VexoraRUR64", "s.txt", "FWM", "x"},
             {"VexoraRUR64", "s.txt", "INV", "--processes"}, {"VexoraRUR64", "s.txt", "INV", "--processes", "0"},
             {"VexoraRUR64", "s.txt", "INV", "--processes", "2x"}, {"VexoraRUR64", "s.txt", "INV", "--processes", "1025"},
             {"VexoraRUR64", "s.txt", "INV", "--processes", "2", "--processes", "3"},
             {"VexoraRUR64", "s.txt", "INV", "--hostfile", ""}})
        EXPECT_FALSE(managerArguments(bad)) << bad.size();

    // The ranks' options, and the mpirun command line they make: the core
    // itself for one process.
    const auto ranked = managerArguments({"VexoraRUR64", "s.txt", "INV", "--hostfile", "/h/hosts", "--processes", "4"});
    ASSERT_TRUE(ranked);
    EXPECT_EQ(ranked->processes.count, 4);
    EXPECT_EQ(ranked->processes.hostFile, fs::path("/h/hosts"));
    EXPECT_EQ(processArguments(ranked->processes),
              (std::vector<std::string>{"--processes", "4", "--hostfile", "/h/hosts"}));
    EXPECT_TRUE(processArguments({1, "/h/hosts"}).empty());
    std::string why;
    const auto alone = coreCommand("/app/VexoraRUR64", "/j/s.txt", {}, why);
    ASSERT_TRUE(alone);
    EXPECT_EQ(alone->program, fs::path("/app/VexoraRUR64"));
    EXPECT_EQ(alone->arguments, (std::vector<std::string>{"RUNSCRIPT", "/j/s.txt"}));
    // A host file that is not there is refused before mpirun is started.
    EXPECT_FALSE(coreCommand("/app/VexoraRUR64", "/j/s.txt", ranked->processes, why));
    const fs::path hosts = fs::temp_directory_path() / ("vexora_hosts_" + std::to_string(::getpid()));
    ASSERT_TRUE(writeFileAtomically(hosts, "localhost slots=4\r\n"));
    if (const auto mpirun = coreCommand("/app/VexoraRUR64", "/j/s.txt", {4, hosts}, why)) {
        EXPECT_EQ(mpirun->program.filename(), "mpirun");
        std::vector<std::string> expected{"-n", "4", "--hostfile", hosts.string()};
        if (geteuid() == 0) expected.push_back("--allow-run-as-root");
        expected.insert(expected.end(), {"/app/VexoraRUR64", "RUNSCRIPT", "/j/s.txt"});
        EXPECT_EQ(mpirun->arguments, expected);
    } else {
        EXPECT_EQ(why, "mpirun not found: install OpenMPI (openmpi-bin) to run a job on 4 processes.");
    }
    fs::remove(hosts);
}

}  // namespace
}  // namespace vexora
