#include "ui/mesh/MeshWorkModels.h"

#include <algorithm>
#include <limits>

#include "core/settings/LenientNumber.h"
#include "core/settings/NumberText.h"
#include "ui/platform/TextConversion.h"

namespace vexora::ui {

LineGridModel::LineGridModel(MeshAxis axis, Edit edit, QObject* parent)
    : QAbstractTableModel(parent), axis_(axis), edit_(std::move(edit))
{
}

void LineGridModel::setColumns(LineColumns columns)
{
    beginResetModel();
    columns_ = std::move(columns);
    endResetModel();
}

int LineGridModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid()) return 0;
    return static_cast<int>(std::max({columns_.low.size(), columns_.foreground.size(), columns_.high.size()}));
}

int LineGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : axis_ == MeshAxis::Z ? 2 : 3;
}

LineColumn LineGridModel::kind(int c) const
{
    if (axis_ == MeshAxis::Z) return c == 0 ? LineColumn::Foreground : LineColumn::Low;
    return c == 0 ? LineColumn::Low : c == 1 ? LineColumn::Foreground : LineColumn::High;
}

const std::vector<double>* LineGridModel::column(int c) const
{
    switch (kind(c)) {
    case LineColumn::Low: return &columns_.low;
    case LineColumn::Foreground: return &columns_.foreground;
    case LineColumn::High: return &columns_.high;
    }
    return nullptr;
}

QVariant LineGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    const std::vector<double>* values = column(index.column());
    const auto row = static_cast<std::size_t>(index.row());
    if (!values || row >= values->size()) return {};
    return toQString(lineCoordinateText((*values)[row]));
}

QVariant LineGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    static const char* const kHeaders[3][3] = {
        {" -X ", " Foregr. ", " +X "}, {" -Y ", " Foregr. ", " +Y "}, {" Foregr. ", " -Z ", ""}};
    return QString::fromLatin1(kHeaders[static_cast<int>(axis_)][section]);
}

Qt::ItemFlags LineGridModel::flags(const QModelIndex& index) const
{
    const std::vector<double>* values = column(index.column());
    if (!index.isValid() || !values || static_cast<std::size_t>(index.row()) >= values->size()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool LineGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) return false;
    bool found = false;
    const double typed = lenientNumber(toWindows1252(value.toString()), found);
    // Text that is no number is the same wrong value as one out of place.
    return edit_(kind(index.column()), static_cast<std::size_t>(index.row()),
                 found ? typed : std::numeric_limits<double>::quiet_NaN());
}

void AnomalyTableModel::setRows(std::vector<std::vector<double>> rows, bool resistivity)
{
    beginResetModel();
    rows_ = std::move(rows);
    resistivity_ = resistivity;
    endResetModel();
}

int AnomalyTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int AnomalyTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : resistivity_ ? 8 : 7;
}

QVariant AnomalyTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole) return {};
    const std::vector<double>& row = rows_[static_cast<std::size_t>(index.row())];
    const auto column = static_cast<std::size_t>(index.column());
    return column < row.size() ? toQString(formatNumber(row[column])) : QVariant();
}

QVariant AnomalyTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    static const char* const kHeaders[] = {" X min ", " X max ", " Y min ", " Y max ", " Z min ", " Z max "};
    if (section < 6) return QString::fromLatin1(kHeaders[section]);
    if (section == 6) return resistivity_ ? QStringLiteral(" Resistivity ") : QStringLiteral(" IP ");
    return QStringLiteral(" Radius ");
}

}  // namespace vexora::ui
