#include "ui/settings/SettingsTableModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include "core/settings/SettingValidation.h"
#include "ui/platform/TextConversion.h"

namespace vexora::ui {

SettingsTableModel::SettingsTableModel(const SettingsTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table)
{
}

int SettingsTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(table_.rows.size());
}

int SettingsTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant SettingsTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const SettingRow& row = table_.rows[static_cast<std::size_t>(index.row())];
    const bool section = row.section || isSectionName(row.description);
    switch (role) {
    case Qt::DisplayRole:
        return toQString(index.column() == 0 ? std::string_view(row.description) : std::string_view(row.value));
    case Qt::FontRole:
        if (section || index.row() == 0) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    case Qt::ToolTipRole: return toQString(settingTooltip(table_, static_cast<std::size_t>(index.row())));
    case Qt::BackgroundRole:
        if (section) return QBrush(QColor(0xC8, 0xDC, 0xF0));
        if (index.row() == 0) return QBrush(QColor(0xE4, 0xE4, 0xE4));
        return {};
    default: return {};
    }
}

void SettingsTableModel::refresh()
{
    beginResetModel();
    endResetModel();
}

}  // namespace vexora::ui
