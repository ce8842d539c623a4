// libFuzzer harness for the instrument readers: the first byte picks the
// reader, the rest is the file. The binary path runs the record reader, the
// schedule extraction, a grid renumbering and the fill step; the text path
// one importer of each format.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/import/schedule/ScheduleExtraction.h"
#include "core/import/syscal/SyscalBinary.h"
#include "core/import/tables/ImportFill.h"
#include "core/import/text/ImportLines.h"
#include "core/import/text/TextInstruments.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace vexora;
    if (size < 1) return 0;
    const int which = data[0] % 5;
    MessageLog log([] { return std::string("now"); });
    ImportSet set;
    ImportGrids grids;
    if (which == 0) {
        // A valid header in front of the fuzzed records, so the record walk
        // is reached; the fuzzed bytes may still overwrite it.
        std::vector<unsigned char> bytes(kSyscalHeaderBytes, 0);
        bytes[0] = 0x02;
        bytes[3] = 0x80;
        bytes.insert(bytes.end(), data + 1, data + size);
        std::vector<SyscalRecord> records;
        if (readSyscalRecords(std::span(bytes.data(), bytes.size()), "fuzz.bin", records, log) != ImportStatus::Ok) return 0;
        if (funExtractSchedule(records, set, log) != ImportStatus::Ok) return 0;
        // Each step's failure is logged; the fuzz run only looks for crashes.
        (void)funRenumberElecAndQuad(set, false, (data[0] & 0x10) ? 2 : -1, true, log);
        (void)subFillImportTables(set, grids, log);
        return 0;
    }
    ImportText text;
    text.bytes.assign(reinterpret_cast<const char*>(data + 1), size - 1);
    if (splitImportLines("fuzz.txt", "fuzz", text, log) != ImportStatus::Ok) return 0;
    const TextInstrument format = static_cast<TextInstrument>(which - 1);
    if (parseTextInstrument(format, text.lines, "fuzz.txt", set, log) == ImportStatus::Ok)
        (void)subFillImportTables(set, grids, log);
    return 0;
}
