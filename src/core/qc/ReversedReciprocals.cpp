#include "core/qc/ReversedReciprocals.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>

#include "core/log/MessageLog.h"
#include "core/survey/CableReversal.h"

namespace vexora {

namespace {

using Point = std::array<std::int64_t, 3>;
using DipolePair = std::array<Point, 4>;  // current dipole, then potential dipole, each in ascending order

struct DipolePairHash {
    std::size_t operator()(const DipolePair& key) const
    {
        std::size_t h = 0;
        for (const Point& p : key)
            for (std::int64_t v : p) h = (h ^ static_cast<std::size_t>(v)) * 1099511628211u;
        return h;
    }
};

Point pointOf(const Electrode& e)
{
    return {std::llround(e.x * 1000.0), std::llround(e.y * 1000.0), std::llround(e.z * 1000.0)};
}

// The four positions of a quadrupole with its dipoles swapped when
// `reciprocal`; false when a pole names no electrode.
bool positionsOf(const Survey& survey, const Quadrupole& q, bool reciprocal, DipolePair& out)
{
    for (int p = 0; p < 4; ++p) {
        const std::int32_t row = survey.lookup.find(q.pole[p].cable, q.pole[p].number);
        if (row < 0) return false;
        out[static_cast<std::size_t>(reciprocal ? (p + 2) % 4 : p)] = pointOf(survey.electrodes[static_cast<std::size_t>(row)]);
    }
    if (out[1] < out[0]) std::swap(out[0], out[1]);
    if (out[3] < out[2]) std::swap(out[2], out[3]);
    return true;
}

bool onCables(const Quadrupole& q, const std::vector<std::int32_t>& cables, bool all)
{
    auto on = [&](const ElectrodeRef& r) { return std::find(cables.begin(), cables.end(), r.cable) != cables.end(); };
    return all ? std::all_of(std::begin(q.pole), std::end(q.pole), on)
               : std::any_of(std::begin(q.pole), std::end(q.pole), on);
}

std::size_t pairsWithRest(const Survey& survey, const std::vector<std::int32_t>& cables)
{
    std::unordered_map<DipolePair, std::size_t, DipolePairHash> rest;
    rest.reserve(survey.quadrupoles.size());
    DipolePair key;
    for (const Quadrupole& q : survey.quadrupoles.rows)
        if (!onCables(q, cables, false) && positionsOf(survey, q, false, key)) ++rest[key];
    std::size_t pairs = 0;
    for (const Quadrupole& q : survey.quadrupoles.rows) {
        if (!onCables(q, cables, true) || !positionsOf(survey, q, true, key)) continue;
        auto it = rest.find(key);
        if (it == rest.end() || it->second == 0) continue;
        --it->second;
        ++pairs;
    }
    return pairs;
}

}  // namespace

ReversalPairs reciprocalPairsAcross(const Survey& survey, const std::vector<std::int32_t>& cables)
{
    ReversalPairs result;
    result.asTheyAre = pairsWithRest(survey, cables);
    Survey reversed;
    reversed.cableNames = survey.cableNames;
    reversed.electrodes = survey.electrodes;
    reversed.lookup = survey.lookup;
    reversed.quadrupoles.rows = survey.quadrupoles.rows;
    MessageLog ignored;  // a cable that cannot be reversed just does not pair reversed
    const std::vector<std::int32_t> reversible = reversibleCables(survey);
    for (std::int32_t cable : cables)
        if (std::find(reversible.begin(), reversible.end(), cable) != reversible.end() &&
            reverseCable(reversed, cable, ignored) != Status::Ok)
            return result;
    result.reversed = pairsWithRest(reversed, cables);
    return result;
}

std::vector<CableReversalHint> cablesPairingReversed(const Survey& survey)
{
    std::vector<CableReversalHint> hints;
    if (survey.cableNames.size() < 2) return hints;
    for (std::int32_t cable : reversibleCables(survey)) {
        const ReversalPairs pairs = reciprocalPairsAcross(survey, {cable});
        if (pairs.reversed > pairs.asTheyAre) hints.push_back({cable, pairs});
    }
    return hints;
}

std::optional<std::string> reversalWarning(const ReversalPairs& pairs, bool isReversed, std::string_view what)
{
    if (pairs.reversed <= pairs.asTheyAre) return std::nullopt;
    const char* now = isReversed ? "reversed" : "as recorded";
    const char* other = isReversed ? "as recorded" : "reversed";
    return "Warning: the quadrupoles of " + std::string(what) + " pair with the others only " +
           (isReversed ? "as recorded" : "with the cable reversed") + ": " + std::to_string(pairs.reversed) +
           " reciprocal pairs " + other + ", " + std::to_string(pairs.asTheyAre) + " " + now + ".";
}

}  // namespace vexora
