#include "ui/fielddata/FieldDataModels.h"

#include <cmath>

#include <QBrush>
#include <QColor>

#include "core/fielddata/AcceptImport.h"
#include "core/import/GeometricFactor.h"

namespace vexora::ui {

namespace {

const char* const kElectrodeHeads[] = {" Cable ", " ID ", " x(m) ", " y(m) ", " z(m) ", " z terrain(m) ", " Type ",
                                       " Remote "};

QString typeText(std::int16_t type)
{
    const int t = std::abs(type);
    return t == 1 ? QStringLiteral("Borehole") : QStringLiteral("Surface");
}

}  // namespace

QString valueText(double value)
{
    if (std::isnan(value)) return {};
    if (std::abs(value) >= kCannotCompute) return QString::number(value, 'f', 0);
    return QString::number(value, 'g', 8);
}

int ImportGridModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid()) return 0;
    return static_cast<int>(quadrupoles_ ? grids_.quadrupoles.size() : grids_.electrodes.size());
}

int ImportGridModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid()) return 0;
    return static_cast<int>(quadrupoles_ ? ImportGrids::kQuadrupoleColumns.size()
                                         : ImportGrids::kElectrodeColumns.size());
}

QVariant ImportGridModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const auto row = static_cast<std::size_t>(index.row());
    const auto column = static_cast<std::size_t>(index.column());
    return QString::fromStdString(quadrupoles_ ? grids_.quadrupoles.at(row).at(column)
                                               : grids_.electrodes.at(row).at(column));
}

QVariant ImportGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    return QString::fromLatin1(quadrupoles_ ? ImportGrids::kQuadrupoleColumns.at(static_cast<std::size_t>(section))
                                            : ImportGrids::kElectrodeColumns.at(static_cast<std::size_t>(section)));
}

void ElectrodeTableModel::refresh()
{
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int ElectrodeTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(survey_.electrodes.size());
}

int ElectrodeTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 8; }

QVariant ElectrodeTableModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const Electrode& e = survey_.electrodes.at(static_cast<std::size_t>(index.row()));
    const bool remote = e.type < 0;  // the remote flag: a negative type
    switch (index.column()) {
    case 0:
        return e.cable >= 1 && static_cast<std::size_t>(e.cable) <= survey_.cableNames.size()
                   ? QString::fromStdString(survey_.cableNames[static_cast<std::size_t>(e.cable - 1)])
                   : QString::number(e.cable);
    case 1: return e.number;
    case 2: return valueText(e.x);
    case 3: return valueText(e.y);
    case 4: return valueText(e.z);
    case 5: return valueText(e.elevation);
    case 6: return remote ? QStringLiteral("Remote") : typeText(e.type);
    case 7: return remote ? QStringLiteral("Yes") : QStringLiteral("No");
    default: return {};
    }
}

QVariant ElectrodeTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    return section >= 0 && section < 8 ? QString::fromLatin1(kElectrodeHeads[section]) : QVariant{};
}

void QuadTableModel::reload()
{
    beginResetModel();
    partner_ = partnerRows(refs_.survey, refs_.reciprocals);
    endResetModel();
}

void QuadTableModel::refreshRemoval()
{
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, kQuadColumnCount - 1), {Qt::ForegroundRole});
}

void QuadTableModel::setIpWindow(int window)
{
    ipWindow_ = window;
    if (rowCount() > 0) emit dataChanged(index(0, ColIp), index(rowCount() - 1, ColIp));
    emit headerDataChanged(Qt::Horizontal, ColIp, ColIp);
}

int QuadTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(refs_.survey.quadrupoles.size());
}

int QuadTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kQuadColumnCount; }

QVariant QuadTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid()) return {};
    const auto row = static_cast<std::size_t>(index.row());
    const QuadrupoleTable& table = refs_.survey.quadrupoles;
    if (role == Qt::ForegroundRole)
        return row < table.skip.size() && table.skip[row] != 0 ? QBrush(QColor(160, 160, 160)) : QVariant{};
    if (role != Qt::DisplayRole) return {};
    const int column = index.column();
    const Quadrupole& q = table.rows.at(row);
    if (column == ColId) return q.id;
    if (column <= ColN) {
        const ElectrodeRef& pole = q.pole[(column - ColCableA) / 2];
        return (column - ColCableA) % 2 == 0 ? pole.cable : pole.number;
    }
    if (column == ColReciprocal && (row >= partner_.size() || partner_[row] < 0)) return QStringLiteral("No Rec.");
    return valueText(quadValue(refs_, column, row, ipWindow_, partner_));
}

QVariant QuadTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    if (section == ColIp) return QStringLiteral(" IP%1 ").arg(ipWindow_ + 1);
    const auto& heads = quadColumnHeads();
    return section >= 0 && static_cast<std::size_t>(section) < heads.size()
               ? QString::fromStdString(heads[static_cast<std::size_t>(section)])
               : QVariant{};
}

}  // namespace vexora::ui
