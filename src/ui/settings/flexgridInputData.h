#pragma once
// The settings grid the inversion and forward workspaces embed: the store's
// settings table in two columns. A click edits a row in place: a two-way
// row's check box switches it, a choice row offers its list, the others a
// line editor; the answer goes through the editing rules (message,
// questions) and the result shows at once.

#include <functional>

#include <QTableView>

#include "core/log/MessageLog.h"
#include "core/platform/Questions.h"
#include "core/project/ProjectStore.h"
#include "core/project/EditSettingItem.h"

namespace vexora::ui {

class SettingsTableModel;

class flexgridInputData : public QTableView {
    Q_OBJECT
public:
    flexgridInputData(ProjectStore& store, Questions& questions, MessageLog& log, QWidget* parent = nullptr);

    // Hooks of the embedding workspace (its IP check box, topography label).
    void setHooks(EditSettingHooks hooks) { hooks_ = std::move(hooks); }

    // The row's editing routine with its prompt; returns EditSettingItem's
    // result, Error for rows that are not editable.
    Status activateRow(int row);
    // Re-reads the whole table (after a configuration load, a reset ...).
    void refresh();

    using QTableView::edit;

signals:
    // The table changed through an edit: the workspace refreshes its
    // derived values (mesh dimensions and the like).
    void settingsEdited();

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

private:
    // Opens the value cell's editor, or switches a two-way row.
    void startEditing(const QModelIndex& index);
    Status finishEdit(int row, const std::function<Status()>& edit);
    void applySpans();

    ProjectStore& store_;
    Questions& questions_;
    MessageLog& log_;
    EditSettingHooks hooks_;
    SettingsTableModel* model_;
};

}  // namespace vexora::ui
