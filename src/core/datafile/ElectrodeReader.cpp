#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>

#include "core/datafile/BlockReaders.h"
#include "core/datafile/BlockRows.h"
#include "core/datafile/CoordinateChecks.h"
#include "core/settings/LenientNumber.h"

namespace vexora {

Status funLoadElectrodes(std::string_view text, const BlockBounds& bounds, const ElectrodeFormat& format,
                         Survey& survey, MessageLog& log)
{
    const char* source = "funLoadElectrodes";
    survey.cableNames.clear();
    survey.electrodes.clear();
    survey.electrodes.reserve(blockLineCount(text, bounds));
    std::unordered_map<std::string, std::int32_t> cableIndex;
    const bool noCable = format.cableFlag == -1;
    if (noCable) survey.cableNames = {"1"};

    BlockNumbers number;
    std::vector<std::size_t> rows;  // each electrode's row, for the coordinate check
    const Status status = forEachBlockRow(text, bounds, format.columnCount, kElectrodeBlock, source, log,
                           [&](const classParseLine& t, std::size_t ordinal, std::string_view row) {
        Electrode e;
        e.number = roundHalfEven(number(t, format.idColumn, ordinal, row));
        e.x = number(t, format.xColumn, ordinal, row);
        e.y = number(t, format.yColumn, ordinal, row);
        e.z = number(t, format.zColumn, ordinal, row);
        if (format.elevationColumn > 0) e.elevation = number(t, format.elevationColumn, ordinal, row);
        if (format.typeColumn > 0) {
            const int type = roundHalfEven(number(t, format.typeColumn, ordinal, row));
            if (std::abs(type) != 1 && std::abs(type) != 2) {
                log.warning(source, "Invalid flag for type of electrode detected: only -/+1 and -/+2 allowed." +
                                        rowPosition(kElectrodeBlock, ordinal, row));
                return Status::Ok;
            }
            e.type = static_cast<std::int16_t>(type);
        }
        if (noCable) {
            e.cable = 1;
        } else {
            std::string name(t.View(format.cableColumn));
            auto [it, added] = cableIndex.try_emplace(name, static_cast<std::int32_t>(survey.cableNames.size() + 1));
            if (added) survey.cableNames.push_back(std::move(name));
            e.cable = it->second;
        }
        if (e.cable == 0 || e.number == 0)
            return log.error(source, "Invalid cable/electrode number detected." + rowPosition(kElectrodeBlock, ordinal, row));
        survey.electrodes.push_back(e);
        rows.push_back(ordinal);
        return Status::Ok;
    });
    if (status != Status::Ok) return status;
    const TopographyPoint centre = surveyCentre(survey.electrodes);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Electrode& e = survey.electrodes[i];
        std::string problem = coordinateProblem({e.x, e.y, e.z}, centre);
        if (problem.empty() && format.elevationColumn > 0) problem = coordinateProblem({e.x, e.y, e.elevation}, centre);
        if (!problem.empty())
            return log.error(source, "Electrode position " + problem + "." +
                                         rowPosition(kElectrodeBlock, rows[i], blockRow(text, bounds, rows[i])));
    }
    number.report(log, source, kElectrodeBlock);
    return Status::Ok;
}

namespace {

// Element at position round(n / 2) (1-based, halves to even) of the sorted
// steps, n being the number of electrodes on the cable.
double medianStep(std::vector<double>& steps, std::size_t electrodes)
{
    std::sort(steps.begin(), steps.end());
    const int position = roundHalfEven(static_cast<double>(electrodes) / 2.0);
    return steps[static_cast<std::size_t>(std::clamp(position, 1, static_cast<int>(steps.size())) - 1)];
}

}  // namespace

Status funElecElevationAndArrangement(Survey& survey, const ElectrodeFormat& format, MessageLog&)
{
    auto& electrodes = survey.electrodes;
    // Rows of each cable in ascending electrode number.
    std::vector<std::size_t> order(electrodes.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const Electrode &ea = electrodes[a], &eb = electrodes[b];
        return ea.cable != eb.cable ? ea.cable < eb.cable : ea.number < eb.number;
    });
    std::vector<double> horizontal, vertical;
    std::size_t first = 0;
    while (first < order.size()) {
        std::size_t last = first;
        const std::int32_t cable = electrodes[order[first]].cable;
        while (last < order.size() && electrodes[order[last]].cable == cable) ++last;
        const std::size_t n = last - first;

        if (format.elevationColumn <= 0) {
            bool borehole = false;
            if (n >= 2) {
                horizontal.clear();
                vertical.clear();
                for (std::size_t k = first + 1; k < last; ++k) {
                    const Electrode &a = electrodes[order[k - 1]], &b = electrodes[order[k]];
                    horizontal.push_back(std::hypot(b.x - a.x, b.y - a.y));
                    vertical.push_back(std::abs(b.z - a.z));
                }
                borehole = !(medianStep(vertical, n) < medianStep(horizontal, n));
            }
            double top = -HUGE_VAL;
            for (std::size_t k = first; k < last; ++k) top = std::max(top, electrodes[order[k]].z);
            for (std::size_t k = first; k < last; ++k) {
                Electrode& e = electrodes[order[k]];
                e.elevation = borehole ? top : e.z;
            }
        }
        if (format.typeColumn <= 0) {
            for (std::size_t k = first; k < last; ++k) {
                Electrode& e = electrodes[order[k]];
                const std::int16_t type = e.elevation == e.z ? 2 : 1;
                e.type = n < 3 ? static_cast<std::int16_t>(-type) : type;
            }
        }
        first = last;
    }
    return Status::Ok;
}

}  // namespace vexora
