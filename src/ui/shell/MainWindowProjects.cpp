// The main window's projects: creating and closing them, the explorer with
// its node list, and the node click dispatch.

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>

#include "core/log/MessageLog.h"
#include "core/project/ProjectReset.h"
#include "core/project/ProjectStore.h"
#include "core/shell/ProjectBanner.h"
#include "ui/platform/RunHandler.h"
#include "ui/platform/TextConversion.h"
#include "ui/shell/Explorer.h"
#include "ui/shell/MainWindow.h"

namespace vexora::ui {

namespace {

constexpr int kExplorerWidth = 300;

TaskWindow workspaceOf(ProjectType type)
{
    return type == ProjectType::SurveyDesign ? TaskWindow::ForwardWork : TaskWindow::InvWork;
}

}  // namespace

ProjectType MDIStart::projectType() const
{
    // The explorer's caption is the project's type.
    if (projectCaption_ == toQString(kDataInversionCaption)) return ProjectType::DataInversion;
    if (projectCaption_ == toQString(kSurveyDesignCaption)) return ProjectType::SurveyDesign;
    return ProjectType::None;
}

void MDIStart::mnuNewProject_Click(ProjectType type)
{
    runHandler(log_, "mnuNewProject_Click", [&] {
        // The open project's workspace is asked first: its own question may
        // keep the project open.
        if (!taskWindows_.closeAll(workspaceOf(projectType()))) return;
        if (explorerFrame_) delete explorerFrame_.data();
        nodes_.clear();
        store_ = ProjectStore{};
        store_.type = type;

        projectCaption_ = toQString(projectTypeCaption(type));
        showExplorer();
        log_.subWriteToTextBox(projectBanner(projectTypeCaption(type)));
        nodes_ = explorerTree(type);
        if (explorer_) explorer_->rebuild(nodes_);
    });
}

bool MDIStart::mnuCloseProject_Click()
{
    bool closed = false;
    runHandler(log_, "mnuCloseProject_Click", [&] {
        const TaskWindow workspace = workspaceOf(projectType());
        if (!taskWindows_.close(workspace)) return;
        if (!closeProjectWindows(workspace)) return;
        // What the workspace empties when it quits, had it not been open.
        resetProjectData(store_);
        closed = true;
    });
    return closed;
}

bool MDIStart::closeProjectWindows(TaskWindow workspace)
{
    if (!taskWindows_.closeAllExcept(workspace)) return false;
    if (explorerFrame_) delete explorerFrame_.data();
    nodes_.clear();
    projectCaption_.clear();
    return true;
}

QRect MDIStart::taskPlacement() const
{
    const QSize area = mdiArea_->viewport()->size();
    const int width = std::max(area.width() - kExplorerWidth, 400);
    return QRect(kExplorerWidth, 0, width, std::max(area.height(), 300));
}

void MDIStart::showExplorer()
{
    if (projectCaption_.isEmpty()) return;
    if (!explorerFrame_) {
        explorer_ = new Explorer;
        connect(explorer_, &Explorer::nodeClicked, this, [this](std::size_t index) { TreeView1_NodeClick(index); });
        explorerFrame_ = mdiArea_->addSubWindow(explorer_);
        // Closing the explorer keeps the node list: View > Explorer Window
        // builds it again.
        explorerFrame_->setAttribute(Qt::WA_DeleteOnClose);
        explorerFrame_->setWindowIcon(style()->standardIcon(QStyle::SP_DirIcon));
        explorerFrame_->setGeometry(0, 0, kExplorerWidth, std::max(mdiArea_->viewport()->height(), 300));
        explorer_->rebuild(nodes_);
    }
    explorer_->setWindowTitle(projectCaption_);
    explorerFrame_->show();
    explorerFrame_->raise();
    mdiArea_->setActiveSubWindow(explorerFrame_);
}

void MDIStart::mnuViewExplorer_Click() { showExplorer(); }

void MDIStart::addDataSetNode()
{
    const std::size_t before = nodes_.size();
    vexora::addDataSetNode(nodes_);
    if (explorer_ && nodes_.size() != before) explorer_->rebuild(nodes_);
}

void MDIStart::addMergedDataNode()
{
    const std::size_t before = nodes_.size();
    vexora::addMergedDataNode(nodes_);
    if (explorer_ && nodes_.size() != before) explorer_->rebuild(nodes_);
}

void MDIStart::registerNodeOperation(NodeOperation operation, std::function<void()> run)
{
    nodeOperations_[operation] = std::move(run);
}

void MDIStart::TreeView1_NodeClick(std::size_t nodeIndex)
{
    runCommand(log_, questions_, "TreeView1_NodeClick", [&] {
        if (nodeIndex >= nodes_.size()) return;
        if (explorer_) explorer_->select(nodeIndex);
        const NodeAction action = nodeAction(nodes_[nodeIndex].text);
        if (action.kind == NodeAction::Kind::None) return;
        nodes_[nodeIndex].bold = true;
        if (explorer_) explorer_->setBold(nodeIndex, true);

        // A node whose window or operation this build lacks says so: a click
        // that does nothing reads as a fault.
        const auto notInRelease = [&] {
            log_.warning("TreeView1_NodeClick", nodes_[nodeIndex].text + ": this window is not in this release.");
        };
        switch (action.kind) {
        case NodeAction::Kind::ShowWindow:
        case NodeAction::Kind::ShowDialog:
            if (!taskWindows_.isRegistered(action.window)) {
                notInRelease();
                break;
            }
            taskWindows_.show(action.window, action.mode, toQString(action.caption),
                              action.kind == NodeAction::Kind::ShowWindow, taskPlacement());
            break;
        case NodeAction::Kind::Operation: {
            auto found = nodeOperations_.find(action.operation);
            if (found != nodeOperations_.end() && found->second) found->second();
            else notInRelease();
            break;
        }
        case NodeAction::Kind::StartSequencer: mnuSequencer_Click(); break;
        case NodeAction::Kind::None: break;
        }
    });
}

void MDIStart::LinkMenusToTreeView(std::string_view nodeText, int occurrence)
{
    if (const std::optional<std::size_t> found = findNode(nodes_, nodeText, occurrence)) TreeView1_NodeClick(*found);
}

void MDIStart::mnuDataSet_Click(DataSetView view)
{
    if (!findNode(nodes_, kDataSetNode)) return;
    LinkMenusToTreeView(kDataSetNode);
    emit dataSetViewRequested(view);
}

void MDIStart::mnuDataQualityControl_Click()
{
    if (projectType() == ProjectType::DataInversion) LinkMenusToTreeView("Pseudo Plots");
    else mnuDataSet_Click(DataSetView::Plots);
}

void MDIStart::setTaskBackground(const QColor& colour) { taskWindows_.setBackground(colour); }

}  // namespace vexora::ui
