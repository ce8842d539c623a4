#include "core/qc/ReversedReciprocals.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <unordered_map>

#include "core/survey/CableReversal.h"

namespace vexora {

namespace {

// A quadrupole's place: the position ids (Places) of its current dipole,
// then of its potential dipole, each dipole in ascending order.
using PlaceKey = std::array<std::uint32_t, 4>;

std::uint64_t mixed(std::uint64_t x)
{
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9ULL;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

using Point = std::array<std::int64_t, 3>;

Point pointOf(const Electrode& e)
{
    return {std::llround(e.x * 1000.0), std::llround(e.y * 1000.0), std::llround(e.z * 1000.0)};
}

// Which cables a part covers, by cable index, so a pole's cable is one look.
class CableSet {
public:
    explicit CableSet(const std::vector<std::int32_t>& cables)
    {
        for (std::int32_t c : cables)
            if (c >= 0) {
                if (static_cast<std::size_t>(c) >= member_.size()) member_.resize(static_cast<std::size_t>(c) + 1, 0);
                member_[static_cast<std::size_t>(c)] = 1;
            }
    }
    bool has(std::int32_t cable) const
    {
        return cable >= 0 && static_cast<std::size_t>(cable) < member_.size() && member_[static_cast<std::size_t>(cable)];
    }
    bool all(const Quadrupole& q) const
    {
        return std::all_of(std::begin(q.pole), std::end(q.pole), [&](const ElectrodeRef& r) { return has(r.cable); });
    }
    bool any(const Quadrupole& q) const
    {
        return std::any_of(std::begin(q.pole), std::end(q.pole), [&](const ElectrodeRef& r) { return has(r.cable); });
    }

private:
    std::vector<char> member_;
};

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

std::vector<std::uint32_t> positionIds(const std::vector<Electrode>& electrodes)
{
    std::vector<std::pair<Point, std::uint32_t>> sorted(electrodes.size());
    for (std::size_t e = 0; e < electrodes.size(); ++e) sorted[e] = {pointOf(electrodes[e]), static_cast<std::uint32_t>(e)};
    std::sort(sorted.begin(), sorted.end());
    std::vector<std::uint32_t> ids(electrodes.size());
    std::uint32_t id = 0;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        if (i > 0 && sorted[i].first != sorted[i - 1].first) ++id;
        ids[sorted[i].second] = id;
    }
    return ids;
}

struct PlaceKeyHash {
    std::size_t operator()(const PlaceKey& key) const
    {
        std::uint64_t h = 0;
        for (std::uint32_t v : key) h = mixed(h ^ v);
        return static_cast<std::size_t>(h);
    }
};

// Electrodes at the same position to the millimetre share a position id, and
// ids ascend with the positions (x, then y, then z), so ordering a dipole by
// ids orders it by positions.
struct Places {
    const Survey& survey;
    std::vector<std::uint32_t> positionOf;  // by electrode row

