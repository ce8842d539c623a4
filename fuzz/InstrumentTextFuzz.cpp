// The column readers of instrument text exports, one target each; what
// reads goes on through the fill step.

#include <string>
#include <vector>

#include "FuzzTargets.h"
#include "core/import/tables/ImportFill.h"
#include "core/import/text/Ares2dm.h"
#include "core/import/text/ImportLines.h"
#include "core/import/text/LundOhm.h"
#include "core/import/text/StgFile.h"
#include "core/import/text/SyscalText.h"

namespace vexora::fuzz {

namespace {

template <typename Parse>
void readText(std::string_view bytes, Parse parse)
{
    MessageLog log([] { return std::string("now"); });
    ImportText text;
    text.bytes.assign(bytes);
    if (splitImportLines("fuzz.txt", "fuzz", text, log) != ImportStatus::Ok) return;
    ImportSet set;
    ImportGrids grids;
    if (parse(text.lines, set, log) == ImportStatus::Ok) (void)subFillImportTables(set, grids, log);
}

}  // namespace

void syscalTextFile(std::string_view bytes)
{
    readText(bytes, [](const auto& lines, ImportSet& set, MessageLog& log) {
        return parseSyscalText(lines, "fuzz.txt", set, log);
    });
}

void stgFile(std::string_view bytes)
{
    // A form feed splits the records from an electrode file.
    const std::size_t split = bytes.find('\f');
    std::vector<StgElectrodeRow> rows;
    if (split != std::string_view::npos) {
        MessageLog log([] { return std::string("now"); });
        ImportText electrodes;
        electrodes.bytes.assign(bytes.substr(split + 1));
        if (splitImportLines("fuzz_elec.csv", "fuzz", electrodes, log) != ImportStatus::Ok ||
            parseStgElectrodes(electrodes.lines, "fuzz_elec.csv", rows, log) != ImportStatus::Ok)
            return;
        bytes = bytes.substr(0, split);
    }
    readText(bytes, [&](const auto& lines, ImportSet& set, MessageLog& log) {
        return parseStg(lines, "fuzz.stg", rows, set, log);
    });
}

void ohmFile(std::string_view bytes)
{
    // The first byte: electrodes per line of a 3D block file (0: as the file says).
    if (bytes.empty()) return;
    const OhmOptions options{0, static_cast<unsigned char>(bytes[0]) % 8};
    readText(bytes.substr(1), [&](const auto& lines, ImportSet& set, MessageLog& log) {
        return parseOhm(lines, "fuzz.ohm", options, set, log);
    });
}

void ares2dmFile(std::string_view bytes)
{
    readText(bytes, [](const auto& lines, ImportSet& set, MessageLog& log) {
        return parseAres2dm(lines, "fuzz.2dm", 0, set, log);
    });
}

}  // namespace vexora::fuzz
