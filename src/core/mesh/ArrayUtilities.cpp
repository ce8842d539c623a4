#include "core/mesh/ArrayUtilities.h"

#include <cmath>
#include <iterator>
#include <set>

namespace vexora {

namespace {
constexpr double kFillSlack = 1e-8;
}

double dFillCount(double start, double step, double end)
{
    if (!(step > 0) || !std::isfinite(start) || !std::isfinite(end) || !std::isfinite(step)) return 0;
    const double span = end + kFillSlack - start;
    return span < 0 ? 0 : std::floor(span / step) + 1;
}

std::vector<double> dFill(double start, double step, double end)
{
    std::vector<double> values;
    const double expected = dFillCount(start, step, end);
    if (expected <= 0) return values;
    // Repeated addition may add one value more than the division predicts.
    values.reserve(static_cast<std::size_t>(expected) + 1);
    for (double v = start; v <= end + kFillSlack; v += step) {
        values.push_back(v);
        if (v + step == v) break;
    }
    return values;
}

std::vector<double> dUnique(const std::vector<double>& values, double tolerance)
{
    // The kept values, ordered, answer "is any kept value within the
    // tolerance" with one lookup instead of a scan of all of them.
    std::vector<double> kept;
    kept.reserve(values.size());
    std::set<double> ordered;
    // |w - v| grows as w moves away from v, so only the nearest kept value
    // on each side can be within the tolerance.
    auto near = [&](double w, double v) { return std::abs(w - v) < tolerance; };
    for (double v : values) {
        auto above = ordered.lower_bound(v);
        if (above != ordered.end() && near(*above, v)) continue;
        if (above != ordered.begin() && near(*std::prev(above), v)) continue;
        kept.push_back(v);
        ordered.insert(v);
    }
    return kept;
}

std::vector<double> dVecAppend(std::vector<double> a, const std::vector<double>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<double> dMult(std::vector<double> values, double factor)
{
    for (double& v : values) v *= factor;
    return values;
}

std::vector<double> dAdd(std::vector<double> values, double offset)
{
    for (double& v : values) v += offset;
    return values;
}

}  // namespace vexora
