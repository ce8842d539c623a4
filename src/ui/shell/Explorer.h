#pragma once
// The project explorer: the open project as a tree of tasks. The tree is
// built from the main window's node list, which outlives this window; a
// click on a node is handed back to the main window with the node's index.

#include <cstddef>

#include <QWidget>

#include "core/shell/ExplorerTree.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace vexora::ui {

class Explorer : public QWidget {
    Q_OBJECT
public:
    explicit Explorer(QWidget* parent = nullptr);

    QTreeWidget* treeView() const { return TreeView1_; }

    // Re-creates the tree from the list, in order, each node under the
    // parent its key names, fully expanded.
    void rebuild(const ExplorerNodeList& nodes);
    // The item of the node at `index` of the list, or null.
    QTreeWidgetItem* item(std::size_t index) const;
    void setBold(std::size_t index, bool bold);
    // Selects the node and expands it.
    void select(std::size_t index);

signals:
    void nodeClicked(std::size_t index);

private:
    QTreeWidget* TreeView1_;
};

}  // namespace vexora::ui
