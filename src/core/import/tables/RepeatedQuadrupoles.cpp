#include "core/import/tables/RepeatedQuadrupoles.h"

#include <cmath>
#include <string>
#include <unordered_map>

#include "core/settings/NumberText.h"

namespace vexora {

namespace {

constexpr std::size_t kListedRepeats = 20;

struct QuadrupoleKey {
    std::int32_t pole[4];
    bool operator==(const QuadrupoleKey&) const = default;
};

struct KeyHash {
    std::size_t operator()(const QuadrupoleKey& k) const
    {
        std::size_t h = 0;
        for (std::int32_t p : k.pole) h = h * 1000003u ^ static_cast<std::size_t>(static_cast<std::uint32_t>(p));
        return h;
    }
};

}  // namespace

std::vector<DisagreeingRepeat> findDisagreeingRepeats(const ImportSet& set, double factor)
{
    std::unordered_map<QuadrupoleKey, std::size_t, KeyHash> firstRow;
    firstRow.reserve(set.quadrupoles.size());
    std::vector<double> value(set.quadrupoles.size(), 0.0);
    std::vector<DisagreeingRepeat> found;
    for (std::size_t k = 0; k < set.quadrupoles.size() && k < set.values.size(); ++k) {
        const ImportQuadrupole& q = set.quadrupoles[k];
        const ImportValue& v = set.values[k];
        if (v.i == 0.0f) continue;
        QuadrupoleKey key{{q[0], q[1], q[2], q[3]}};
        double sign = 1.0;
        for (int p = 0; p < 4; p += 2)
            if (key.pole[p] > key.pole[p + 1]) {
                std::swap(key.pole[p], key.pole[p + 1]);
                sign = -sign;
            }
        value[k] = sign * static_cast<double>(v.v) / v.i;
        const auto [it, inserted] = firstRow.emplace(key, k);
        if (inserted) continue;
        const double ratio = value[k] / value[it->second];
        if (!(ratio <= factor && ratio >= 1.0 / factor)) found.push_back({k, it->second, ratio});
    }
    return found;
}

void warnAboutDisagreeingRepeats(const ImportSet& set, double factor, MessageLog& log)
{
    const std::vector<DisagreeingRepeat> found = findDisagreeingRepeats(set, factor);
    if (found.empty()) return;
    std::string list;
    for (std::size_t i = 0; i < found.size() && i < kListedRepeats; ++i)
        list += (i ? ", " : "") + std::to_string(found[i].row + 1) + " (of " + std::to_string(found[i].first + 1) +
                ", ratio " + formatNumber(std::round(found[i].ratio * 1000.0) / 1000.0) + ")";
    if (found.size() > kListedRepeats) list += " ...";
    log.warning("subFillImportTables",
                "Warning: " + std::to_string(found.size()) +
                    " repeated quadrupoles differ from their first reading by more than a factor " +
                    formatNumber(factor) +
                    " (records measured on another layout, such as a cable laid the other way round?). Records: " +
                    list);
}

}  // namespace vexora
