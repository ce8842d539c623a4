#pragma once
// The project's settings table as a two-column Qt table: description and
// value text, read from the store on every call; section rows bold on a
// highlighted background.

#include <QAbstractTableModel>

#include "core/settings/SettingsTable.h"

namespace vexora::ui {

class SettingsTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit SettingsTableModel(const SettingsTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // The table may have changed anywhere, rows included.
    void refresh();

private:
    const SettingsTable& table_;
};

}  // namespace vexora::ui
