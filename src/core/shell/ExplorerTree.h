#pragma once
// The project explorer's trees and what a click on each node does. The node
// list outlives the tree control: a rebuilt explorer re-creates its tree
// from it, in order.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/project/ProjectStore.h"

namespace vexora {

struct ExplorerNode {
    std::string text;
    std::string key;        // group nodes and the data-set node; empty for tasks
    std::string parentKey;  // empty for group nodes
    bool bold = false;
    bool operator==(const ExplorerNode&) const = default;
};

using ExplorerNodeList = std::vector<ExplorerNode>;

inline constexpr std::string_view kDataInversionCaption = "Data Inversion";
inline constexpr std::string_view kSurveyDesignCaption = "Survey Design";
inline constexpr std::string_view kDataSetNode = "Data Set";

// "Data Inversion", "Survey Design", or "" for no project.
std::string_view projectTypeCaption(ProjectType type);

// The tree of a new project of the type, groups each followed by their tasks.
ExplorerNodeList explorerTree(ProjectType type);

// Adds "Data Set" under "Schedule" unless the list has it already.
void addDataSetNode(ExplorerNodeList& nodes);

// The data set of merged files, beside "Data Set": it opens the same window.
inline constexpr std::string_view kMergedDataNode = "MERGED_DATA";
void addMergedDataNode(ExplorerNodeList& nodes);

// The `occurrence`-th node (1-based) with the text.
std::optional<std::size_t> findNode(const ExplorerNodeList& nodes, std::string_view text, int occurrence = 1);

// The task windows a node click can show.
enum class TaskWindow {
    FieldData,           // data set, sensitivity
    BinImport,           // the field data import, a dialog until the field data window takes it over
    Histogram,           // the pseudo plots' data histogram, until the field data window takes it over
    ReciprocalCheck,
    CrossCableMaps,
    MeshWork,
    InvWork,
    ForwardWork,
    ForwardSolverSetup,  // dialogs: shown without hiding the others
    InverseSolverSetup,
};
inline constexpr int kTaskWindowCount = 10;

// How the shared field data window is switched when it is shown.
enum class WindowMode { Default, DataSet, Sensitivity };

// The explorer's mesh and model file operations.
enum class NodeOperation {
    ExportMeshResistivity,
    ExportMeshIp,
    ImportMesh,
    LoadResistivityModel,
    LoadIpModel,
    ImportXyz,
};

struct NodeAction {
    enum class Kind {
        None,            // group nodes and unknown texts
        ShowWindow,      // hide the other task windows, show this one
        ShowDialog,      // show this one, leave the others
        Operation,
        StartSequencer,
    };
    Kind kind = Kind::None;
    TaskWindow window = TaskWindow::FieldData;
    WindowMode mode = WindowMode::Default;
    std::string_view caption;  // window caption to set, empty: leave it
    NodeOperation operation = NodeOperation::ImportMesh;
};

// The node click dispatch by node text.
NodeAction nodeAction(std::string_view text);

}  // namespace vexora