    // The place of the poles with the dipoles swapped when `reciprocal`, and
    // the sign V/I takes for that order; false when a pole names no electrode.
    bool of(const ElectrodeRef (&pole)[4], bool reciprocal, PlaceKey& out, double& sign) const
    {
        for (int p = 0; p < 4; ++p) {
            const std::int32_t row = survey.lookup.find(pole[p].cable, pole[p].number);
            if (row < 0) return false;
            out[static_cast<std::size_t>(reciprocal ? (p + 2) % 4 : p)] = positionOf[static_cast<std::size_t>(row)];
        }
        sign = 1.0;
        for (std::size_t d = 0; d < 4; d += 2)
            if (out[d + 1] < out[d]) {
                std::swap(out[d], out[d + 1]);
                sign = -sign;
            }
        return true;
    }
};

// A quadrupole at a sought place, with its V/I signed for that place.
struct Candidate {
    std::uint32_t row;
    double value;
};

// One checked quadrupole of a part, as recorded or reversed.
struct Sought {
    std::uint32_t place = UINT32_MAX;  // into the sought places; UINT32_MAX: none
    double value = 0;
};

// Every part's sample, its cables, the quadrupoles of its rest and, per
// orientation, the reciprocal places of the sample.
struct PartCheck {
    std::vector<std::size_t> sample;
    std::vector<char> rest;  // by row: no pole on the part's cables
    std::vector<Sought> sought[2];  // as recorded, reversed
};

// The electrode number of every cable of three electrodes or more, reversed.
std::unordered_map<std::int32_t, NumberRange> mirrorOf(const Survey& survey, const CableSet& cables)
{
    std::unordered_map<std::int32_t, NumberRange> mirror;
    std::unordered_map<std::int32_t, std::size_t> count;
    for (const Electrode& e : survey.electrodes)
        if (cables.has(e.cable)) {
            NumberRange& r = mirror[e.cable];
            r.lowest = std::min<std::int64_t>(r.lowest, e.number);
            r.highest = std::max<std::int64_t>(r.highest, e.number);
            ++count[e.cable];
        }
    std::erase_if(mirror, [&](const auto& entry) { return count[entry.first] < kShortestReversibleCable; });
    return mirror;
}

// The sampled quadrupoles with a quadrupole of the rest at their reciprocal
// places (`candidates[place]`, in row order; `unpaired` marks the rest);
// each quadrupole of the rest pairs once, the closest reading first (the first of equally close ones).
PartPairs pairsWithRest(const std::vector<Sought>& sought, std::vector<char> unpaired,
                        const std::vector<std::vector<Candidate>>& candidates)
{
    std::vector<double> differences;
    for (const Sought& s : sought) {
        if (s.place == UINT32_MAX) continue;
        std::uint32_t best = UINT32_MAX;
        double bestDifference = HUGE_VAL;
        for (const Candidate& c : candidates[s.place]) {
            if (!unpaired[c.row]) continue;
            const double d = percentDifference(c.value, s.value);
            if (best == UINT32_MAX || d < bestDifference) {
                best = c.row;
                bestDifference = d;
                if (d == 0) break;  // none can be closer
            }
        }
        if (best == UINT32_MAX) continue;
        unpaired[best] = 0;
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

// Only the places the parts' samples seek are gathered, in one pass over the
// quadrupoles: indexing every quadrupole of a merge of millions would cost
// more than the merge.
std::vector<ReversalPairs> reciprocalPairsOfParts(const Survey& survey,
                                                  const std::vector<std::vector<std::int32_t>>& parts)
{
    const QuadrupoleTable& table = survey.quadrupoles;
    const Places places{survey, positionIds(survey.electrodes)};
    std::unordered_map<PlaceKey, std::uint32_t, PlaceKeyHash> placeIds;
    std::vector<PartCheck> checks(parts.size());
    for (std::size_t p = 0; p < parts.size(); ++p) {
        const CableSet cables(parts[p]);
        PartCheck& check = checks[p];
        check.rest.assign(table.size(), 0);
        for (std::size_t k = 0; k < table.size(); ++k) {
            const Quadrupole& q = table.rows[k];
            if (cables.all(q)) check.sample.push_back(k);
            else check.rest[k] = !cables.any(q);
        }
        // An even sample decides the orientation as well as the whole part.
        if (check.sample.size() > kOrientationSample) {
            std::vector<std::size_t> sample(kOrientationSample);
            for (std::size_t i = 0; i < kOrientationSample; ++i)
                sample[i] = check.sample[i * check.sample.size() / kOrientationSample];
            check.sample = std::move(sample);
        }
        const auto mirror = mirrorOf(survey, cables);
        for (int turned = 0; turned < 2; ++turned)
            for (std::size_t k : check.sample) {
                ElectrodeRef pole[4];
                std::copy(std::begin(table.rows[k].pole), std::end(table.rows[k].pole), pole);
                if (turned)
                    for (ElectrodeRef& ref : pole)
                        if (auto it = mirror.find(ref.cable); it != mirror.end())
                            ref.number = static_cast<std::int32_t>(it->second.lowest + it->second.highest - ref.number);
                Sought s;
                PlaceKey key;
                double sign = 1;
                if (places.of(pole, true, key, sign)) {
                    s.place = placeIds.try_emplace(key, static_cast<std::uint32_t>(placeIds.size())).first->second;
                    s.value = sign * table.resistance[k];
                }
                check.sought[turned].push_back(s);
            }
    }

    std::vector<std::vector<Candidate>> candidates(placeIds.size());
    if (!placeIds.empty()) {
        PlaceKey key;
        double sign = 1;
        for (std::size_t k = 0; k < table.size(); ++k)
            if (places.of(table.rows[k].pole, false, key, sign))
                if (auto it = placeIds.find(key); it != placeIds.end())
                    candidates[it->second].push_back({static_cast<std::uint32_t>(k), sign * table.resistance[k]});
    }

    std::vector<ReversalPairs> results(parts.size());
    for (std::size_t p = 0; p < parts.size(); ++p) {
        PartCheck& check = checks[p];
        ReversalPairs& result = results[p];
        result.partSize = check.sample.size();
        const PartPairs asTheyAre = pairsWithRest(check.sought[0], check.rest, candidates);
        result.asTheyAre = asTheyAre.pairs;
        result.medianAsTheyAre = asTheyAre.median;
        const PartPairs turned = pairsWithRest(check.sought[1], std::move(check.rest), candidates);
        result.reversed = turned.pairs;
        result.medianReversed = turned.median;
    }
    return results;
}

ReversalPairs reciprocalPairsAcross(const Survey& survey, const std::vector<std::int32_t>& cables)
{
    return reciprocalPairsOfParts(survey, {cables}).front();
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
    const std::vector<std::int32_t> cables = reversibleCables(survey);
    std::vector<std::vector<std::int32_t>> parts;
    for (std::int32_t cable : cables) parts.push_back({cable});
    const std::vector<ReversalPairs> pairs = reciprocalPairsOfParts(survey, parts);
    for (std::size_t c = 0; c < cables.size(); ++c)
        if (pairsOnlyReversed(pairs[c])) hints.push_back({cables[c], pairs[c]});
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
