#include "datafile/BlockReaders.h"
#include "datafile/BlockRows.h"
#include "settings/LenientNumber.h"

namespace vexora {

int funLoadTopography(std::string_view text, const BlockBounds& bounds, const TopographyFormat& format,
                      std::vector<TopographyPoint>& topography, MessageLog& log)
{
    topography.clear();
    topography.reserve(blockLineCount(text, bounds));
    return forEachBlockRow(text, bounds, format.columnCount, kTopographyBlock, "funLoadTopography", log,
                           [&](const classParseLine& t, std::size_t, std::string_view) {
        topography.push_back({lenientNumber(t.View(format.xColumn)), lenientNumber(t.View(format.yColumn)),
                              lenientNumber(t.View(format.zColumn))});
        return kStatusOk;
    });
}

}  // namespace vexora
