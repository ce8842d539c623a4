#include "core/survey/QuadrupoleRows.h"

#include <vector>

namespace vexora {

namespace {

template <typename T>
std::vector<T> taken(const std::vector<T>& column, std::span<const std::size_t> rows)
{
    std::vector<T> out;
    if (column.empty()) return out;
    out.reserve(rows.size());
    for (std::size_t row : rows) out.push_back(column[row]);
    return out;
}

template <typename T>
std::vector<std::vector<T>> takenWindows(const std::vector<std::vector<T>>& columns, std::span<const std::size_t> rows)
{
    std::vector<std::vector<T>> out;
    out.reserve(columns.size());
    for (const auto& column : columns) out.push_back(taken(column, rows));
    return out;
}

}  // namespace

QuadrupoleTable quadrupoleRows(const QuadrupoleTable& table, std::span<const std::size_t> wanted)
{
    std::vector<std::size_t> rows;
    rows.reserve(wanted.size());
    for (std::size_t row : wanted)
        if (row < table.size()) rows.push_back(row);
    QuadrupoleTable out;
    out.rows = taken(table.rows, rows);
    out.resistance = taken(table.resistance, rows);
    out.ip = takenWindows(table.ip, rows);
    out.resistanceStd = taken(table.resistanceStd, rows);
    out.ipStd = takenWindows(table.ipStd, rows);
    out.calcResistance = taken(table.calcResistance, rows);
    out.calcIp = taken(table.calcIp, rows);
    out.calcResistanceStd = taken(table.calcResistanceStd, rows);
    out.calcIpStd = taken(table.calcIpStd, rows);
    out.current = taken(table.current, rows);
    out.skip = taken(table.skip, rows);
    return out;
}

}  // namespace vexora
