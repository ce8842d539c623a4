#include "core/datafile/BlockReaders.h"
#include "core/datafile/BlockRows.h"
#include "core/settings/LenientNumber.h"

namespace vexora {

Status funLoadTopography(std::string_view text, const BlockBounds& bounds, const TopographyFormat& format,
                         std::vector<TopographyPoint>& topography, MessageLog& log)
{
    topography.clear();
    BlockNumbers number;
    topography.reserve(blockLineCount(text, bounds));
    const Status status = forEachBlockRow(text, bounds, format.columnCount, kTopographyBlock, "funLoadTopography", log,
                           [&](const classParseLine& t, std::size_t ordinal, std::string_view row) {
        topography.push_back({number(t, format.xColumn, ordinal, row), number(t, format.yColumn, ordinal, row),
                              number(t, format.zColumn, ordinal, row)});
        return Status::Ok;
    });
    if (status == Status::Ok) number.report(log, "funLoadTopography", kTopographyBlock);
    return status;
}

}  // namespace vexora
