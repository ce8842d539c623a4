#include "core/fielddata/QuadSort.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/qc/ReciprocalCheck.h"

namespace vexora {

namespace {

// Pole positions (A 0, B 1, M 2, N 3) in key order for the clicked pole.
constexpr std::array<std::array<int, 4>, 4> kPoleKeys = {{{0, 1, 2, 3}, {1, 0, 2, 3}, {2, 3, 0, 1}, {3, 2, 0, 1}}};

std::vector<std::uint32_t> poleOrder(const Survey& survey, int clickedPole)
{
    const QuadrupoleTable& table = survey.quadrupoles;
    const auto& keyPoles = kPoleKeys[static_cast<std::size_t>(clickedPole)];
    std::vector<std::array<std::int32_t, 4>> keys(table.size());
    for (std::size_t r = 0; r < table.size(); ++r)
        for (std::size_t k = 0; k < 4; ++k) {
            const ElectrodeRef& pole = table.rows[r].pole[keyPoles[k]];
            // 1-based electrode row; 0 for a pole that names no electrode.
            keys[r][k] = survey.lookup.find(pole.cable, pole.number) + 1;
        }
    return SortQuadKeys(keys);
}

struct ValueKey {
    double value;
    std::uint32_t row;
};

std::vector<std::uint32_t> valueOrder(const FieldDataRefs& refs, int column, bool absolute, int ipWindow)
{
    const std::size_t count = refs.survey.quadrupoles.size();
    const std::vector<std::int32_t> partner =
        column == ColReciprocal ? partnerRows(refs.survey, refs.reciprocals) : std::vector<std::int32_t>{};
    std::vector<ValueKey> keys(count);
    for (std::size_t r = 0; r < count; ++r) {
        double v = column == ColId ? refs.survey.quadrupoles.rows[r].id : quadValue(refs, column, r, ipWindow, partner);
        if (absolute) v = std::abs(v);
        keys[r] = {std::isnan(v) ? HUGE_VAL : v, static_cast<std::uint32_t>(r)};
    }
    std::sort(keys.begin(), keys.end(), [](const ValueKey& l, const ValueKey& r) {
        return l.value != r.value ? l.value < r.value : l.row < r.row;
    });
    std::vector<std::uint32_t> order(count);
    for (std::size_t k = 0; k < count; ++k) order[k] = keys[k].row;
    return order;
}

}  // namespace

std::vector<std::uint32_t> quadSortOrder(const FieldDataRefs& refs, int column, SortDirection direction,
                                         bool absolute, int ipWindow)
{
    std::vector<std::uint32_t> order = column >= ColCableA && column <= ColN
                                           ? poleOrder(refs.survey, (column - ColCableA) / 2)
                                           : valueOrder(refs, column, absolute, ipWindow);
    if (direction == SortDirection::Decreasing) std::reverse(order.begin(), order.end());
    return order;
}

void sortQuadrupoles(Survey& survey, ReciprocalPairing& reciprocals, FieldDataValues& values, int column,
                     SortDirection direction, bool absolute, int ipWindow)
{
    const std::vector<std::uint32_t> order =
        quadSortOrder({survey, reciprocals, values}, column, direction, absolute, ipWindow);
    permuteQuadrupoles(order, survey, reciprocals, values);
}

}  // namespace vexora
