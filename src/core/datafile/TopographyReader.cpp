#include "core/datafile/BlockReaders.h"
#include "core/datafile/BlockRows.h"
#include "core/datafile/CoordinateChecks.h"
#include "core/settings/LenientNumber.h"

namespace vexora {

Status funLoadTopography(std::string_view text, const BlockBounds& bounds, const TopographyFormat& format,
                         const std::vector<Electrode>& electrodes, std::vector<TopographyPoint>& topography,
                         MessageLog& log)
{
    const char* source = "funLoadTopography";
    topography.clear();
    BlockNumbers number;
    std::vector<std::size_t> rows;  // each point's row, for the coordinate check
    topography.reserve(blockLineCount(text, bounds));
    const Status status = forEachBlockRow(text, bounds, format.columnCount, kTopographyBlock, source, log,
                           [&](const classParseLine& t, std::size_t ordinal, std::string_view row) {
        topography.push_back({number(t, format.xColumn, ordinal, row), number(t, format.yColumn, ordinal, row),
                              number(t, format.zColumn, ordinal, row)});
        rows.push_back(ordinal);
        return Status::Ok;
    });
    if (status != Status::Ok) return status;
    const TopographyPoint centre = electrodes.empty() ? surveyCentre(topography) : surveyCentre(electrodes);
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (const std::string problem = coordinateProblem(topography[i], centre); !problem.empty())
            return log.error(source, "Topography point " + problem + "." +
                                         rowPosition(kTopographyBlock, rows[i], blockRow(text, bounds, rows[i])));
    number.report(log, source, kTopographyBlock);
    return Status::Ok;
}

}  // namespace vexora
