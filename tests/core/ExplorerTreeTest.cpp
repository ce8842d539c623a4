#include <gtest/gtest.h>

#include "core/shell/ExplorerTree.h"
#include "core/shell/ProjectBanner.h"

namespace {

using namespace vexora;

// "group: task, task" per group, in insertion order.
std::vector<std::string> outline(const ExplorerNodeList& nodes)
{
    std::vector<std::string> lines;
    for (const ExplorerNode& node : nodes) {
        if (node.parentKey.empty()) lines.push_back(node.text + " (" + node.key + "):");
        else lines.back() += " " + node.text + ";";
    }
    return lines;
}

const char* const kMeshLine =
    "Mesh and Resistivity/IP Model (M): Make Mesh; Make Resistivity/IP Model; Export Mesh and Resistivity Model; "
    "Export Mesh and IP Model; Import Mesh and Model; Load Resistivity Model; Load IP Model; "
    "Import Resistivity/IP Model from XYZ File;";

TEST(ExplorerTree, TheTreesOfBothProjectTypes)
{
    EXPECT_EQ(outline(explorerTree(ProjectType::DataInversion)),
              (std::vector<std::string>{
                  "Schedule (S): Import field data;",
                  "Data Quality Control (DQC): Pseudo Plots; Reciprocals Check; Cross Cable Data Plots;",
                  kMeshLine,
                  "Data Inversion (DI): DI workspace; Forward solver set up; Inverse solver set up;",
                  "Sensitivity Analysis (SA): SA workspace;",
              }));
    EXPECT_EQ(outline(explorerTree(ProjectType::SurveyDesign)),
              (std::vector<std::string>{
                  "Schedule (S): Schedule Maker;",
                  kMeshLine,
                  "Forward Modeling (FM): FM workspace; FM set up;",
                  "Sensitivity Analysis (SA): SA workspace;",
              }));
    EXPECT_TRUE(explorerTree(ProjectType::None).empty());
    EXPECT_EQ(projectTypeCaption(ProjectType::SurveyDesign), "Survey Design");
}

TEST(ExplorerTree, TheDataSetNodeIsAddedOnceUnderSchedule)
{
    ExplorerNodeList nodes = explorerTree(ProjectType::SurveyDesign);
    addDataSetNode(nodes);
    addDataSetNode(nodes);
    EXPECT_EQ(std::count_if(nodes.begin(), nodes.end(), [](const ExplorerNode& n) { return n.text == "Data Set"; }), 1);
    EXPECT_EQ(nodes.back(), (ExplorerNode{"Data Set", "S_W", "S", false}));
    EXPECT_EQ(findNode(nodes, "Data Set"), nodes.size() - 1);
    EXPECT_EQ(findNode(nodes, "SA workspace", 2), std::nullopt);
    EXPECT_EQ(findNode(nodes, "Pseudo Plots"), std::nullopt);  // no quality control in a survey design
}

TEST(ExplorerTree, NodeClickDispatch)
{
    using K = NodeAction::Kind;
    struct Row {
        const char* text;
        K kind;
        TaskWindow window;
        WindowMode mode;
        std::string_view caption;
    };
    const Row rows[] = {
        {"Import field data", K::ShowDialog, TaskWindow::BinImport, WindowMode::Default, ""},
        {"Data Set", K::ShowWindow, TaskWindow::FieldData, WindowMode::DataSet, ""},
        {"Pseudo Plots", K::ShowWindow, TaskWindow::Histogram, WindowMode::Default, ""},
        {"SA workspace", K::ShowWindow, TaskWindow::FieldData, WindowMode::Sensitivity, ""},
        {"Reciprocals Check", K::ShowWindow, TaskWindow::ReciprocalCheck, WindowMode::Default, ""},
        {"Cross Cable Data Plots", K::ShowWindow, TaskWindow::CrossCableMaps, WindowMode::Default, ""},
        {"Make Mesh", K::ShowWindow, TaskWindow::MeshWork, WindowMode::Default, "Mesh Workspace"},
        {"Make Resistivity/IP Model", K::ShowWindow, TaskWindow::MeshWork, WindowMode::Default,
         "Resistivity and IP Model"},
        {"DI workspace", K::ShowWindow, TaskWindow::InvWork, WindowMode::Default, ""},
        {"FM workspace", K::ShowWindow, TaskWindow::ForwardWork, WindowMode::Default, ""},
        {"Forward solver set up", K::ShowDialog, TaskWindow::ForwardSolverSetup, WindowMode::Default, ""},
        {"FM set up", K::ShowDialog, TaskWindow::ForwardSolverSetup, WindowMode::Default, ""},
        {"Inverse solver set up", K::ShowDialog, TaskWindow::InverseSolverSetup, WindowMode::Default, ""},
    };
    for (const Row& row : rows) {
        const NodeAction action = nodeAction(row.text);
        EXPECT_EQ(action.kind, row.kind) << row.text;
        EXPECT_EQ(action.window, row.window) << row.text;
        EXPECT_EQ(action.mode, row.mode) << row.text;
        EXPECT_EQ(action.caption, row.caption) << row.text;
    }
    const std::pair<const char*, NodeOperation> operations[] = {
        {"Export Mesh and Resistivity Model", NodeOperation::ExportMeshResistivity},
        {"Export Mesh and IP Model", NodeOperation::ExportMeshIp},
        {"Import Mesh and Model", NodeOperation::ImportMesh},
        {"Load Resistivity Model", NodeOperation::LoadResistivityModel},
        {"Load IP Model", NodeOperation::LoadIpModel},
        {"Import Resistivity/IP Model from XYZ File", NodeOperation::ImportXyz},
    };
    for (const auto& [text, operation] : operations) {
        EXPECT_EQ(nodeAction(text).kind, K::Operation) << text;
        EXPECT_EQ(nodeAction(text).operation, operation) << text;
    }
    EXPECT_EQ(nodeAction("Schedule Maker").kind, K::StartSequencer);
    for (const char* inert : {"Schedule", "Data Quality Control", "Mesh and Resistivity/IP Model", "Data Inversion",
                              "Forward Modeling", "Sensitivity Analysis", "make mesh", ""})
        EXPECT_EQ(nodeAction(inert).kind, K::None) << inert;
}

TEST(ProjectBanner, RuleTitleCoreLineRule)
{
    const std::string rule = " " + std::string(91, '-') + " \r\n";
    EXPECT_EQ(projectBanner("Survey Design", ApplicationVersion{2, 5, 13}),
              rule + " Vexora64 - 2.5.13 - Survey Design \r\n 64-bit processing numerical core\r\n" + rule + "\r\n");
}

}  // namespace
