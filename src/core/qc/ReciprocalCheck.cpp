#include "core/qc/ReciprocalCheck.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <tuple>
#include <utility>

#include "core/settings/NumberText.h"

namespace vexora {

namespace {

constexpr char kSource[] = "DoReciprocalCheck";

// The poles of a row packed into two words that compare like (a, b, m, n):
// indices are never negative, so unsigned order is their order.
struct SortKey {
    std::uint64_t high = 0, low = 0;  // (a, b) and (m, n)
    std::uint32_t row = 0;

    bool sameKey(std::uint64_t h, std::uint64_t l) const { return high == h && low == l; }
};

std::uint64_t packPair(std::int32_t first, std::int32_t second)
{
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(first)) << 32) |
           static_cast<std::uint32_t>(second);
}

// The sort works on these compact keys rather than on the wide rows: a
// million rows then sort and bisect within a few cache-friendly megabytes.
template <typename PolesOf>
std::vector<SortKey> sortedKeys(std::size_t count, PolesOf polesOf)
{
    std::vector<SortKey> keys(count);
    for (std::size_t r = 0; r < count; ++r) {
        const std::array<std::int32_t, 4> p = polesOf(r);
        keys[r] = {packPair(p[0], p[1]), packPair(p[2], p[3]), static_cast<std::uint32_t>(r)};
    }
    std::sort(keys.begin(), keys.end(), [](const SortKey& l, const SortKey& r) {
        return std::tie(l.high, l.low, l.row) < std::tie(r.high, r.low, r.row);
    });
    return keys;
}

std::vector<SortKey> sortedKeys(const std::vector<ReciprocalRow>& rows)
{
    return sortedKeys(rows.size(), [&rows](std::size_t r) {
        return std::array<std::int32_t, 4>{rows[r].a, rows[r].b, rows[r].m, rows[r].n};
    });
}

std::vector<std::uint32_t> rowsOf(const std::vector<SortKey>& keys)
{
    std::vector<std::uint32_t> order(keys.size());
    for (std::size_t k = 0; k < keys.size(); ++k) order[k] = keys[k].row;
    return order;
}

bool comparable(double v) { return std::isfinite(v) && v != kCannotCompute && v != -kCannotCompute; }

void pair(ReciprocalRow& first, std::size_t firstIndex, ReciprocalRow& second, std::size_t secondIndex,
          ReciprocalResult& result)
{
    ++result.pairs;
    first.partnerId = second.id;
    second.partnerId = first.id;
    first.partnerRow = secondIndex;
    second.partnerRow = firstIndex;
    first.available = second.available = false;
    if (!comparable(first.value) || !comparable(second.value)) {
        // A reading that cannot be computed has no meaningful difference.
        first.absDiff = second.absDiff = kUndefinedDifference;
        first.percDiff = second.percDiff = kUndefinedDifference;
        ++result.undefinedPairs;
        return;
    }
    const double absDiff = std::abs(first.value - second.value);
    const double mean = (first.value + second.value) / 2;
    double percDiff = kUndefinedDifference;
    if (std::abs(mean) > 1e-20) percDiff = std::max(100 * absDiff / std::abs(mean), 0.001);
    else ++result.undefinedPairs;
    first.absDiff = second.absDiff = absDiff;
    first.percDiff = second.percDiff = percDiff;
}

}  // namespace

std::vector<std::uint32_t> SortQuad(const std::vector<ReciprocalRow>& rows) { return rowsOf(sortedKeys(rows)); }

std::vector<std::uint32_t> SortQuadKeys(const std::vector<std::array<std::int32_t, 4>>& keys)
{
    return rowsOf(sortedKeys(keys.size(), [&keys](std::size_t r) { return keys[r]; }));
}

