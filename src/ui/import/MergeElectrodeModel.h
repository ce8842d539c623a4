#pragma once
// The electrode grid of the merge window: the selected block's electrodes,
// read from the block when asked for.

#include <QAbstractTableModel>

#include "core/merge/MergeBlock.h"

namespace vexora::ui {

class MergeElectrodeModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Cable, Id, X, Y, Z, Terrain, Type, Remote, ColumnCount };

    explicit MergeElectrodeModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // Shows the block (null: nothing), which must outlive the model's use of
    // it; call again after the block changed.
    void show(const MergeBlock* block);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const MergeBlock* block_ = nullptr;
};

}  // namespace vexora::ui
