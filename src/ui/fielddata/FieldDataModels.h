#pragma once
// The grids of the field data window as views over the tables: the two
// temporary grids of an import, the project's electrodes and quadrupoles.
// Cells are computed when asked for; nothing is stored per cell.

#include <QAbstractTableModel>

#include "core/fielddata/FieldDataTable.h"
#include "core/import/tables/ImportFill.h"

namespace vexora::ui {

// A value as a cell shows it: up to 8 significant digits, the marker of a
// value that cannot be computed written out whole.
QString valueText(double value);

// "Field Data" (quadrupoles) or "Electrodes" of an import, as the import's texts.
class ImportGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    ImportGridModel(const ImportGrids& grids, bool quadrupoles, QObject* parent = nullptr)
        : QAbstractTableModel(parent), grids_(grids), quadrupoles_(quadrupoles) {}
    void reload() { beginResetModel(); endResetModel(); }
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const ImportGrids& grids_;
    bool quadrupoles_;
};

class ElectrodeTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ElectrodeTableModel(const Survey& survey, QObject* parent = nullptr)
        : QAbstractTableModel(parent), survey_(survey) {}
    void reload() { beginResetModel(); endResetModel(); }
    // Values edited in place: the rows and the selection stay.
    void refresh();
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const Survey& survey_;
};

// The quadrupole grid; removed quadrupoles are greyed. The IP column shows
// the chosen window.
class QuadTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    QuadTableModel(FieldDataRefs refs, QObject* parent = nullptr) : QAbstractTableModel(parent), refs_(refs) {}
    // After rows moved or changed, or the pairing changed.
    void reload();
    // Removal levels only changed.
    void refreshRemoval();
    void setIpWindow(int window);
    int ipWindow() const { return ipWindow_; }
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    FieldDataRefs refs_;
    std::vector<std::int32_t> partner_;
    int ipWindow_ = 0;
};

}  // namespace vexora::ui
