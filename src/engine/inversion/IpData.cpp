#include "engine/inversion/IpData.h"

#include <algorithm>
#include <cmath>

namespace vexora {

IpData selectIpData(const Survey& survey, std::span<const std::size_t> rows, double scale, const ErrorModel& errors,
                    double highest, bool leaveOutOfRange, double leastVoltage)
{
    const double limit = highestFraction(highest, scale);
    const QuadrupoleTable& table = survey.quadrupoles;
    IpData ip;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        double sum = 0;
        for (const auto& window : table.ip) sum += window[rows[r]];
        const double value = sum / static_cast<double>(table.ipWindows()) / scale;
        if (!std::isfinite(value)) {
            ++ip.unreadable;
            continue;
        }
        const bool negative = value < 0;
        const bool above = value > limit;
        ip.negative += negative;
        ip.aboveRange += above;
        if (leaveOutOfRange && (negative || above)) continue;
        // V/I in ohm times I in mA: the primary voltage in mV.
        if (std::abs(table.resistance[rows[r]] * table.current[rows[r]]) < leastVoltage) {
            ++ip.weak;
            continue;
        }
        double error = errors.percent / 100.0 * std::abs(value) + errors.constant / scale;
        if (!(error > 0)) error = 1.0;  // a zero reading with no constant term: no weight to speak of
        ip.rows.push_back(rows[r]);
        ip.values.push_back(value);
        ip.errors.push_back(error);
        ip.kept.push_back(r);
    }
    return ip;
}

double highestFraction(double highest, double scale)
{
    return std::min(1.0, highest / scale);
}

std::string ipUnit(double scale)
{
    return scale == 1000.0 ? "mV/V" : "in the IP unit";
}

}  // namespace vexora