Status DoReciprocalCheck(const Survey& survey, ReciprocalValue compared, ReciprocalResult& result, MessageLog& log,
                         const Feedback& feedback)
{
    // Cleared but not freed: a repeated check reuses the tables' memory.
    result.rows.clear();
    result.sorted.clear();
    result.pairs = result.duplicates = result.undefinedPairs = 0;
    result.compared = compared;
    const QuadrupoleTable& table = survey.quadrupoles;
    const std::size_t count = table.size();
    if (count == 0) return log.error(kSource, "No quadrupoles loaded.");
    const std::vector<double>* values = nullptr;
    if (compared == ReciprocalValue::Resistance) values = &table.resistance;
    else if (!table.ip.empty()) values = &table.ip[0];
    if (values == nullptr || values->size() != count)
        return log.error(kSource, compared == ReciprocalValue::Resistance ? "No V/I values loaded."
                                                                            : "No IP values loaded.");

    // Working table with normalised dipoles: a swap of the current (or the
    // potential) electrodes reverses the measured voltage, so V/I changes
    // sign; chargeability is a ratio of voltages and keeps it.
    const bool signFollowsSwaps = compared == ReciprocalValue::Resistance;
    result.rows.resize(count);
    for (std::size_t r = 0; r < count; ++r) {
        const Quadrupole& q = table.rows[r];
        ReciprocalRow& row = result.rows[r];
        row.id = q.id;
        row.quadrupoleRow = r;
        row.value = (*values)[r];
        std::int32_t index[4];
        for (int p = 0; p < 4; ++p) {
            row.pole[p] = q.pole[p];
            index[p] = survey.lookup.find(q.pole[p].cable, q.pole[p].number) + 1;
        }
        row.a = index[A], row.b = index[B], row.m = index[M], row.n = index[N];
        if (row.a > row.b) {
            std::swap(row.a, row.b);
            std::swap(row.pole[A], row.pole[B]);
            if (signFollowsSwaps) row.value = -row.value;
        }
        if (row.m > row.n) {
            std::swap(row.m, row.n);
            std::swap(row.pole[M], row.pole[N]);
            if (signFollowsSwaps) row.value = -row.value;
        }
    }
    std::vector<ReciprocalRow>& rows = result.rows;
    if (feedback.cancelled()) return Status::Error;
    feedback.report(30, "Sorting the quadrupoles");
    const std::vector<SortKey> keys = sortedKeys(rows);
    result.sorted.resize(count);
    for (std::size_t k = 0; k < count; ++k) result.sorted[k] = keys[k].row;

    // Pairing. Walking the sorted rows, each row of a group with poles
    // (a, b, m, n) takes the first free row of the group (m, n, a, b) further
    // on; the t-th row of the lower group thus pairs with the t-th row of the
    // higher one, and a repeated reading with a repeated reciprocal. Rather
    // than bisect once per row (a cache miss per step on large surveys), the
    // wanted reciprocal keys of all lower groups are sorted and merged with
    // the sorted rows: sequential passes only.
    if (feedback.cancelled()) return Status::Error;
    feedback.report(60, "Pairing reciprocals");
    struct Wanted {
        std::uint64_t high, low;  // the reciprocal key
        std::size_t group;        // sorted position of the group's first row
    };
    std::vector<Wanted> wanted;
    wanted.reserve(count / 2 + 1);
    for (std::size_t k = 0; k < count; ++k) {
        if (k > 0 && keys[k].sameKey(keys[k - 1].high, keys[k - 1].low)) continue;
        // Current and potential on the same dipole is no measurement a
        // reciprocal could check; its repetitions are not its reciprocals.
        const SortKey& key = keys[k];
        if (std::tie(key.high, key.low) < std::tie(key.low, key.high)) wanted.push_back({key.low, key.high, k});
    }
    std::sort(wanted.begin(), wanted.end(),
              [](const Wanted& l, const Wanted& r) { return std::tie(l.high, l.low) < std::tie(r.high, r.low); });
    std::size_t position = 0;
    for (const Wanted& w : wanted) {
        while (position < count && std::tie(keys[position].high, keys[position].low) < std::tie(w.high, w.low))
            ++position;
        if (position == count) break;
        if (!keys[position].sameKey(w.high, w.low)) continue;
        const SortKey& lowerKey = keys[w.group];
        for (std::size_t t = 0; w.group + t < count && position + t < count &&
                                keys[w.group + t].sameKey(lowerKey.high, lowerKey.low) &&
                                keys[position + t].sameKey(w.high, w.low);
             ++t) {
            const std::uint32_t i = keys[w.group + t].row, j = keys[position + t].row;
            pair(rows[i], i, rows[j], j, result);
        }
    }

    for (std::size_t k = 1; k < count; ++k) {
        if (!keys[k].sameKey(keys[k - 1].high, keys[k - 1].low)) continue;
        // Every repetition points at the first measurement of its group.
        const ReciprocalRow& previous = rows[keys[k - 1].row];
        rows[keys[k].row].duplicateOf = previous.duplicateOf == kNoQuadrupoleId ? previous.id : previous.duplicateOf;
        ++result.duplicates;
    }
    feedback.report(100, "Reciprocal check done");
    return Status::Ok;
}

