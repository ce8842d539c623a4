#pragma once
// The mesh workspace's tables over core data: one axis's lines in their pad
// and foreground columns, and the anomaly rows of one kind.

#include <functional>
#include <vector>

#include <QAbstractTableModel>
#include <QStringList>

#include "core/mesh/MeshWorkspace.h"

namespace vexora::ui {

class LineGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Called with the column, its row and the typed value when an edit is
    // committed; returns whether the line took the value.
    using Edit = std::function<bool(LineColumn, std::size_t, double)>;

    LineGridModel(MeshAxis axis, Edit edit, QObject* parent = nullptr);
    void setColumns(LineColumns columns);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    const std::vector<double>* column(int c) const;
    LineColumn kind(int c) const;

    MeshAxis axis_;
    Edit edit_;
    LineColumns columns_;
};

class AnomalyTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setRows(std::vector<std::vector<double>> rows, bool resistivity);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<std::vector<double>> rows_;
    bool resistivity_ = true;
};

}  // namespace vexora::ui
