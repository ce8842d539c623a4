#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "support/CliRun.h"
#include "app/cli/Cli.h"
#include "core/io/TextFile.h"
#include "core/settings/Configuration.h"

namespace fs = std::filesystem;

namespace {

using vexora::testing::CliRun;

CliRun config(std::vector<std::string> args)
{
    args.insert(args.begin(), "config");
    return vexora::testing::runVexora(args);
}

}  // namespace

TEST(ConfigCommand, ExitCodesAndOutput)
{
    const fs::path folder = fs::temp_directory_path() / "vexora-config-cli-test";
    fs::create_directories(folder);
    auto put = [&](const char* name, const std::string& text) {
        EXPECT_TRUE(vexora::writeFileAtomically(folder / name, text));
        return (folder / name).string();
    };
    const std::string good = put("good.cnfg", "#elec_x_col= 7\n#dim_grid_x= 0.25 ! comment\n#foo= 1\n");
    const std::string noTags = put("none.cnfg", "1 2 3\r\n");
    const std::string overflow = put("big.cnfg", "#elec_x_col= 70000\r\n");
    const std::string missing = (folder / "missing.cnfg").string();

    for (const std::vector<std::string>& misuse :
         {std::vector<std::string>{}, {good, "-x"}, {good, "-o"}, {good, good}, {"-o", "x.cnfg"}}) {
        CliRun r = config(misuse);
        EXPECT_EQ(r.code, 2);
        EXPECT_NE(r.err.find("Usage: vexora config IN.cnfg [-o OUT.cnfg]"), std::string::npos);
    }

    CliRun r = config({put("empty.cnfg", "")});
    EXPECT_EQ(r.code, 3);
    EXPECT_EQ(r.err, "vexora config: " + (folder / "empty.cnfg").string() + ": no configuration tags found\n");
    r = config({missing});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "vexora config: " + missing + ": not found\n");
    r = config({folder.string()});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "vexora config: " + folder.string() + ": is a folder, not a file\n");
    r = config({noTags});
    EXPECT_EQ(r.code, 3);
    EXPECT_TRUE(r.out.empty());
    r = config({overflow});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Error: funLoadConfiguration: Value 70000 of #elec_x_col"), std::string::npos);
    EXPECT_TRUE(r.out.empty());

    r = config({good});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.starts_with("#Vexora+_Solver\r\n#version_number= 1.2.0\r\n#date= "));
    EXPECT_NE(r.out.find("\r\n#dim_grid_x= 0.25\r\n"), std::string::npos);
    EXPECT_NE(r.err.find("Warning: funLoadConfiguration: Warning: unrecognized configuration tag: #foo= 1\n"),
              std::string::npos);
    EXPECT_EQ(r.err.find('\r'), std::string::npos);

    const std::string written = (folder / "out.cnfg").string();
    CliRun toFile = config({good, "-o", written});
    EXPECT_EQ(toFile.code, 0);
    EXPECT_TRUE(toFile.out.empty());
    std::string text;
    ASSERT_TRUE(vexora::readTextFile(written, text));
    EXPECT_EQ(text, r.out);
    fs::remove_all(folder);
}
