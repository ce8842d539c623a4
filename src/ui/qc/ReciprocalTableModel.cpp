#include "ui/qc/ReciprocalTableModel.h"

#include "core/settings/NumberText.h"

namespace vexora::ui {

QString poleText(const ElectrodeRef& pole) { return QString("%1:%2").arg(pole.cable).arg(pole.number); }

QString differenceText(const ReciprocalRow& row, bool percent)
{
    if (!row.paired()) return "No Rec.";
    const double d = percent ? row.percDiff : row.absDiff;
    if (d == kUndefinedDifference) return "undefined";
    return QString::fromStdString(formatFixed(d, percent ? 1 : 6));
}

void ReciprocalTableModel::show(const ReciprocalResult* result, std::vector<std::size_t> order, bool percent)
{
    beginResetModel();
    result_ = result;
    order_ = std::move(order);
    percent_ = percent;
    endResetModel();
}

int ReciprocalTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !result_ ? 0 : static_cast<int>(order_.size());
}

int ReciprocalTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant ReciprocalTableModel::data(const QModelIndex& index, int role) const
{
    if (!result_ || !index.isValid() || index.row() >= rowCount()) return {};
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    const ReciprocalRow& row = result_->rows[workingRow(index.row())];
    switch (index.column()) {
    case Number: return index.row() + 1;
    case PoleA: return poleText(row.pole[A]);
    case PoleB: return poleText(row.pole[B]);
    case PoleM: return poleText(row.pole[M]);
    case PoleN: return poleText(row.pole[N]);
    case Id: return row.id;
    case PartnerId: return row.paired() ? QVariant(row.partnerId) : QVariant("No Rec.");
    case Value: return QString::fromStdString(formatFixed(row.value, 6));
    case PartnerValue:
        return row.paired() ? QString::fromStdString(formatFixed(result_->rows[row.partnerRow].value, 6)) : QString();
    case Difference: return differenceText(row, percent_);
    case DuplicateOf: return row.duplicateOf == kNoQuadrupoleId ? QVariant() : QVariant(row.duplicateOf);
    default: return {};
    }
}

QVariant ReciprocalTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return QAbstractTableModel::headerData(section, orientation, role);
    const bool ip = result_ && result_->compared == ReciprocalValue::FirstIp;
    switch (section) {
    case Number: return " Nr. ";
    case PoleA: return " A ";
    case PoleB: return " B ";
    case PoleM: return " M ";
    case PoleN: return " N ";
    case Id: return " ID ";
    case PartnerId: return " ID_Rec ";
    case Value: return ip ? " IP " : " V/I ";
    case PartnerValue: return ip ? " IP_Rec " : " V/I_Rec ";
    case Difference: return percent_ ? " % Rec Diff " : " Abs Rec Diff ";
    case DuplicateOf: return " Duplic_of ";
    default: return {};
    }
}

}  // namespace vexora::ui