void storePairing(const ReciprocalResult& result, std::size_t quadrupoleCount, ReciprocalPairing& pairing)
{
    pairing.calculated = true;
    pairing.partnerId.assign(quadrupoleCount, kNoQuadrupoleId);
    pairing.duplicateOf.assign(quadrupoleCount, kNoQuadrupoleId);
    pairing.absDiff.assign(quadrupoleCount, 0.0);
    pairing.percDiff.assign(quadrupoleCount, 0.0);
    for (const ReciprocalRow& row : result.rows) {
        if (row.quadrupoleRow >= quadrupoleCount) continue;
        pairing.partnerId[row.quadrupoleRow] = row.partnerId;
        pairing.duplicateOf[row.quadrupoleRow] = row.duplicateOf;
        pairing.absDiff[row.quadrupoleRow] = row.absDiff;
        pairing.percDiff[row.quadrupoleRow] = row.percDiff;
    }
}

std::vector<double> pairedPercentDifferences(const ReciprocalResult& result)
{
    std::vector<double> values;
    values.reserve(2 * result.pairs);
    for (const ReciprocalRow& row : result.rows)
        if (row.paired() && row.percDiff != kUndefinedDifference) values.push_back(row.percDiff);
    return values;
}

double medianOf(std::vector<double>& values)
{
    if (values.empty()) return std::nan("");
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double percentileOf(std::vector<double>& values, double p)
{
    if (values.empty()) return std::nan("");
    std::sort(values.begin(), values.end());
    const double position = std::clamp(p, 0.0, 100.0) / 100 * static_cast<double>(values.size() - 1);
    const auto below = static_cast<std::size_t>(std::floor(position));
    const std::size_t above = std::min(below + 1, values.size() - 1);
    const double weight = position - static_cast<double>(below);
    return values[below] + weight * (values[above] - values[below]);
}

std::string reciprocalStatisticsText(const ReciprocalResult& result)
{
    const std::size_t n = result.rows.size();
    const double share = n ? 2.0 * static_cast<double>(result.pairs) / static_cast<double>(n) * 100 : 0.0;
    std::string text = kLineBreak;
    text += "Statistics:";
    text += kLineBreak;
    text += formatFixed(share, 1) + "% of reciprocals" + kLineBreak;
    text += std::to_string(2 * result.pairs) + " of " + std::to_string(n) + kLineBreak + kLineBreak;
    if (result.pairs == 0) return text;
    std::vector<double> diffs = pairedPercentDifferences(result);
    if (!diffs.empty()) {
        const double mean = std::accumulate(diffs.begin(), diffs.end(), 0.0) / static_cast<double>(diffs.size());
        text += "Average of %rec. diff: " + formatFixed(mean, 1) + "%" + kLineBreak;
        text += "Median Value of %rec. diff: " + formatFixed(medianOf(diffs), 1) + "%" + kLineBreak;
    }
    if (result.undefinedPairs > 0)
        text += std::to_string(result.undefinedPairs) +
                " pairs with undefined %rec. diff (zero mean or value not computed) left out" + kLineBreak;
    text += "Total duplicates: " + std::to_string(result.duplicates) + kLineBreak;
    return text;
}

std::vector<std::size_t> reciprocalOrder(const ReciprocalResult& result, ReciprocalOrder order)
{
    const std::vector<ReciprocalRow>& rows = result.rows;
    std::vector<std::size_t> index(rows.size());
    std::iota(index.begin(), index.end(), std::size_t{0});
    switch (order) {
    case ReciprocalOrder::TxRx:
        index.assign(result.sorted.begin(), result.sorted.end());
        break;
    case ReciprocalOrder::OriginalId:
        std::sort(index.begin(), index.end(), [&](std::size_t l, std::size_t r) {
            return std::tie(rows[l].id, rows[l].quadrupoleRow) < std::tie(rows[r].id, rows[r].quadrupoleRow);
        });
        break;
    case ReciprocalOrder::PercentDiff:
    case ReciprocalOrder::AbsoluteDiff: {
        const bool percent = order == ReciprocalOrder::PercentDiff;
        // Largest differences first: those are the readings to look at.
        auto rank = [&](std::size_t k) {
            const ReciprocalRow& row = rows[k];
            const double d = percent ? row.percDiff : row.absDiff;
            const bool known = row.paired() && d != kUndefinedDifference;
            return std::make_tuple(known ? 0 : 1, known ? -d : 0.0, row.quadrupoleRow);
        };
        std::sort(index.begin(), index.end(), [&](std::size_t l, std::size_t r) { return rank(l) < rank(r); });
        break;
    }
    }
    return index;
}

}  // namespace vexora
