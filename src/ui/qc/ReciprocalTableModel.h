#pragma once
// The reciprocal table of the Reciprocals window: a view over the check's
// working table in the chosen order; cells are computed when asked for.

#include <vector>

#include <QAbstractTableModel>

#include "core/qc/ReciprocalCheck.h"

namespace vexora::ui {

class ReciprocalTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Number, PoleA, PoleB, PoleM, PoleN, Id, PartnerId, Value, PartnerValue, Difference, DuplicateOf,
                  ColumnCount };

    explicit ReciprocalTableModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // Shows the result in the given order; `percent` picks the difference
    // column (% or absolute). The result must outlive the model's use of it.
    void show(const ReciprocalResult* result, std::vector<std::size_t> order, bool percent);
    bool percent() const { return percent_; }
    // Working-table index of a displayed row.
    std::size_t workingRow(int row) const { return order_.at(static_cast<std::size_t>(row)); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const ReciprocalResult* result_ = nullptr;
    std::vector<std::size_t> order_;
    bool percent_ = true;
};

// "cable:electrode" of a pole.
QString poleText(const ElectrodeRef& pole);
// The difference as shown: 1 decimal for %, 6 for absolute, "-999" kept as the
// marker of an undefined difference, "No Rec." without a partner.
QString differenceText(const ReciprocalRow& row, bool percent);

}  // namespace vexora::ui
