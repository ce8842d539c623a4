// Instrument readers. The binary path runs the record reader, the schedule
// extraction, a grid renumbering and the fill step; the text path one
// importer of each format.

#include <span>
#include <string>
#include <vector>

#include "FuzzTargets.h"
#include "core/import/schedule/ScheduleExtraction.h"
#include "core/import/syscal/SyscalBinary.h"
#include "core/import/tables/ImportFill.h"
#include "core/import/text/ImportLines.h"
#include "core/import/text/TextInstruments.h"

namespace vexora::fuzz {

void importFile(std::string_view bytes)
{
    if (bytes.empty()) return;
    const auto choice = static_cast<unsigned char>(bytes[0]);
    const int which = choice % 5;
    bytes.remove_prefix(1);
    MessageLog log([] { return std::string("now"); });
    ImportSet set;
    ImportGrids grids;
    if (which == 0) {
        // A valid header in front of the fuzzed records, so the record walk
        // is reached; the fuzzed bytes may still overwrite it.
        std::vector<unsigned char> file(kSyscalHeaderBytes, 0);
        file[0] = 0x02;
        file[3] = 0x80;
        file.insert(file.end(), bytes.begin(), bytes.end());
        std::vector<SyscalRecord> records;
        if (readSyscalRecords(std::span(file.data(), file.size()), "fuzz.bin", records, log) != ImportStatus::Ok)
            return;
        if (funExtractSchedule(records, set, log) != ImportStatus::Ok) return;
        // Each step's failure is logged; only a crash is a fault here.
        (void)funRenumberElecAndQuad(set, false, (choice & 0x10) ? 2 : -1, true, log);
        (void)subFillImportTables(set, grids, log);
        return;
    }
    ImportText text;
    text.bytes.assign(bytes);
    if (splitImportLines("fuzz.txt", "fuzz", text, log) != ImportStatus::Ok) return;
    const auto format = static_cast<TextInstrument>(which - 1);
    if (parseTextInstrument(format, text.lines, "fuzz.txt", set, log) == ImportStatus::Ok)
        (void)subFillImportTables(set, grids, log);
}

}  // namespace vexora::fuzz
