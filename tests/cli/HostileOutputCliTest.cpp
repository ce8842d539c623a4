// Every command that writes an output refuses one that is the same file as
// one of its inputs, whatever name leads to it, before reading anything.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "core/io/TextFile.h"
#include "support/CliRun.h"
#include "support/SmallSurvey.h"

namespace {

namespace fs = std::filesystem;

std::map<std::string, std::string> folderContents(const fs::path& folder)
{
    std::map<std::string, std::string> contents;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::string text;
        vexora::readTextFile(entry.path(), text);
        contents[entry.path().filename().string()] = text;
    }
    return contents;
}

TEST(HostileInputOutputs, AnOutputThatIsAnInputIsRefusedAndTheInputKept)
{
    const fs::path folder = fs::temp_directory_path() / ("vexora_cli_same_" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const auto file = [&](const char* name, const std::string& text) {
        EXPECT_TRUE(vexora::writeFileAtomically(folder / name, text));
        return (folder / name).string();
    };
    const std::string data = file("in.data", vexora::testing::smallSurvey()), raw = file("raw.bin", "raw bytes"),
                      sequence = file("seq.txt", "1 2 3 4\r\n"), config = file("c.cnfg", "#background_res= 250\r\n"),
                      model = file("model.xyz", "10 5 0 40\r\n");
    const std::string hard = (folder / "hard.data").string(), soft = (folder / "soft.data").string(),
                      dotted = (folder / "." / "in.data").string();
    fs::create_hard_link(data, hard);
    fs::create_symlink("in.data", soft);

    const struct {
        std::vector<std::string> args;
        std::string output, input;
    } cases[] = {
        {{"import", "bin", raw, "-o", raw}, raw, raw},
        {{"import", "bin", raw, "--sequence", sequence, "-o", sequence}, sequence, sequence},
        {{"save", data, hard}, hard, data},
        {{"config", config, "-o", config}, config, config},
        {{"mesh", data, "-o", dotted}, dotted, data},
        {{"mesh", data, "--config", config, "-o", config}, config, config},
        {{"xyz", data, model, "-o", model}, model, model},
        {{"viewer-model", data, "-o", soft}, soft, data},
        {{"forward", data, "-o", data}, data, data},
        {{"reciprocal", data, "-o", hard}, hard, data},
        {{"histogram", data, "Rho", "--png", data}, data, data},
    };
    const auto before = folderContents(folder);
    for (const auto& c : cases) {
        const vexora::testing::CliRun r = vexora::testing::runVexora(c.args);
        EXPECT_EQ(r.code, 1) << c.args[0];
        EXPECT_EQ(r.err, "vexora " + c.args[0] + ": the output " + c.output + " is the same file as the input " +
                             c.input + "; choose another name.\n");
        EXPECT_EQ(folderContents(folder), before) << c.args[0];
    }
    EXPECT_TRUE(fs::is_symlink(soft));
    fs::remove_all(folder);
}

}  // namespace
