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
// `reciprocal`, each dipole in ascending order, and the sign its V/I takes
// for that order; false when a pole names no electrode.
bool positionsOf(const Survey& survey, const Quadrupole& q, bool reciprocal, DipolePair& out, double& sign)
{
    for (int p = 0; p < 4; ++p) {
        const std::int32_t row = survey.lookup.find(q.pole[p].cable, q.pole[p].number);
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

// Quadrupoles of the part (all poles on `cables`) with a quadrupole of the
// rest at their reciprocal positions, and the median difference of the two.
struct PartPairs {
    std::size_t partSize = 0;
    std::size_t pairs = 0;
    double median = HUGE_VAL;
};

PartPairs pairsWithRest(const Survey& survey, const std::vector<std::int32_t>& cables)
{
    const QuadrupoleTable& table = survey.quadrupoles;
    std::unordered_map<DipolePair, std::vector<double>, DipolePairHash> rest;
    rest.reserve(table.size());
    DipolePair key;
    double sign = 1;
    for (std::size_t k = 0; k < table.size(); ++k)
        if (!onCables(table.rows[k], cables, false) && positionsOf(survey, table.rows[k], false, key, sign))
            rest[key].push_back(sign * table.resistance[k]);
    PartPairs result;
    std::vector<double> differences;
    for (std::size_t k = 0; k < table.size(); ++k) {
        if (!onCables(table.rows[k], cables, true)) continue;
        ++result.partSize;
        if (!positionsOf(survey, table.rows[k], true, key, sign)) continue;
        auto it = rest.find(key);
        if (it == rest.end() || it->second.empty()) continue;
        // Each quadrupole of the rest pairs once, the closest reading first.
        std::vector<double>& values = it->second;
        const double value = sign * table.resistance[k];
        auto closest = std::min_element(values.begin(), values.end(), [&](double a, double b) {
            return percentDifference(a, value) < percentDifference(b, value);
        });
        differences.push_back(percentDifference(*closest, value));
        values.erase(closest);
    }
    result.pairs = differences.size();
    if (!differences.empty()) {
        auto middle = differences.begin() + static_cast<std::ptrdiff_t>(differences.size() / 2);
        std::nth_element(differences.begin(), middle, differences.end());
        result.median = *middle;
    }
    return result;
}

}  // namespace

ReversalPairs reciprocalPairsAcross(const Survey& survey, const std::vector<std::int32_t>& cables)
{
    ReversalPairs result;
    const PartPairs asTheyAre = pairsWithRest(survey, cables);
    result.partSize = asTheyAre.partSize;
    result.asTheyAre = asTheyAre.pairs;
    result.medianAsTheyAre = asTheyAre.median;
    Survey reversed;
    reversed.cableNames = survey.cableNames;
    reversed.electrodes = survey.electrodes;
    reversed.lookup = survey.lookup;
    reversed.quadrupoles.rows = survey.quadrupoles.rows;
    reversed.quadrupoles.resistance = survey.quadrupoles.resistance;
    MessageLog ignored;  // a cable that cannot be reversed just does not pair reversed
    const std::vector<std::int32_t> reversible = reversibleCables(survey);
    for (std::int32_t cable : cables)
        if (std::find(reversible.begin(), reversible.end(), cable) != reversible.end() &&
            reverseCable(reversed, cable, ignored) != Status::Ok)
            return result;
    const PartPairs turned = pairsWithRest(reversed, cables);
    result.reversed = turned.pairs;
    result.medianReversed = turned.median;
    return result;
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
    for (std::int32_t cable : reversibleCables(survey)) {
        const ReversalPairs pairs = reciprocalPairsAcross(survey, {cable});
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
           (isReversed ? "as recorded" : "with the cable reversed") + ": " + std::to_string(pairs.reversed) +
           " reciprocal pairs " + other + ", " + std::to_string(pairs.asTheyAre) + " " + now + ".";
}

}  // namespace vexora
