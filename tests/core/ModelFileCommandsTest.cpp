#include <gtest/gtest.h>

#include <filesystem>

#include "JobTestSupport.h"
#include "MeshTestSupport.h"
#include "core/io/TextFile.h"
#include "core/mesh/MeshFileFormat.h"
#include "core/mesh/ModelFileCommands.h"
#include "core/mesh/ViewerModelFile.h"
#include "core/platform/ScriptedQuestions.h"

namespace vexora {
namespace {

namespace fs = std::filesystem;
namespace vt = vexora::testing;

// The files an inversion leaves for the explorer, written from a small
// built mesh: the resistivity and IP mesh-and-model files, the viewer file,
// the same mesh's files cut short, and a file of another mesh.
struct JobOutputs {
    fs::path folder, rho, ip, viewer, truncated, other, text;
};

JobOutputs writeJobOutputs()
{
    JobOutputs o;
    o.folder = vt::freshFolder("model_file_commands");
    const ProjectStore source = vt::builtStore(false);
    MessageLog log;
    o.rho = o.folder / "InvFullMeshOutput.vwer";
    o.ip = o.folder / "InvFullMeshOutput_IP.vwer";
    o.viewer = o.folder / "InvModelOutput.vwer";
    EXPECT_EQ(OutputGlobalMesh(o.rho, false, source.survey, source.mesh, source.models, log), Status::Ok);
    EXPECT_EQ(OutputGlobalMesh(o.ip, true, source.survey, source.mesh, source.models, log), Status::Ok);
    EXPECT_EQ(modBinOutput(o.viewer, "RHO", source.settings, source.survey, source.mesh, source.models, log),
              ViewerFileStatus::Written)
        << log.plainText();
    std::string text;
    EXPECT_TRUE(readTextFile(o.rho, text));
    o.truncated = o.folder / "cut.vwer";
    EXPECT_TRUE(writeFileAtomically(o.truncated, text.substr(0, text.size() / 2)));
    const ProjectStore terrain = vt::builtStore(true);
    o.other = o.folder / "other.vwer";
    EXPECT_EQ(OutputGlobalMesh(o.other, false, terrain.survey, terrain.mesh, terrain.models, log), Status::Ok);
    o.text = o.folder / "notes.txt";
    EXPECT_TRUE(writeFileAtomically(o.text, "some notes\r\n"));
    return o;
}

struct Project {
    ProjectStore store;
    ScriptedQuestions questions;
    MessageLog log;
};

void expectSame(const ProjectStore& a, const ProjectStore& b, const std::string& name)
{
    EXPECT_EQ(a.settings, b.settings) << name;
    EXPECT_EQ(a.mesh.nodeGrid, b.mesh.nodeGrid) << name;
    EXPECT_EQ(a.mesh.present, b.mesh.present) << name;
    EXPECT_EQ(a.models.conductivity, b.models.conductivity) << name;
    EXPECT_EQ(a.models.ip, b.models.ip) << name;
}

TEST(ModelFileCommands, ImportMeshAndModelTakesTheFullMeshFile)
{
    const JobOutputs o = writeJobOutputs();
    Project p;
    p.store.settings = vt::builtStore(false).settings;
    ASSERT_EQ(importMeshAndModel(o.rho, p.store.settings, p.store.mesh, p.store.models, p.questions, p.log),
              Status::Ok)
        << p.log.plainText();
    EXPECT_TRUE(p.store.mesh.present);
    EXPECT_DOUBLE_EQ(1 / p.store.models.conductivity[3], 13.0);
    ASSERT_FALSE(p.questions.messages().empty());
    EXPECT_EQ(p.questions.messages().back().text, "Mesh and model correctly imported.");
    EXPECT_TRUE(vt::logHas(p.log, "Mesh and resistivity model imported from file " + o.rho.string()));
}

TEST(ModelFileCommands, ImportRefusalsLeaveTheProjectAsItWas)
{
    const JobOutputs o = writeJobOutputs();
    const struct {
        fs::path file;
        std::string message;
    } cases[] = {
        {o.folder / "missing.vwer", "missing.vwer not found!"},
        {o.viewer, "InvModelOutput.vwer is a 3D viewer model file, which holds the plotted region only: take the "
                   "mesh-and-model file instead (an inversion writes it as InvFullMeshOutput.vwer, and the IP model "
                   "as InvFullMeshOutput_IP.vwer)."},
        {o.text, "notes.txt is not a mesh-and-model file: its first line is not \"# version_info\"."},
        {o.truncated, "Mesh and model not imported from cut.vwer: "},
    };
    for (const auto& c : cases) {
        Project p;
        p.store = vt::builtStore(true);
        const ProjectStore before = p.store;
        EXPECT_EQ(importMeshAndModel(c.file, p.store.settings, p.store.mesh, p.store.models, p.questions, p.log),
                  Status::Error);
        ASSERT_EQ(p.questions.messages().size(), 1u) << c.file;
        EXPECT_EQ(p.questions.messages()[0].text.substr(0, c.message.size()), c.message);
        EXPECT_EQ(p.log.errorCount(), 1u) << p.log.plainText();
        expectSame(before, p.store, c.file.string());
    }
}

TEST(ModelFileCommands, LoadModelPutsTheJobsModelsOnTheMesh)
{
    const JobOutputs o = writeJobOutputs();
    Project p;
    p.store = vt::builtStore(false);
    const std::vector<double> conductivity = p.store.models.conductivity;
    std::fill(p.store.models.conductivity.begin(), p.store.models.conductivity.end(), 0.01);
    std::fill(p.store.models.ip.begin(), p.store.models.ip.end(), 0.0);
    const std::vector<NodePoint> nodes = p.store.mesh.nodeGrid;

    ASSERT_EQ(loadModelFile(o.rho, 1, p.store.settings, p.store.mesh, p.store.models, p.questions, p.log), Status::Ok)
        << p.log.plainText();
    for (std::size_t e = 0; e < conductivity.size(); ++e)
        ASSERT_NEAR(p.store.models.conductivity[e], conductivity[e], 1e-12) << e;
    EXPECT_EQ(p.store.models.ip, std::vector<double>(conductivity.size(), 0.0));  // the IP model stays
    EXPECT_TRUE(p.store.models.conductivityImported);
    EXPECT_EQ(p.store.mesh.nodeGrid, nodes);
    EXPECT_EQ(p.questions.messages().back().text, "Resistivity model correctly loaded.");
    EXPECT_TRUE(vt::logHas(p.log, "Resistivity model correctly loaded from file " + o.rho.string()));

    ASSERT_EQ(loadModelFile(o.ip, 2, p.store.settings, p.store.mesh, p.store.models, p.questions, p.log), Status::Ok)
        << p.log.plainText();
    EXPECT_DOUBLE_EQ(p.store.models.ip[3], 2.5 * 3 / 1000.0);
    EXPECT_TRUE(p.store.models.ipImported);
    EXPECT_EQ(settingText(p.store.settings, Item::IpModelType), "1-Imported");
    EXPECT_EQ(p.questions.messages().back().text, "IP model correctly loaded.");
}

TEST(ModelFileCommands, LoadModelRefusalsLeaveTheProjectAsItWas)
{
    const JobOutputs o = writeJobOutputs();
    const struct {
        fs::path file;
        int kind;
        bool mesh;
        std::string message;
    } cases[] = {
        {o.folder / "missing.vwer", 1, true, "missing.vwer not found!"},
        {o.text, 1, true, "Invalid file format."},
        {o.viewer, 1, true, "InvModelOutput.vwer is a 3D viewer model file"},
        {o.rho, 1, false, "No mesh to put the model of InvFullMeshOutput.vwer on: import the mesh and model first "
                          "(Import Mesh and Model)."},
        {o.ip, 1, true, "InvFullMeshOutput_IP.vwer holds an IP model, not a resistivity model."},
        {o.rho, 2, true, "InvFullMeshOutput.vwer holds a resistivity model, not an IP model."},
        {o.truncated, 1, true, "Model not loaded from cut.vwer: "},
        {o.other, 1, true, "The model of other.vwer belongs to a mesh of "},
    };
    for (const auto& c : cases) {
        Project p;
        p.store = vt::builtStore(false);
        if (!c.mesh) p.store.mesh.present = false;
        const ProjectStore before = p.store;
        EXPECT_EQ(loadModelFile(c.file, c.kind, p.store.settings, p.store.mesh, p.store.models, p.questions, p.log),
                  Status::Error)
            << c.message;
        ASSERT_EQ(p.questions.messages().size(), 1u) << c.message;
        EXPECT_EQ(p.questions.messages()[0].text.substr(0, c.message.size()), c.message);
        expectSame(before, p.store, c.message);
    }
}

}  // namespace
}  // namespace vexora
