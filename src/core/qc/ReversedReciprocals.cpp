#include "core/qc/ReversedReciprocals.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <unordered_map>

#include "core/survey/CableReversal.h"

namespace vexora {

namespace {

using Point = std::array<std::int64_t, 3>;
using DipolePair = std::array<Point, 4>;  // current dipole, then potential dipole, each in ascending order

std::uint64_t mixed(std::uint64_t x)
{
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9ULL;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

struct DipolePairHash {
    std::size_t operator()(const DipolePair& key) const
    {
        std::uint64_t h = 0;
        for (const Point& p : key)
            for (std::int64_t v : p) h = mixed(h ^ static_cast<std::uint64_t>(v));
        return static_cast<std::size_t>(h);
    }
};

Point pointOf(const Electrode& e)
{
    return {std::llround(e.x * 1000.0), std::llround(e.y * 1000.0), std::llround(e.z * 1000.0)};
}

// The four positions of the poles with the dipoles swapped when
// `reciprocal`, each dipole in ascending order, and the sign V/I takes for
// that order; false when a pole names no electrode.
bool positionsOf(const Survey& survey, const ElectrodeRef (&pole)[4], bool reciprocal, DipolePair& out, double& sign)
{
    for (int p = 0; p < 4; ++p) {
        const std::int32_t row = survey.lookup.find(pole[p].cable, pole[p].number);
        if (row < 0) return false;
        out[static_cast<std::size_t>(reciprocal ? (p + 2) % 4 : p)] = pointOf(survey.electrodes[static_cast<std::size_t>(row)]);
    }
    sign = 1.0;
    for (std::size_t d = 0; d < 4; d += 2)
        if (out[d + 1] < out[d]) {
            std::swap(out[d], out[d + 1]);
            sign = -sign;
        }
    return true;
}

bool onCables(const Quadrupole& q, const std::vector<std::int32_t>& cables, bool all)
{
    auto on = [&](const ElectrodeRef& r) { return std::find(cables.begin(), cables.end(), r.cable) != cables.end(); };
    return all ? std::all_of(std::begin(q.pole), std::end(q.pole), on)
               : std::any_of(std::begin(q.pole), std::end(q.pole), on);
}

double percentDifference(double a, double b)
{
    const double mean = 0.5 * (a + b);
    return mean != 0 ? 100.0 * std::abs(a - b) / std::abs(mean) : HUGE_VAL;
}

// Electrode number n of a reversed cable is lowest + highest - n.
struct NumberRange {
    std::int64_t lowest = INT64_MAX, highest = INT64_MIN;
};

struct PartPairs {
    std::size_t pairs = 0;
    double median = HUGE_VAL;
};

}  // namespace

// Every quadrupole by its positions (as recorded, dipoles in ascending
// order) with its signed V/I.
struct ReciprocalPositionIndex {
    std::unordered_map<DipolePair, std::vector<std::uint32_t>, DipolePairHash> rows;
    std::vector<double> value;
};

namespace {

// Quadrupoles of the part (rows in `part`, mirrored on `mirror` when given)
// with a quadrupole of the rest (no pole on `cables`) at their reciprocal
// positions; each quadrupole of the rest pairs once, the closest reading first.
PartPairs pairsWithRest(const Survey& survey, const ReciprocalPositionIndex& index,
                        const std::vector<std::int32_t>& cables, const std::vector<std::size_t>& part,
                        const std::unordered_map<std::int32_t, NumberRange>* mirror)
{
    const QuadrupoleTable& table = survey.quadrupoles;
    std::vector<bool> used(table.size(), false);
    std::vector<double> differences;
    DipolePair key;
    double sign = 1;
    for (std::size_t k : part) {
        ElectrodeRef pole[4];
        std::copy(std::begin(table.rows[k].pole), std::end(table.rows[k].pole), pole);
        if (mirror)
            for (ElectrodeRef& ref : pole)
                if (auto it = mirror->find(ref.cable); it != mirror->end())
                    ref.number = static_cast<std::int32_t>(it->second.lowest + it->second.highest - ref.number);
        if (!positionsOf(survey, pole, true, key, sign)) continue;
        auto it = index.rows.find(key);
        if (it == index.rows.end()) continue;
        const double value = sign * table.resistance[k];
        std::uint32_t best = UINT32_MAX;
        double bestDifference = HUGE_VAL;
        for (std::uint32_t row : it->second) {
            if (used[row] || onCables(table.rows[row], cables, false)) continue;
            const double d = percentDifference(index.value[row], value);
            if (best == UINT32_MAX || d < bestDifference) {
                best = row;
                bestDifference = d;
            }
        }
        if (best == UINT32_MAX) continue;
        used[best] = true;
        differences.push_back(bestDifference);
    }
    PartPairs result;
    result.pairs = differences.size();
    if (!differences.empty()) {
        auto middle = differences.begin() + static_cast<std::ptrdiff_t>(differences.size() / 2);
        std::nth_element(differences.begin(), middle, differences.end());
        result.median = *middle;
    }
    return result;
}

}  // namespace

void ReciprocalPositionIndexDeleter::operator()(ReciprocalPositionIndex* index) const { delete index; }

ReciprocalPositionIndexPtr indexReciprocalPositions(const Survey& survey)
{
    ReciprocalPositionIndexPtr index(new ReciprocalPositionIndex);
    const QuadrupoleTable& table = survey.quadrupoles;
    index->rows.reserve(table.size());
    index->value.resize(table.size());
    DipolePair key;
    double sign = 1;
    for (std::size_t k = 0; k < table.size(); ++k)
        if (positionsOf(survey, table.rows[k].pole, false, key, sign)) {
            index->rows[key].push_back(static_cast<std::uint32_t>(k));
            index->value[k] = sign * table.resistance[k];
        }
    return index;
}

ReversalPairs reciprocalPairsAcross(const Survey& survey, const ReciprocalPositionIndex& index,
                                    const std::vector<std::int32_t>& cables)
{
    ReversalPairs result;
    std::vector<std::size_t> part;
    for (std::size_t k = 0; k < survey.quadrupoles.size(); ++k)
        if (onCables(survey.quadrupoles.rows[k], cables, true)) part.push_back(k);
    // An even sample decides the orientation as well as the whole part.
    if (part.size() > kOrientationSample) {
        std::vector<std::size_t> sample(kOrientationSample);
        for (std::size_t i = 0; i < kOrientationSample; ++i) sample[i] = part[i * part.size() / kOrientationSample];
        part = std::move(sample);
    }
    result.partSize = part.size();
    const PartPairs asTheyAre = pairsWithRest(survey, index, cables, part, nullptr);
    result.asTheyAre = asTheyAre.pairs;
    result.medianAsTheyAre = asTheyAre.median;

    // The part's cables of three electrodes or more, reversed.
    std::unordered_map<std::int32_t, NumberRange> mirror;
    std::unordered_map<std::int32_t, std::size_t> count;
    for (const Electrode& e : survey.electrodes)
        if (std::find(cables.begin(), cables.end(), e.cable) != cables.end()) {
            NumberRange& r = mirror[e.cable];
            r.lowest = std::min<std::int64_t>(r.lowest, e.number);
            r.highest = std::max<std::int64_t>(r.highest, e.number);
            ++count[e.cable];
        }
    std::erase_if(mirror, [&](const auto& entry) { return count[entry.first] < kShortestReversibleCable; });
    const PartPairs turned = pairsWithRest(survey, index, cables, part, &mirror);
    result.reversed = turned.pairs;
    result.medianReversed = turned.median;
    return result;
}

ReversalPairs reciprocalPairsAcross(const Survey& survey, const std::vector<std::int32_t>& cables)
{
    return reciprocalPairsAcross(survey, *indexReciprocalPositions(survey), cables);
}

bool pairsOnlyReversed(const ReversalPairs& pairs)
{
    const auto most = [&](std::size_t count) { return 2 * count >= pairs.partSize; };
    return most(pairs.reversed) && pairs.medianReversed <= kReciprocalAgreementPercent &&
           (!most(pairs.asTheyAre) || pairs.medianAsTheyAre > pairs.medianReversed);
}

std::vector<CableReversalHint> cablesPairingReversed(const Survey& survey)
{
    std::vector<CableReversalHint> hints;
    if (survey.cableNames.size() < 2) return hints;
    const ReciprocalPositionIndexPtr index = indexReciprocalPositions(survey);
    for (std::int32_t cable : reversibleCables(survey)) {
        const ReversalPairs pairs = reciprocalPairsAcross(survey, *index, {cable});
        if (pairsOnlyReversed(pairs)) hints.push_back({cable, pairs});
    }
    return hints;
}

std::optional<std::string> reversalWarning(const ReversalPairs& pairs, bool isReversed, std::string_view what)
{
    if (!pairsOnlyReversed(pairs)) return std::nullopt;
    const char* now = isReversed ? "reversed" : "as recorded";
    const char* other = isReversed ? "as recorded" : "reversed";
    return "Warning: the quadrupoles of " + std::string(what) + " pair with the others only " +
           (isReversed ? "as recorded" : "with the cable reversed") + ": of " + std::to_string(pairs.partSize) +
           " quadrupoles checked, " + std::to_string(pairs.reversed) + " find their reciprocal " + other + ", " +
           std::to_string(pairs.asTheyAre) + " " + now + ".";
}

}  // namespace vexora
