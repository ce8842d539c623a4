#include "core/sequence/DepthOfInvestigation.h"

#include <algorithm>
#include <cmath>

namespace vexora {

double medianDepthOfInvestigation(const Point3 pole[4], const bool present[4])
{
    // Pole pairs (current, potential) with their signs.
    static constexpr int kPairs[4][3] = {{A, M, +1}, {A, N, -1}, {B, M, -1}, {B, N, +1}};
    double r[4] = {};
    double sign[4] = {};
    double total = 0, rMin = 0, rMax = 0;
    for (int k = 0; k < 4; ++k) {
        const int c = kPairs[k][0], p = kPairs[k][1];
        if (!present[c] || !present[p]) continue;
        r[k] = std::hypot(pole[c].x - pole[p].x, pole[c].y - pole[p].y);
        if (!(r[k] > 0)) return 0;
        sign[k] = kPairs[k][2];
        total += sign[k] / r[k];
        rMin = rMin == 0 ? r[k] : std::min(rMin, r[k]);
        rMax = std::max(rMax, r[k]);
    }
    if (total == 0 || rMax == 0) return 0;
    // Part of the signal from above Z, relative to the whole: 0 at Z = 0, 1
    // at depth; not monotone for every array, so the first crossing of 1/2
    // is bracketed on a geometric scan and refined by bisection.
    auto above = [&](double z) {
        double g = 0;
        for (int k = 0; k < 4; ++k)
            if (sign[k] != 0) g += sign[k] * (1 / r[k] - 1 / std::sqrt(r[k] * r[k] + 4 * z * z));
        return g / total;
    };
    double low = 0, high = rMin / 64;
    while (above(high) < 0.5) {
        low = high;
        high *= 1.25;
        if (high > 1000 * rMax) return 0;
    }
    for (int i = 0; i < 48; ++i) {
        const double mid = (low + high) / 2;
        (above(mid) < 0.5 ? low : high) = mid;
    }
    return (low + high) / 2;
}

}  // namespace vexora
