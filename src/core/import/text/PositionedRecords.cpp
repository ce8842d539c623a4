#include "core/import/text/PositionedRecords.h"

#include <algorithm>
#include <bit>

#include "core/import/schedule/ScheduleExtraction.h"

namespace vexora {

void markRemotePole(SyscalRecord& record, int pole)
{
    // The binary files' own marker, so the extraction leaves the pole absent.
    record.x[pole] = std::bit_cast<float>(0x497423F0u);
    record.y[pole] = record.z[pole] = 0.0f;
}

ImportStatus importPositionedRecords(const std::vector<SyscalRecord>& records, ImportSet& set, MessageLog& log)
{
    if (funExtractSchedule(records, set, log) != ImportStatus::Ok) return ImportStatus::Failed;
    const bool oneLine = std::all_of(set.electrodes.begin(), set.electrodes.end(),
                                     [&](const ImportElectrode& e) { return e.y == set.electrodes.front().y; });
    if (funRenumberElecAndQuad(set, oneLine, 1, false, log) != ImportStatus::Ok) {
        set.clear();
        return ImportStatus::Failed;
    }
    return ImportStatus::Ok;
}

}  // namespace vexora
