#include "core/shell/ExplorerTree.h"

#include <algorithm>
#include <array>
#include <utility>

namespace vexora {

namespace {

constexpr std::array<std::string_view, 8> kMeshTasks = {
    "Make Mesh",
    "Make Resistivity/IP Model",
    "Export Mesh and Resistivity Model",
    "Export Mesh and IP Model",
    "Import Mesh and Model",
    "Load Resistivity Model",
    "Load IP Model",
    "Import Resistivity/IP Model from XYZ File",
};

void addGroup(ExplorerNodeList& nodes, std::string_view text, std::string_view key,
              std::initializer_list<std::string_view> tasks)
{
    nodes.push_back({std::string(text), std::string(key), "", false});
    for (std::string_view task : tasks) nodes.push_back({std::string(task), "", std::string(key), false});
}

void addMeshGroup(ExplorerNodeList& nodes)
{
    addGroup(nodes, "Mesh and Resistivity/IP Model", "M", {});
    for (std::string_view task : kMeshTasks) nodes.push_back({std::string(task), "", "M", false});
}

NodeAction show(TaskWindow window, WindowMode mode = WindowMode::Default, std::string_view caption = {})
{
    NodeAction action;
    action.kind = NodeAction::Kind::ShowWindow;
    action.window = window;
    action.mode = mode;
    action.caption = caption;
    return action;
}

NodeAction dialog(TaskWindow window)
{
    NodeAction action;
    action.kind = NodeAction::Kind::ShowDialog;
    action.window = window;
    return action;
}

NodeAction operation(NodeOperation op)
{
    NodeAction action;
    action.kind = NodeAction::Kind::Operation;
    action.operation = op;
    return action;
}

NodeAction sequencer()
{
    NodeAction action;
    action.kind = NodeAction::Kind::StartSequencer;
    return action;
}

}  // namespace

std::string_view projectTypeCaption(ProjectType type)
{
    switch (type) {
    case ProjectType::DataInversion: return kDataInversionCaption;
    case ProjectType::SurveyDesign: return kSurveyDesignCaption;
    case ProjectType::None: break;
    }
    return {};
}

ExplorerNodeList explorerTree(ProjectType type)
{
    ExplorerNodeList nodes;
    if (type == ProjectType::DataInversion) {
        addGroup(nodes, "Schedule", "S", {"Import field data"});
        addGroup(nodes, "Data Quality Control", "DQC", {"Pseudo Plots", "Reciprocals Check", "Cross Cable Data Plots"});
        addMeshGroup(nodes);
        addGroup(nodes, "Data Inversion", "DI", {"DI workspace", "Forward solver set up", "Inverse solver set up"});
        addGroup(nodes, "Sensitivity Analysis", "SA", {"SA workspace"});
    }
    else if (type == ProjectType::SurveyDesign) {
        addGroup(nodes, "Schedule", "S", {"Schedule Maker"});
        addMeshGroup(nodes);
        addGroup(nodes, "Forward Modeling", "FM", {"FM workspace", "FM set up"});
        addGroup(nodes, "Sensitivity Analysis", "SA", {"SA workspace"});
    }
    return nodes;
}

void addDataSetNode(ExplorerNodeList& nodes)
{
    if (std::any_of(nodes.begin(), nodes.end(), [](const ExplorerNode& n) { return n.key == "S_W"; })) return;
    nodes.push_back({std::string(kDataSetNode), "S_W", "S", false});
}

void addMergedDataNode(ExplorerNodeList& nodes)
{
    if (std::any_of(nodes.begin(), nodes.end(), [](const ExplorerNode& n) { return n.key == "S_M"; })) return;
    nodes.push_back({std::string(kMergedDataNode), "S_M", "S", false});
}

std::optional<std::size_t> findNode(const ExplorerNodeList& nodes, std::string_view text, int occurrence)
{
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].text == text && --occurrence <= 0) return i;
    return std::nullopt;
}

NodeAction nodeAction(std::string_view text)
{
    using T = TaskWindow;
    using O = NodeOperation;
    static const std::array<std::pair<std::string_view, NodeAction>, 21> kTable = {{
        {"Import field data", dialog(T::BinImport)},
        {"Data Set", show(T::FieldData, WindowMode::DataSet)},
        {kMergedDataNode, show(T::FieldData, WindowMode::DataSet)},
        {"Pseudo Plots", show(T::Histogram)},
        {"Reciprocals Check", show(T::ReciprocalCheck)},
        {"Cross Cable Data Plots", show(T::CrossCableMaps)},
        {"Make Mesh", show(T::MeshWork, WindowMode::Default, "Mesh Workspace")},
        {"Make Resistivity/IP Model", show(T::MeshWork, WindowMode::Default, "Resistivity and IP Model")},
        {"Export Mesh and Resistivity Model", operation(O::ExportMeshResistivity)},
        {"Export Mesh and IP Model", operation(O::ExportMeshIp)},
        {"Import Mesh and Model", operation(O::ImportMesh)},
        {"Load Resistivity Model", operation(O::LoadResistivityModel)},
        {"Load IP Model", operation(O::LoadIpModel)},
        {"Import Resistivity/IP Model from XYZ File", operation(O::ImportXyz)},
        {"DI workspace", show(T::InvWork)},
        {"Forward solver set up", dialog(T::ForwardSolverSetup)},
        {"FM set up", dialog(T::ForwardSolverSetup)},
        {"Inverse solver set up", dialog(T::InverseSolverSetup)},
        {"FM workspace", show(T::ForwardWork)},
        {"Schedule Maker", sequencer()},
        {"SA workspace", show(T::FieldData, WindowMode::Sensitivity)},
    }};
    for (const auto& [nodeText, action] : kTable)
        if (nodeText == text) return action;
    return {};
}

}  // namespace vexora
