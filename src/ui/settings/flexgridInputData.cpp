#include "ui/settings/flexgridInputData.h"

#include <QHeaderView>

#include "ui/platform/RunHandler.h"
#include "ui/settings/SettingsTableModel.h"

namespace vexora::ui {

flexgridInputData::flexgridInputData(ProjectStore& store, Questions& questions, MessageLog& log, QWidget* parent)
    : QTableView(parent), store_(store), questions_(questions), log_(log),
      model_(new SettingsTableModel(store.settings, this))
{
    setObjectName("flexgridInputData");
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    // The activation refreshes the grid itself when the table changed.
    connect(this, &QAbstractItemView::activated, this,
            [this](const QModelIndex& index) { (void)activateRow(index.row()); });
    applySpans();
}

Status flexgridInputData::activateRow(int row)
{
    Status result = Status::Error;
    if (row < 0 || static_cast<std::size_t>(row) >= store_.settings.rows.size()) return result;
    runHandler(log_, "flexgridInputData_DblClick",
               [&] { result = EditSettingItem(store_, static_cast<std::size_t>(row), questions_, hooks_); });
    if (result == Status::Ok) {
        refresh();
        selectRow(row);
        emit settingsEdited();
    }
    return result;
}

void flexgridInputData::refresh()
{
    model_->refresh();
    applySpans();
}

void flexgridInputData::applySpans()
{
    clearSpans();
    for (std::size_t r = 0; r < store_.settings.rows.size(); ++r) {
        const SettingRow& row = store_.settings.rows[r];
        if (row.section || isSectionName(row.description)) setSpan(static_cast<int>(r), 0, 1, 2);
    }
}

}  // namespace vexora::ui
