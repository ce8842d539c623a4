#pragma once
// The project's settings table as a two-column Qt table: description and
// value text, read from the store on every call; section rows bold on a
// highlighted background; the header row's "Default Values" reads
// "Values" once a data file is loaded. Two-way rows show a check box, choice rows offer
// their choices (kChoicesRole). The model changes nothing itself: an edit
// is handed on as a request, for the grid to run through the rules.

#include <QAbstractTableModel>
#include <QStringList>

#include "core/project/ProjectStore.h"

namespace vexora::ui {

class SettingsTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The choices of a choice row's value cell, as a QStringList.
    static constexpr int kChoicesRole = Qt::UserRole + 1;

    explicit SettingsTableModel(const ProjectStore& store, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The table may have changed anywhere, rows included.
    void refresh();

signals:
    void answerGiven(int row, const QString& answer);
    void switchGiven(int row, bool on);

private:
    const ProjectStore& store_;
};

}  // namespace vexora::ui
