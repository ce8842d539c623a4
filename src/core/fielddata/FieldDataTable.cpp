#include "core/fielddata/FieldDataTable.h"

#include <cmath>
#include <limits>
#include <unordered_map>

#include "core/import/GeometricFactor.h"
#include "core/qc/ReciprocalCheck.h"

namespace vexora {

namespace {

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

template <typename T>
void permute(std::vector<T>& column, const std::vector<std::uint32_t>& order)
{
    if (column.size() != order.size()) return;  // an absent (empty) column stays empty
    std::vector<T> moved(column.size());
    for (std::size_t k = 0; k < order.size(); ++k) moved[k] = std::move(column[order[k]]);
    column = std::move(moved);
}

template <typename T>
void permuteEach(std::vector<std::vector<T>>& columns, const std::vector<std::uint32_t>& order)
{
    for (std::vector<T>& column : columns) permute(column, order);
}

double at(const std::vector<double>& column, std::size_t row) { return row < column.size() ? column[row] : kNoValue; }

bool computable(double v) { return std::isfinite(v) && std::abs(v) != kCannotCompute; }

}  // namespace

const std::vector<std::string>& quadColumnHeads()
{
    static const std::vector<std::string> heads = {" ID ", " c A ", " A ", " c B ", " B ", " c M ", " M ",
                                                   " c N ", " N ", " V/I (Ohm)", " V/I Rec.(Ohm)", " V (mV)",
                                                   " I (mA)", " K ", " Rho ", " q ", " IP "};
    return heads;
}

const std::vector<double>& measuredResistance(const QuadrupoleTable& table)
{
    return table.resistance.empty() && !table.calcResistance.empty() ? table.calcResistance : table.resistance;
}

std::vector<std::int32_t> partnerRows(const Survey& survey, const ReciprocalPairing& reciprocals)
{
    const QuadrupoleTable& table = survey.quadrupoles;
    std::vector<std::int32_t> rows(table.size(), -1);
    if (!reciprocals.calculated || reciprocals.partnerId.size() != table.size()) return rows;
    std::unordered_map<std::int32_t, std::int32_t> rowOfId;
    rowOfId.reserve(table.size());
    for (std::size_t r = 0; r < table.size(); ++r) rowOfId.emplace(table.rows[r].id, static_cast<std::int32_t>(r));
    for (std::size_t r = 0; r < table.size(); ++r) {
        if (reciprocals.partnerId[r] == kNoQuadrupoleId) continue;
        if (auto it = rowOfId.find(reciprocals.partnerId[r]); it != rowOfId.end()) rows[r] = it->second;
    }
    return rows;
}

double quadValue(const FieldDataRefs& refs, int column, std::size_t row, int ipWindow,
                 const std::vector<std::int32_t>& partner)
{
    const QuadrupoleTable& table = refs.survey.quadrupoles;
    switch (column) {
    case ColResistance: return at(measuredResistance(table), row);
    case ColReciprocal:
        return row < partner.size() && partner[row] >= 0
                   ? at(measuredResistance(table), static_cast<std::size_t>(partner[row]))
                   : kNoValue;
    case ColVoltage: return at(refs.values.voltage, row);
    case ColCurrent: return at(table.current, row);
    case ColFactor: return at(refs.values.factor, row);
    case ColRho: {
        const double k = at(refs.values.factor, row), r = at(measuredResistance(table), row);
        if (std::isnan(k) || std::isnan(r)) return kNoValue;
        return computable(k) && computable(r) ? k * r : kCannotCompute;
    }
    case ColQ: return at(refs.values.q, row);
    case ColIp:
        return ipWindow >= 0 && static_cast<std::size_t>(ipWindow) < table.ip.size()
                   ? at(table.ip[static_cast<std::size_t>(ipWindow)], row)
                   : kNoValue;
    default: return kNoValue;
    }
}

void permuteQuadrupoles(const std::vector<std::uint32_t>& order, Survey& survey, ReciprocalPairing& reciprocals,
                        FieldDataValues& values)
{
    QuadrupoleTable& t = survey.quadrupoles;
    permute(t.rows, order);
    permute(t.resistance, order);
    permuteEach(t.ip, order);
    permute(t.resistanceStd, order);
    permuteEach(t.ipStd, order);
    permute(t.calcResistance, order);
    permute(t.calcIp, order);
    permute(t.calcResistanceStd, order);
    permute(t.calcIpStd, order);
    permute(t.current, order);
    permute(t.skip, order);
    permute(values.voltage, order);
    permute(values.q, order);
    permute(values.factor, order);
    // The pairing names partners by ID, so it stays valid once moved along.
    permute(reciprocals.partnerId, order);
    permute(reciprocals.duplicateOf, order);
    permute(reciprocals.absDiff, order);
    permute(reciprocals.percDiff, order);
}

std::size_t setApparentResistivitiesPositive(Survey& survey, FieldDataValues& values)
{
    QuadrupoleTable& table = survey.quadrupoles;
    std::vector<double>& resistance =
        table.resistance.empty() && !table.calcResistance.empty() ? table.calcResistance : table.resistance;
    const ReciprocalPairing noPairing;
    const FieldDataRefs refs{survey, noPairing, values};
    const std::vector<std::int32_t> none;
    std::size_t changed = 0;
    for (std::size_t r = 0; r < table.size(); ++r) {
        const double rho = quadValue(refs, ColRho, r, 0, none);
        if (!(rho < 0) || rho == -kCannotCompute) continue;
        resistance[r] = -resistance[r];
        if (r < values.voltage.size()) values.voltage[r] = -values.voltage[r];
        ++changed;
    }
    return changed;
}

std::optional<ColumnStatistics> columnStatistics(const FieldDataRefs& refs, int column, int ipWindow)
{
    const char* quantity = nullptr;
    switch (column) {
    case ColResistance: quantity = "V/I"; break;
    case ColVoltage: quantity = "V"; break;
    case ColCurrent: quantity = "I"; break;
    case ColFactor: quantity = "K"; break;
    case ColRho: quantity = "Rho"; break;
    case ColQ: quantity = "q"; break;
    case ColIp: quantity = "IP"; break;
    default: return std::nullopt;
    }
    ColumnStatistics out{quantity, {}};
    const QuadrupoleTable& table = refs.survey.quadrupoles;
    const std::vector<std::int32_t> none;
    out.values.reserve(table.size());
    for (std::size_t r = 0; r < table.size(); ++r) {
        if (r < table.skip.size() && table.skip[r] != 0) continue;
        const double v = quadValue(refs, column, r, ipWindow, none);
        if (!std::isnan(v)) out.values.push_back(v);
    }
    return out;
}

}  // namespace vexora
