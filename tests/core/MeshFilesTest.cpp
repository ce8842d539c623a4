#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "MeshTestSupport.h"
#include "core/io/TextFile.h"
#include "core/mesh/MeshBuild.h"
#include "core/mesh/MeshExport.h"
#include "core/mesh/MeshFileFormat.h"
#include "core/mesh/MeshFileImport.h"
#include "core/mesh/NodeMesh.h"
#include "core/project/ProjectStore.h"
#include "core/platform/ScriptedQuestions.h"

using namespace vexora;
namespace vt = vexora::testing;

namespace {

namespace fs = std::filesystem;

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find("\r\n", pos);
        EXPECT_NE(end, std::string::npos) << "every line ends in CR LF";
        if (end == std::string::npos) break;
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

struct Snapshot {
    std::vector<NodePoint> nodes;
    std::vector<ElementCorners> corners;
    MeshLines lines;
    std::vector<double> conductivity, ip;
    SettingsTable settings;
    bool present;
};

Snapshot snapshot(const ProjectStore& s)
{
    return {s.mesh.nodeGrid, s.mesh.elementNodes, s.mesh.lines, s.models.conductivity, s.models.ip, s.settings,
            s.mesh.present};
}

void expectUntouched(const Snapshot& before, const ProjectStore& s)
{
    EXPECT_EQ(before.nodes, s.mesh.nodeGrid);
    EXPECT_EQ(before.corners, s.mesh.elementNodes);
    EXPECT_EQ(before.lines, s.mesh.lines);
    EXPECT_EQ(before.conductivity, s.models.conductivity);
    EXPECT_EQ(before.ip, s.models.ip);
    EXPECT_EQ(before.settings, s.settings);
    EXPECT_EQ(before.present, s.mesh.present);
}

TEST(MeshFileFormat, FieldRules)
{
    struct Case {
        double value;
        int width, decimals;
        std::string text;
    } cases[] = {{1.5, 12, 5, "1.50000     "}, {100, 5, 5, "100.00000"}, {-0.000001, 12, 5, "0.00000     "},
                 {-2.25, 12, 5, "-2.25000    "}, {0.5, 5, 5, "0.50000"}, {123456.789, 12, 5, "123456.78900"}};
    for (const Case& c : cases) {
        std::string out;
        appendFixedField(out, c.value, c.width, c.decimals);
        EXPECT_EQ(out, c.text) << c.value;
    }
    std::string ints;
    appendIntegerField(ints, 0, 5);
    appendIntegerField(ints, 42, 5);
    appendIntegerField(ints, -3, 1);
    EXPECT_EQ(ints, "     42   -3");
}

TEST(MeshFileFormat, TwoByTwoByTwoMeshHasSixtyFourNodesAndOneBlock)
{
    ProjectStore store;
    store.mesh = vt::meshOfLines({0, 1.5}, {0, 1}, {0, -1});
    MessageLog log;
    ASSERT_EQ(NodeMesh(store.mesh, store.settings, log), NodeMeshStatus::Made);
    store.mesh.present = true;
    store.models.conductivity = {0.01};
    Quadrupole q;
    q.id = 7;
    q.pole[0] = {1, 2};
    store.survey.quadrupoles.rows = {q};
    const std::vector<std::string> lines = linesOf(meshFileText(store.survey, store.mesh, store.models, MeshFileKind::Resistivity, "2026-12-07"));
    ASSERT_EQ(lines.size(), 12u + 16 + 64 + 3 + 1 + 4 + 4 + 1);
    const std::vector<std::string> head = {"# version_info", "# 1.0.0", "# 2026-12-07", "# 1", "# 2", "# 2", "# 2",
                                           "hexa", "#", "# NN", "#", " 64 ", "#", "# NE", "#", " 1 ", "#", "# NP",
                                           "#", " 0 ", "#", "# NQ", "#", " 1 ", "#", "# Nodes coordinates", "#",
                                           "#         X          Y           Z       Flag"};
    for (std::size_t k = 0; k < head.size(); ++k) EXPECT_EQ(lines[k], head[k]) << "line " << k + 1;
    const std::string zeros = "0.00000     \t0.00000     \t0.00000     ";
    EXPECT_EQ(lines[28], zeros);  // node 1: halo
    // Node (2, 1, 1) = 4*4 + 4 + 2 + 1 = 23 is the second real node: x 1.5.
    EXPECT_EQ(lines[28 + 22], "1.50000     \t0.00000     \t0.00000     ");
    int halo = 0;
    for (std::size_t k = 28; k < 28 + 64; ++k) halo += lines[k] == zeros;
    EXPECT_EQ(halo, 56 + 1);  // and the real node at the origin
    EXPECT_EQ(lines[92], "#");
    EXPECT_EQ(lines[93], "# Elements-resistivity");
    EXPECT_EQ(lines[95], "22\t23\t26\t27\t38\t39\t42\t43\t100.00000");
    EXPECT_EQ(lines.back(), "7    \t1    \t2    \t     \t     \t     \t     \t     \t     \t");
}

TEST(MeshFileFormat, ResistivityAndIpFilesReadBackOntoTerrain)
{
    for (bool ip : {false, true}) {
        const ProjectStore original = vt::builtStore(true);
        const fs::path path = fs::temp_directory_path() / (ip ? "vexora_mesh_ip.vwer" : "vexora_mesh_rho.vwer");
        MessageLog log;
        ASSERT_EQ(OutputGlobalMesh(path, ip, original.survey, original.mesh, original.models, log),
                  Status::Ok) << log.plainText();

        ProjectStore read;
        read.settings = original.settings;
        ASSERT_EQ(funImportMesh(path, read.settings, read.mesh, read.models, log), MeshFileStatus::Read) << log.plainText();
        const Mesh& a = original.mesh;
        const Mesh& b = read.mesh;
        EXPECT_TRUE(b.present);
        EXPECT_EQ(b.nx, a.nx);
        EXPECT_EQ(b.nodeStride, a.nodeStride);
        EXPECT_EQ(b.elementStride, a.elementStride);
        ASSERT_EQ(b.nodeGrid.size(), a.nodeGrid.size());
        for (std::size_t k = 0; k < a.nodeGrid.size(); ++k) {
            ASSERT_NEAR(b.nodeGrid[k].x, a.nodeGrid[k].x, 5e-6) << k;
            ASSERT_NEAR(b.nodeGrid[k].y, a.nodeGrid[k].y, 5e-6) << k;
            ASSERT_NEAR(b.nodeGrid[k].z, a.nodeGrid[k].z, 5e-6) << k;
        }
        EXPECT_EQ(b.nodeFlags, a.nodeFlags);
        EXPECT_EQ(b.elementNodes, a.elementNodes);
        EXPECT_EQ(b.elementBoundary, a.elementBoundary);
        // Lines come from the file's nodes: X and Y as built, Z down the
        // first node column.
        EXPECT_EQ(b.lines.x, a.lines.x);
        EXPECT_EQ(b.lines.y, a.lines.y);
        for (std::size_t i = 0; i < a.lines.z.size(); ++i)
            EXPECT_NEAR(b.lines.z[i], a.nodeGrid[static_cast<std::size_t>(nodeNumber(a, 1, 1, i + 1) - 1)].z, 5e-6);
        const std::size_t blocks = a.elementNodes.size();
        if (!ip) {
            ASSERT_EQ(read.models.conductivity.size(), blocks);
            for (std::size_t e = 0; e < blocks; ++e)
                EXPECT_DOUBLE_EQ(1 / read.models.conductivity[e], 10.0 + static_cast<double>(e % 7));
            EXPECT_EQ(read.models.ip.size(), 1u);
            EXPECT_TRUE(read.models.conductivityImported);
            EXPECT_EQ(settingText(read.settings, Item::ResistivityModelType), "1-Imported");
        }
        else {
            ASSERT_EQ(read.models.ip.size(), blocks);
            for (std::size_t e = 0; e < blocks; ++e)
                EXPECT_DOUBLE_EQ(read.models.ip[e], 2.5 * static_cast<double>(e % 5) / 1000.0);
            EXPECT_TRUE(read.models.ipImported);
            EXPECT_TRUE(read.models.conductivity.empty());  // untouched
            EXPECT_EQ(settingText(read.settings, Item::IpModelType), "1-Imported");
        }
        EXPECT_EQ(settingText(read.settings, Item::MeshType), "2-Imported(" + path.string() + ")");
        fs::remove(path);
    }
}

TEST(MeshFileImport, ZeroBlockValueGivesTenMillionSiemens)
{
    ProjectStore store = vt::builtStore(false);
    store.models.conductivity[0] = INFINITY;  // written as a resistivity of 0
    std::string text = meshFileText(store.survey, store.mesh, store.models, MeshFileKind::Resistivity, "d");
    ProjectStore read;
    MessageLog log;
    ASSERT_EQ(importMeshText(text, "m.vwer", read.settings, read.mesh, read.models, log), MeshFileStatus::Read) << log.plainText();
    EXPECT_DOUBLE_EQ(read.models.conductivity[0], 1e7);
}

std::string replaceLine(const std::string& text, std::size_t lineNumber, const std::string& with)
{
    std::size_t begin = 0;
    for (std::size_t k = 1; k < lineNumber; ++k) begin = text.find("\r\n", begin) + 2;
    const std::size_t end = text.find("\r\n", begin);
    return text.substr(0, begin) + with + text.substr(end);
}

std::string firstLines(const std::string& text, std::size_t count)
{
    std::size_t end = 0;
    for (std::size_t k = 0; k < count; ++k) end = text.find("\r\n", end) + 2;
    return text.substr(0, end);
}

TEST(MeshFileImport, BadFilesLeaveTheMeshAndModelsUntouched)
{
    const ProjectStore source = vt::builtStore(false);
    const std::string good = meshFileText(source.survey, source.mesh, source.models, MeshFileKind::Resistivity, "d");
    const std::size_t nn = source.mesh.nodeGrid.size(), ne = source.mesh.elementNodes.size();
    const std::size_t nodeLine1 = 29;
    const std::size_t blockLine1 = nodeLine1 + nn + 3;
    const std::string nx = std::to_string(source.mesh.nx), ny = std::to_string(source.mesh.ny),
                      nz = std::to_string(source.mesh.nz);
    struct Case {
        const char* name;
        std::string text;
        MeshFileStatus result;
        std::string logged;
    } cases[] = {
        {"no blank after #", replaceLine(good, 1, "#version_info"), MeshFileStatus::NotAMeshFile, "not a mesh file"},
        {"empty", "", MeshFileStatus::NotAMeshFile, "not a mesh file"},
        {"zero lines", replaceLine(good, 5, "# 0"), MeshFileStatus::Failed, "0 x " + ny + " x " + nz + " mesh lines"},
        {"negative lines", replaceLine(good, 6, "# -3"), MeshFileStatus::Failed, nx + " x -3 x " + nz + " mesh lines"},
        {"kind 3", replaceLine(good, 4, "# 3"), MeshFileStatus::Failed, "Line 4: model kind 3"},
        {"node count", replaceLine(good, 12, " 100 "), MeshFileStatus::Failed,
         "Line 12: NN is 100; (nx+2)(ny+2)(nz+2) = " + std::to_string(nn) + " expected"},
        {"block count", replaceLine(good, 16, " 3 "), MeshFileStatus::Failed,
         "Line 16: NE is 3; (nx-1)(ny-1)(nz-1) = " + std::to_string(ne) + " expected"},
        {"count not a number", replaceLine(good, 12, " many "), MeshFileStatus::Failed, "Line 12: ' many ' is not a count"},
        {"header only", firstLines(good, nodeLine1 + 2), MeshFileStatus::Failed, "The file is too short for"},
        {"cut in a node line", good.substr(0, good.size() / 2), MeshFileStatus::Failed, "does not hold three node coordinates"},
        {"cut after a block line", firstLines(good, blockLine1 + 4), MeshFileStatus::Failed,
         "The file ends at line " + std::to_string(blockLine1 + 4) + "; a block line expected"},
        {"node text", replaceLine(good, nodeLine1 + 30, "1.0\tabc\t2.0"), MeshFileStatus::Failed,
         "Line 59: '1.0\tabc\t2.0' does not hold three node coordinates"},
        {"node index", replaceLine(good, blockLine1, "1\t2\t3\t4\t5\t6\t7\t" + std::to_string(nn + 1) + "\t10.0"),
         MeshFileStatus::Failed, "node number " + std::to_string(nn + 1) + " outside 1.." + std::to_string(nn)},
        {"node index 0", replaceLine(good, blockLine1, "0\t2\t3\t4\t5\t6\t7\t8\t10.0"), MeshFileStatus::Failed,
         "node number 0 outside"},
        {"block value", replaceLine(good, blockLine1, "1\t2\t3\t4\t5\t6\t7\t8\tnan"), MeshFileStatus::Failed,
         "does not hold eight node numbers and a value"},
        {"too large", replaceLine(replaceLine(replaceLine(good, 5, "# 100000"), 6, "# 100000"), 7, "# 100000"),
         MeshFileStatus::Failed, "Mesh too large"},
        {"large but short",
         replaceLine(replaceLine(replaceLine(replaceLine(replaceLine(good, 5, "# 1000"), 6, "# 1000"), 7, "# 1000"), 12,
                                 " 1006012008 "),
                     16, " 997002999 "),
         MeshFileStatus::Failed, "too short for 1006012008 nodes"},
    };
    for (const Case& c : cases) {
        ProjectStore store = vt::builtStore(true);
        const Snapshot before = snapshot(store);
        MessageLog log;
        EXPECT_EQ(importMeshText(c.text, "bad.vwer", store.settings, store.mesh, store.models, log), c.result) << c.name;
        EXPECT_TRUE(vt::logHas(log, c.logged)) << c.name << ": " << log.plainText();
        EXPECT_TRUE(vt::logHas(log, "Error: Explorer - Import Mesh: ")) << c.name;
        expectUntouched(before, store);
    }
}

TEST(MeshFileImport, ReadsLfAndCrLineEnds)
{
    const ProjectStore source = vt::builtStore(false);
    std::string text = meshFileText(source.survey, source.mesh, source.models, MeshFileKind::Resistivity, "d");
    for (const char* end : {"\n", "\r"}) {
        std::string other;
        for (std::size_t k = 0; k < text.size(); ++k) {
            if (text.compare(k, 2, "\r\n") == 0) {
                other += end;
                ++k;
            }
            else other += text[k];
        }
        ProjectStore read;
        MessageLog log;
        EXPECT_EQ(importMeshText(other, "m", read.settings, read.mesh, read.models, log), MeshFileStatus::Read) << log.plainText();
        EXPECT_EQ(read.mesh.elementNodes, source.mesh.elementNodes);
    }
}

TEST(MeshExport, ConfigurationNameReplacesOnlyTheLastExtension)
{
    EXPECT_EQ(exportConfigurationPath("/data/site.2021/mesh.vwer"), fs::path("/data/site.2021/mesh.cnfg"));
    EXPECT_EQ(exportConfigurationPath("/data/site.2021/mesh.v1.vwer"), fs::path("/data/site.2021/mesh.v1.cnfg"));
    EXPECT_EQ(exportConfigurationPath("/data/mesh"), fs::path("/data/mesh.cnfg"));
}

TEST(MeshExport, WritesBothFilesAndAsksBeforeOverwriting)
{
    const fs::path folder = fs::temp_directory_path() / "vexora_export.2021";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path mesh = folder / "site.vwer";
    ProjectStore store = vt::builtStore(false);
    MessageLog log;
    ScriptedQuestions questions;
    ASSERT_EQ(subExportMesh(mesh, 1, store.settings, store.survey, store.mesh, store.models, questions, log),
              Status::Ok) << log.plainText();
    EXPECT_TRUE(fs::exists(folder / "site.cnfg"));
    ASSERT_EQ(questions.messages().size(), 1u);
    EXPECT_EQ(questions.messages()[0].text, "Mesh and model correctly exported.");
    EXPECT_TRUE(vt::logHas(log, "Dat and Configuration file " + mesh.string() + " saved"));

    std::string first;
    ASSERT_TRUE(readTextFile(mesh, first));
    store.models.conductivity.assign(store.models.conductivity.size(), 0.5);
    questions.setDefaultAnswer(false);
    EXPECT_EQ(subExportMesh(mesh, 1, store.settings, store.survey, store.mesh, store.models, questions, log),
              Status::Error);
    ASSERT_EQ(questions.questions().size(), 1u);
    EXPECT_EQ(questions.questions()[0].text, "site.vwer already exists. Do you want to overwrite it?");
    std::string second;
    ASSERT_TRUE(readTextFile(mesh, second));
    EXPECT_EQ(first, second);

    store.models.ip.resize(1);
    questions.setDefaultAnswer(true);
    EXPECT_EQ(subExportMesh(mesh, 2, store.settings, store.survey, store.mesh, store.models, questions, log),
              Status::Error);
    EXPECT_EQ(questions.messages().back().text, "No IP model to export!");
    ProjectStore empty;
    EXPECT_EQ(subExportMesh(mesh, 1, empty.settings, empty.survey, empty.mesh, empty.models, questions, log),
              Status::Error);
    EXPECT_EQ(questions.messages().back().text, "No mesh or model to export!");
    fs::remove_all(folder);
}

}  // namespace
