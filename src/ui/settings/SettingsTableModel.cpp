#include "ui/settings/SettingsTableModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include "core/settings/SettingValidation.h"
#include "ui/platform/TextConversion.h"

namespace vexora::ui {

SettingsTableModel::SettingsTableModel(const ProjectStore& store, QObject* parent)
    : QAbstractTableModel(parent), store_(store)
{
}

int SettingsTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(store_.settings.rows.size());
}

int SettingsTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant SettingsTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const SettingsTable& table = store_.settings;
    const auto r = static_cast<std::size_t>(index.row());
    const SettingRow& row = table.rows[r];
    const bool section = row.section || isSectionName(row.description);
    const bool value = index.column() == 1;
    const bool twoWay = value && settingEditKind(table, r) == SettingEditKind::Toggle;
    switch (role) {
    case Qt::DisplayRole:
        // A two-way row's check box says it all.
        if (twoWay) return {};
        // The table's own header row: its values are no longer the defaults.
        if (index.row() == 0 && value && store_.survey.dataLoaded) return tr("Values");
        return toQString(value ? std::string_view(row.value) : std::string_view(row.description));
    case Qt::EditRole: return toQString(row.value).trimmed();
    case Qt::CheckStateRole:
        if (!twoWay) return {};
        return settingSwitchedOn(table, r) ? Qt::Checked : Qt::Unchecked;
    case kChoicesRole: {
        QStringList choices;
        if (value)
            for (const std::string& choice : settingChoices(table, r)) choices << toQString(choice);
        return choices;
    }
    case Qt::FontRole:
        if (section || index.row() == 0) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    case Qt::ToolTipRole: return toQString(settingTooltip(table, r));
    case Qt::BackgroundRole:
        if (section) return QBrush(QColor(0xC8, 0xDC, 0xF0));
        if (index.row() == 0) return QBrush(QColor(0xE4, 0xE4, 0xE4));
        return {};
    default: return {};
    }
}

Qt::ItemFlags SettingsTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    const Qt::ItemFlags shown = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() != 1) return shown;
    switch (settingEditKind(store_.settings, static_cast<std::size_t>(index.row()))) {
    case SettingEditKind::Toggle: return shown | Qt::ItemIsUserCheckable;
    case SettingEditKind::Choice:
    case SettingEditKind::Value: return shown | Qt::ItemIsEditable;
    case SettingEditKind::NotEditable: break;
    }
    return shown;
}

bool SettingsTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != 1) return false;
    if (role == Qt::CheckStateRole && (flags(index) & Qt::ItemIsUserCheckable)) {
        emit switchGiven(index.row(), value.toInt() == Qt::Checked);
        return true;
    }
    if (role == Qt::EditRole && (flags(index) & Qt::ItemIsEditable)) {
        // An editor left as it was asks nothing (a foreground limit would
        // ask about the plot bounds again).
        if (value.toString().trimmed() == data(index, Qt::EditRole).toString()) return false;
        emit answerGiven(index.row(), value.toString());
        return true;
    }
    return false;
}

void SettingsTableModel::refresh()
{
    beginResetModel();
    endResetModel();
}

}  // namespace vexora::ui
