#include "core/import/schedule/ScheduleExtraction.h"

#include <bit>
#include <cmath>
#include <string>
#include <unordered_map>

#include "core/import/syscal/SyscalBinary.h"

namespace vexora {

namespace {

// Exact position key: the three coordinates as stored bit patterns, with -0
// folded onto +0 so that equal values give equal keys.
struct PositionKey {
    std::uint64_t x, y, z;
    bool operator==(const PositionKey&) const = default;
};

struct PositionHash {
    std::size_t operator()(const PositionKey& k) const
    {
        std::uint64_t h = k.x * 0x9E3779B97F4A7C15ull;
        h ^= k.y + 0x7F4A7C159E3779B9ull + (h << 6) + (h >> 2);
        h ^= k.z + 0x94D049BB133111EBull + (h << 6) + (h >> 2);
        return static_cast<std::size_t>(h ^ (h >> 31));
    }
};

std::uint64_t bitsOf(double value) { return std::bit_cast<std::uint64_t>(value + 0.0); }

}  // namespace

ImportStatus funExtractSchedule(const std::vector<SyscalRecord>& records, ImportSet& set, MessageLog& log)
{
    set.clear();
    if (records.empty()) {
        log.logError("funExtractSchedule", "The binary file holds no measurement record.");
        return ImportStatus::Failed;
    }
    set.quadrupoles.resize(records.size());
    set.values.resize(records.size());
    // First electrode at each position; a hash lookup replaces the search
    // through all earlier electrodes, which grew with the square of the count.
    std::unordered_map<PositionKey, std::int32_t, PositionHash> numberAt;
    numberAt.reserve(1024);
    for (std::size_t k = 0; k < records.size(); ++k) {
        const SyscalRecord& r = records[k];
        set.values[k] = {r.v, r.i, r.q, r.m};
        for (int p = 0; p < 4; ++p) {
            if (isAbsentElectrodeMarker(r.x[p])) {
                set.quadrupoles[k][p] = 0;
                continue;
            }
            const double x = r.x[p], y = r.y[p], z = r.z[p];
            const PositionKey key{bitsOf(x), bitsOf(y), bitsOf(z)};
            // The first record's poles are all appended, even where two coincide.
            if (k > 0) {
                auto it = numberAt.find(key);
                if (it != numberAt.end()) {
                    set.quadrupoles[k][p] = it->second;
                    continue;
                }
            }
            const auto number = static_cast<std::int32_t>(set.electrodes.size() + 1);
            set.electrodes.push_back({number, x, y, z});
            numberAt.emplace(key, number);
            set.quadrupoles[k][p] = number;
        }
    }
    return ImportStatus::Ok;
}

void subSortDoubleWithIndex(std::vector<double>& keys, std::vector<std::int32_t>& order,
                            std::vector<std::int32_t>& rank)
{
    const auto n = static_cast<std::int64_t>(keys.size()) - 1;
    order.assign(keys.size(), 0);
    rank.assign(keys.size(), 0);
    for (std::int64_t i = 1; i <= n; ++i) order[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(i);
    auto at = [](auto& v, std::int64_t i) -> auto& { return v[static_cast<std::size_t>(i)]; };
    if (n >= 2) {
        std::int64_t l = static_cast<std::int64_t>(std::nearbyint(static_cast<double>(n) / 2.0)) + 1;
        std::int64_t r = n;
        for (;;) {
            double key;
            std::int32_t index;
            if (l > 1) {
                --l;
                key = at(keys, l);
                index = at(order, l);
            } else {
                key = at(keys, r);
                index = at(order, r);
                at(keys, r) = keys[1];
                at(order, r) = order[1];
                if (--r == 1) {
                    keys[1] = key;
                    order[1] = index;
                    break;
                }
            }
            std::int64_t i = l, j = 2 * l;
            while (j <= r) {
                if (j < r && at(keys, j) < at(keys, j + 1)) ++j;
                if (key < at(keys, j)) {
                    at(keys, i) = at(keys, j);
                    at(order, i) = at(order, j);
                    i = j;
                    j *= 2;
                } else {
                    break;
                }
            }
            at(keys, i) = key;
            at(order, i) = index;
        }
    }
    for (std::int64_t k = 1; k <= n; ++k) at(rank, order[static_cast<std::size_t>(k)]) = static_cast<std::int32_t>(k);
}

ImportStatus funRenumberElecAndQuad(ImportSet& set, bool isProfile, int numberingStart, bool snake, MessageLog& log)
{
    const int axis = numberingStart < 0 ? -numberingStart : numberingStart;
    if (axis != 1 && axis != 2) {
        log.logError("funRenumberElecAndQuad", "Invalid numbering start " + std::to_string(numberingStart) + ".");
        return ImportStatus::Failed;
    }
    const bool ascending = numberingStart > 0;
    const std::size_t n = set.electrodes.size();
    auto coordinate = [&](std::size_t e, int which) {
        return which == 1 ? set.electrodes[e].x : set.electrodes[e].y;
    };
    // sortedPosition[old 0-based index] = new 0-based index
    std::vector<std::int32_t> newIndex(n);
    std::vector<std::size_t> sequence;  // old indices in their new order
    sequence.reserve(n);
    std::vector<double> keys(n + 1);
    std::vector<std::int32_t> order, rank;

    if (isProfile) {
        for (std::size_t e = 0; e < n; ++e) keys[e + 1] = ascending ? coordinate(e, axis) : -coordinate(e, axis);
        subSortDoubleWithIndex(keys, order, rank);
        for (std::size_t k = 1; k <= n; ++k) sequence.push_back(static_cast<std::size_t>(order[k] - 1));
    } else {
        const int secondary = 3 - axis;
        for (std::size_t e = 0; e < n; ++e) keys[e + 1] = coordinate(e, secondary);
        subSortDoubleWithIndex(keys, order, rank);
        bool forward = ascending;
        std::size_t start = 1;
        while (start <= n) {
            std::size_t end = start + 1;  // one past the line
            while (end <= n && !(keys[end] > keys[end - 1])) ++end;
            std::vector<double> lineKeys(end - start + 1);
            for (std::size_t k = start; k < end; ++k) {
                const double c = coordinate(static_cast<std::size_t>(order[k] - 1), axis);
                lineKeys[k - start + 1] = forward ? c : -c;
            }
            std::vector<std::int32_t> lineOrder, lineRank;
            subSortDoubleWithIndex(lineKeys, lineOrder, lineRank);
            for (std::size_t k = 1; k < lineKeys.size(); ++k)
                sequence.push_back(static_cast<std::size_t>(order[start + static_cast<std::size_t>(lineOrder[k]) - 1] - 1));
            if (snake) forward = !forward;
            start = end;
        }
    }
    std::vector<ImportElectrode> renumbered(n);
    for (std::size_t k = 0; k < n; ++k) {
        renumbered[k] = set.electrodes[sequence[k]];
        renumbered[k].number = static_cast<std::int32_t>(k + 1);
        newIndex[sequence[k]] = static_cast<std::int32_t>(k + 1);
    }
    // Quadrupoles refer to electrode numbers; map number -> old index.
    std::unordered_map<std::int32_t, std::int32_t> numberToNew;
    numberToNew.reserve(n);
    for (std::size_t e = 0; e < n; ++e) numberToNew.emplace(set.electrodes[e].number, newIndex[e]);
    for (ImportQuadrupole& q : set.quadrupoles)
        for (std::int32_t& pole : q) {
            if (pole == 0) continue;
            auto it = numberToNew.find(pole);
            pole = it == numberToNew.end() ? 0 : it->second;
        }
    set.electrodes = std::move(renumbered);
    return ImportStatus::Ok;
}

}  // namespace vexora
