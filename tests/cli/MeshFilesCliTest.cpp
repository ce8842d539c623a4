#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "support/CliRun.h"
#include "app/cli/Cli.h"
#include "core/io/TextFile.h"

namespace {

namespace fs = std::filesystem;
using vexora::readTextFile;
using vexora::writeFileAtomically;

using vexora::testing::CliRun;
using vexora::testing::kSampleSurvey;
using vexora::testing::runVexora;

// The summary without its foreground line, which a mesh file does not carry.
std::string withoutForeground(const std::string& summary)
{
    const std::size_t at = summary.find("foreground ");
    return summary.substr(0, at) + summary.substr(summary.find('\n', at) + 1);
}

TEST(MeshFileCommands, MeshWrittenAndImportedGivesTheSameSizes)
{
    const fs::path folder = fs::temp_directory_path() / "vexora_mesh_cli";
    fs::create_directories(folder);
    const std::string vwer = (folder / "sample.vwer").string();
    const CliRun built = runVexora({"mesh", kSampleSurvey, "-o", vwer});
    ASSERT_EQ(built.code, 0) << built.err;
    const CliRun read = runVexora({"mesh-import", vwer});
    ASSERT_EQ(read.code, 0) << read.err;
    EXPECT_EQ(withoutForeground(read.out), withoutForeground(built.out));
    EXPECT_EQ(read.out.substr(0, 17), "lines 69 35 31\nno");

    ASSERT_TRUE(writeFileAtomically(folder / "model.xyz", "10 5 0 40\r\n"));
    const CliRun xyz = runVexora({"xyz", kSampleSurvey, (folder / "model.xyz").string(), "-o", (folder / "xyz.vwer").string()});
    ASSERT_EQ(xyz.code, 0) << xyz.err;
    EXPECT_NE(xyz.err.find("Mesh generated. Resistivity model correctly loaded."), std::string::npos);
    std::string text;
    ASSERT_TRUE(readTextFile(folder / "xyz.vwer", text));
    EXPECT_NE(text.find("\t40.00000\r\n"), std::string::npos);

    const CliRun bin = runVexora({"viewer-model", kSampleSurvey, "-o", (folder / "m.bin").string()});
    ASSERT_EQ(bin.code, 0) << bin.err;
    ASSERT_TRUE(readTextFile(folder / "m.bin", text));
    EXPECT_EQ(text.substr(0, 6), std::string("V\0X\0R\0", 6));
    const CliRun viewer = runVexora({"mesh-import", (folder / "m.bin").string()});
    ASSERT_EQ(viewer.code, 0) << viewer.err;
    EXPECT_EQ(viewer.out.substr(0, 24), "viewer model file\nnodes\t");
    EXPECT_NE(viewer.out.find("quantities\tResistivity\tConductivity\n"), std::string::npos) << viewer.out;

    // Sections of both model files, drawn by the executable offscreen.
    for (const char* model : {"m.bin", "xyz.vwer"}) {
        const std::string png = (folder / (std::string(model) + ".png")).string(),
                          out = (folder / "section.txt").string();
        const std::string command = "env -u DISPLAY \"" + std::string(VEXORA_CLI_PATH) + "\" section \"" +
                                    (folder / model).string() + "\" --y 6 --log --png \"" + png + "\" > \"" + out +
                                    "\" 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << model;
        ASSERT_TRUE(readTextFile(png, text));
        EXPECT_EQ(text.substr(0, 8), "\x89PNG\r\n\x1a\n") << model;
        ASSERT_TRUE(readTextFile(out, text));
        EXPECT_NE(text.find("quantity\tResistivity\ncells\t"), std::string::npos) << text;
    }
    const std::string m = (folder / "m.bin").string(), png = (folder / "no.png").string(),
                      vtu = (folder / "no.vtu").string();
    const CliRun vtk = runVexora({"export-vtk", m, "-o", (folder / "m.vtu").string()});
    ASSERT_EQ(vtk.code, 0) << vtk.err;
    EXPECT_EQ(vtk.out.substr(0, 6), "cells\t");
    EXPECT_TRUE(fs::exists(folder / "m.vtu"));
    EXPECT_TRUE(fs::exists(folder / "m_electrodes.vtp"));
    const struct {
        std::vector<std::string> args;
        int code;
        const char* message;
    } refused[] = {
        {{"section", m, "--y", "6", "--quantity", "Sensitivity", "--png", png}, 1,
         "holds no Sensitivity (it holds Resistivity Conductivity)"},
        {{"section", m, "--z", "1000", "--png", png}, 1, "meets no block of the model"},
        {{"section", m, "--z", "deep", "--png", png}, 2, "must be a number"},
        {{"section", m, "--x", "1", "--y", "1", "--png", png}, 2, "Usage"},
        {{"section", kSampleSurvey, "--x", "1", "--png", png}, 1, "is neither a viewer model file nor a mesh-and-model"},
        {{"export-vtk", kSampleSurvey, "-o", png}, 1, "is neither a viewer model file nor a mesh-and-model"},
        {{"export-vtk", m}, 2, "Usage"},
        {{"export-vtk", m, "-o", vtu, "--mask-doi", "0.2"}, 1,
         "holds no DOI index to mask by (an inversion writes it when asked for the depth of investigation)."},
        {{"export-vtk", m, "-o", vtu, "--mask-sensitivity", "low"}, 2,
         "--mask-sensitivity takes a number, not \"low\""},
        {{"export-vtk", m, "-o", vtu, "--mask-doi"}, 2, "--mask-doi takes a number\n"},
        {{"section", m, "--y", "6", "--png", png, "--mask-sensitivity", "0.01"}, 1,
         "holds no Sensitivity to mask by (an inversion writes it)."},
        {{"section", m, "--y", "6", "--png", png, "--mask-doi", "nan"}, 2, "--mask-doi takes a number, not \"nan\""},
    };
    for (const auto& r : refused) {
        const CliRun run = runVexora(r.args);
        EXPECT_EQ(run.code, r.code) << r.message;
        EXPECT_NE(run.err.find(r.message), std::string::npos) << run.err;
    }
    EXPECT_FALSE(fs::exists(png));
    EXPECT_FALSE(fs::exists(vtu));
    fs::remove_all(folder);
}

TEST(MeshFileCommands, FailuresAndMisuse)
{
    const fs::path bad = fs::temp_directory_path() / "vexora_bad_mesh.vwer";
    ASSERT_TRUE(writeFileAtomically(bad, "#version_info\r\n"));
    const CliRun notMesh = runVexora({"mesh-import", bad.string()});
    EXPECT_EQ(notMesh.code, 1);
    EXPECT_NE(notMesh.err.find("Error: Explorer - Import Mesh: "), std::string::npos);
    fs::remove(bad);
    EXPECT_EQ(runVexora({"mesh-import"}).code, 2);
    EXPECT_EQ(runVexora({"xyz", kSampleSurvey, "m.xyz"}).code, 2);  // no -o
    EXPECT_EQ(runVexora({"viewer-model", kSampleSurvey, "-o"}).code, 2);
    const CliRun notXyz = runVexora({"xyz", kSampleSurvey, kSampleSurvey, "-o", "x.vwer"});
    EXPECT_EQ(notXyz.code, 1);
    EXPECT_NE(notXyz.err.find("Invalid number of columns (1)"), std::string::npos);  // "#Vexora+"
    const fs::path xyz = fs::temp_directory_path() / "vexora_cli_model.xyz";
    ASSERT_TRUE(writeFileAtomically(xyz, "1 2 3 4\r\n"));
    const CliRun columns = runVexora({"xyz", kSampleSurvey, xyz.string(), "-o", "x.vwer", "--columns", "1 2 3 99"});
    EXPECT_EQ(columns.code, 1);
    EXPECT_NE(columns.err.find("Invalid column number (Max column number is 4)"), std::string::npos);
    EXPECT_FALSE(fs::exists("x.vwer"));
    fs::remove(xyz);
}

}  // namespace
