#pragma once
// The settings grid the inversion and forward workspaces embed: the store's
// settings table in two columns; activating a row runs the editing routine
// (prompt, rules, questions) and shows the result at once.

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

    // The activation handler of a row; returns EditSettingItem's result, 1
    // for rows that are not editable.
    Status activateRow(int row);
    // Re-reads the whole table (after a configuration load, a reset ...).
    void refresh();

signals:
    // The table changed through an edit: the workspace refreshes its
    // derived values (mesh dimensions and the like).
    void settingsEdited();

private:
    void applySpans();

    ProjectStore& store_;
    Questions& questions_;
    MessageLog& log_;
    EditSettingHooks hooks_;
    SettingsTableModel* model_;
};

}  // namespace vexora::ui
