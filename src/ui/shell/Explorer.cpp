#include "ui/shell/Explorer.h"

#include <QHash>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/platform/TextConversion.h"

namespace vexora::ui {

namespace {

constexpr int kNodeIndexRole = Qt::UserRole + 1;

}  // namespace

Explorer::Explorer(QWidget* parent) : QWidget(parent), TreeView1_(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("Explorer"));
    TreeView1_->setObjectName(QStringLiteral("TreeView1"));
    TreeView1_->setHeaderHidden(true);
    TreeView1_->setColumnCount(1);
    TreeView1_->setRootIsDecorated(true);
    TreeView1_->setExpandsOnDoubleClick(false);
    connect(TreeView1_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* clicked, int) {
        if (clicked) emit nodeClicked(static_cast<std::size_t>(clicked->data(0, kNodeIndexRole).toULongLong()));
    });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(TreeView1_);
}

void Explorer::rebuild(const ExplorerNodeList& nodes)
{
    TreeView1_->clear();
    QHash<QString, QTreeWidgetItem*> byKey;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const ExplorerNode& node = nodes[i];
        QTreeWidgetItem* parent = node.parentKey.empty() ? nullptr : byKey.value(toQString(node.parentKey));
        auto* added = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(TreeView1_);
        added->setText(0, toQString(node.text));
        added->setData(0, kNodeIndexRole, static_cast<qulonglong>(i));
        if (!node.key.empty()) byKey.insert(toQString(node.key), added);
        QFont font = added->font(0);
        font.setBold(node.bold);
        added->setFont(0, font);
        // Every node is made visible as it is added: the tree shows fully expanded.
        if (parent) parent->setExpanded(true);
        added->setExpanded(true);
    }
}

QTreeWidgetItem* Explorer::item(std::size_t index) const
{
    for (QTreeWidgetItemIterator it(TreeView1_); *it; ++it)
        if ((*it)->data(0, kNodeIndexRole).toULongLong() == index) return *it;
    return nullptr;
}

void Explorer::setBold(std::size_t index, bool bold)
{
    if (QTreeWidgetItem* found = item(index)) {
        QFont font = found->font(0);
        font.setBold(bold);
        found->setFont(0, font);
    }
}

void Explorer::select(std::size_t index)
{
    if (QTreeWidgetItem* found = item(index)) {
        TreeView1_->setCurrentItem(found);
        found->setExpanded(true);
    }
}

}  // namespace vexora::ui
