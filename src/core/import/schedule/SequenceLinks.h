#pragma once
// Giving imported electrodes their final numbers and positions from a
// measurement sequence text or from an electrode conversion table.

#include <filesystem>
#include <string_view>
#include <vector>

#include "core/import/ImportTables.h"
#include "core/log/MessageLog.h"

namespace vexora {

struct SequenceFile {
    std::vector<ImportElectrode> electrodes;
    std::vector<ImportQuadrupole> quadrupoles;
};

// Parses a sequence text: leading lines up to the first "#" line, electrode
// lines (4 tokens) up to the next "#" line, then quadrupole lines (5 tokens).
SequenceFile parseSequenceText(const std::vector<std::string_view>& lines);

struct ConversionRow {
    std::int32_t id = 0;
    double xBin = 0, yBin = 0, zBin = 0;
    double xNew = 0, yNew = 0, zNew = 0;
};
// Rows of a conversion table: lines of at least 7 tokens whose first token
// is a non-zero number.
std::vector<ConversionRow> parseConversionTable(const std::vector<std::string_view>& lines);

// Replaces electrodes and quadrupoles by those of the sequence. 1: fewer
// sequence electrodes than imported ones; 2: a different quadrupole count
// (tables unchanged in both cases); 99 when the file cannot be read.
ImportStatus funLinkToSequence(const std::filesystem::path& path, ImportSet& set, MessageLog& log);
ImportStatus linkToSequence(const SequenceFile& sequence, ImportSet& set);

// Renumbers and moves the electrodes by the table; 99 (nothing changed) at
// the first electrode the table lacks.
ImportStatus funLinkToConversionTable(const std::filesystem::path& path, ImportSet& set, MessageLog& log);
ImportStatus linkToConversionTable(const std::vector<ConversionRow>& rows, ImportSet& set, MessageLog& log);

}  // namespace vexora
