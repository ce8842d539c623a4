#include "core/import/tables/ElectrodeLines.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "core/settings/NumberText.h"

namespace vexora {

namespace {

std::int64_t millimetres(double metres) { return std::llround(metres * 1000.0); }

// Electrode indices by their common coordinate (y when `byY`, else x).
std::map<std::int64_t, std::vector<std::uint32_t>> groups(const std::vector<ImportElectrode>& electrodes, bool byY)
{
    std::map<std::int64_t, std::vector<std::uint32_t>> lines;
    for (std::size_t e = 0; e < electrodes.size(); ++e)
        lines[millimetres(byY ? electrodes[e].y : electrodes[e].x)].push_back(static_cast<std::uint32_t>(e));
    return lines;
}

bool formLines(const std::map<std::int64_t, std::vector<std::uint32_t>>& lines)
{
    return lines.size() >= 2 && std::all_of(lines.begin(), lines.end(), [](const auto& l) { return l.second.size() >= 2; });
}

}  // namespace

void groupElectrodesIntoLines(ImportSet& set)
{
    set.lines = {};
    const auto alongX = groups(set.electrodes, true);  // lines of a common y run along x
    const auto alongY = groups(set.electrodes, false);
    const bool useY = formLines(alongX) && (!formLines(alongY) || alongX.size() <= alongY.size());
    if (!useY && !formLines(alongY)) return;
    const auto& lines = useY ? alongX : alongY;
    ImportLines result;
    result.lineOf.resize(set.electrodes.size());
    result.numberOnLine.resize(set.electrodes.size());
    for (const auto& [coordinate, members] : lines) {
        const auto line = static_cast<std::uint32_t>(result.names.size());
        result.names.push_back((useY ? "y" : "x") + formatNumber(static_cast<double>(coordinate) / 1000.0));
        std::vector<std::uint32_t> along = members;
        std::stable_sort(along.begin(), along.end(), [&](std::uint32_t a, std::uint32_t b) {
            const ImportElectrode &ea = set.electrodes[a], &eb = set.electrodes[b];
            const double pa = useY ? ea.x : ea.y, pb = useY ? eb.x : eb.y;
            return pa != pb ? pa < pb : ea.z < eb.z;
        });
        for (std::size_t i = 0; i < along.size(); ++i) {
            result.lineOf[along[i]] = line;
            result.numberOnLine[along[i]] = static_cast<std::int32_t>(i + 1);
        }
    }
    set.lines = std::move(result);
}

}  // namespace vexora
