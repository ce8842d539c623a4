#include "ui/import/MergeElectrodeModel.h"

#include "core/merge/MergeSummary.h"
#include "ui/platform/TextConversion.h"

namespace vexora::ui {

void MergeElectrodeModel::show(const MergeBlock* block)
{
    beginResetModel();
    block_ = block;
    endResetModel();
}

int MergeElectrodeModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || block_ == nullptr ? 0 : static_cast<int>(block_->survey.electrodes.size());
}

int MergeElectrodeModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant MergeElectrodeModel::data(const QModelIndex& index, int role) const
{
    if (block_ == nullptr || !index.isValid() || index.row() >= rowCount()) return {};
    if (role == Qt::TextAlignmentRole) return index.column() >= X && index.column() <= Terrain ? int(Qt::AlignRight | Qt::AlignVCenter) : int(Qt::AlignCenter);
    if (role == Qt::ToolTipRole && index.column() == Cable) return QStringLiteral("Double click to rename the cable");
    if (role != Qt::DisplayRole) return {};
    return toQString(mergeElectrodeRow(*block_, static_cast<std::size_t>(index.row()))[static_cast<std::size_t>(index.column())]);
}

QVariant MergeElectrodeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= ColumnCount) return {};
    return QString::fromLatin1(kMergeElectrodeColumns[static_cast<std::size_t>(section)]);
}

}  // namespace vexora::ui
