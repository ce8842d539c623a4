#include "ui/settings/flexgridInputData.h"

#include <QHeaderView>

#include "ui/platform/RunHandler.h"
#include "ui/platform/TextConversion.h"
#include "ui/settings/ChoiceDelegate.h"
#include "ui/settings/SettingsTableModel.h"

namespace vexora::ui {

flexgridInputData::flexgridInputData(ProjectStore& store, Questions& questions, MessageLog& log, QWidget* parent)
    : QTableView(parent), store_(store), questions_(questions), log_(log),
      model_(new SettingsTableModel(store, this))
{
    setObjectName("flexgridInputData");
    setModel(model_);
    setItemDelegate(new ChoiceDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // A click anywhere on a row edits it (below); F2 or typing edits the
    // current cell. Not on a change of the current row: the grid selects
    // the edited row again after every edit.
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    horizontalHeader()->hide();  // the table's first row is its header
    verticalHeader()->hide();
    // The values stay in sight, as wide as the default plot bounds: a long
    // description gives way (its tooltip holds it whole).
    horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->resizeSection(1, fontMetrics().horizontalAdvance(QStringLiteral("0.0 10.0 0.0 10.0 -5.0 0.0 ")));
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    connect(this, &QAbstractItemView::clicked, this, &flexgridInputData::startEditing);
    // After the editor has closed: the rules' questions must not meet an
    // editor still open (a box taking the focus would commit it again).
    connect(model_, &SettingsTableModel::answerGiven, this, [this](int row, const QString& answer) {
        (void)finishEdit(row, [&] {
            return EditSettingItem(store_, static_cast<std::size_t>(row), toWindows1252(answer), questions_, hooks_);
        });
    }, Qt::QueuedConnection);
    connect(model_, &SettingsTableModel::switchGiven, this, [this](int row, bool on) {
        (void)finishEdit(row,
                         [&] { return SwitchSettingItem(store_, static_cast<std::size_t>(row), on, questions_, hooks_); });
    });
    applySpans();
}

void flexgridInputData::startEditing(const QModelIndex& index)
{
    const QModelIndex value = index.siblingAtColumn(1);
    const Qt::ItemFlags flags = model_->flags(value);
    if (flags & Qt::ItemIsEditable) edit(value);
    // On the check box itself the click has switched it already.
    else if ((flags & Qt::ItemIsUserCheckable) && index.column() == 0)
        model_->setData(value, value.data(Qt::CheckStateRole).toInt() == Qt::Checked ? Qt::Unchecked : Qt::Checked,
                        Qt::CheckStateRole);
}

bool flexgridInputData::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    // The rows are selected whole: keys on a row edit its value.
    return QTableView::edit(index.column() == 0 ? index.siblingAtColumn(1) : index, trigger, event);
}

Status flexgridInputData::activateRow(int row)
{
    return finishEdit(row, [&] { return EditSettingItem(store_, static_cast<std::size_t>(row), questions_, hooks_); });
}

Status flexgridInputData::finishEdit(int row, const std::function<Status()>& edit)
{
    Status result = Status::Error;
    if (row < 0 || static_cast<std::size_t>(row) >= store_.settings.rows.size()) return result;
    runHandler(log_, "flexgridInputData_Click", [&] { result = edit(); });
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
