#pragma once
// Giving imported electrodes their final numbers and positions from a
// measurement sequence text or from an electrode conversion table.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/import/ImportTables.h"
#include "core/log/MessageLog.h"

namespace vexora {

struct SequenceFile {
    std::vector<ImportElectrode> electrodes;
    std::vector<ImportQuadrupole> quadrupoles;
    // 1-based line of each electrode and quadrupole, for messages.
    std::vector<std::size_t> electrodeLines, quadrupoleLines;
};

// Parses a sequence text: leading lines up to the first "#" line, electrode
// lines (4 tokens) up to the next "#" line, then quadrupole lines (5 tokens).
SequenceFile parseSequenceText(const std::vector<std::string_view>& lines);

// What makes the sequence unfit for a data file, naming its line: an
// electrode number below 1, a number listed twice, or a quadrupole pole
// (other than 0, a remote pole) that is not in the electrode list.
std::optional<std::string> sequenceRefusal(const SequenceFile& sequence);

struct ConversionRow {
    std::int32_t id = 0;
    double xBin = 0, yBin = 0, zBin = 0;
    double xNew = 0, yNew = 0, zNew = 0;
    std::size_t line = 0;  // 1-based, for messages
};
// Rows of a conversion table: lines of at least 7 tokens whose first token
// is a non-zero number.
std::vector<ConversionRow> parseConversionTable(const std::vector<std::string_view>& lines);

// Replaces electrodes and quadrupoles by those of the sequence. 1: fewer
// sequence electrodes than imported ones; 2: a different quadrupole count;
// 99 when the file cannot be read or sequenceRefusal refuses it (logged by
// funLinkToSequence). Tables unchanged unless Ok.
ImportStatus funLinkToSequence(const std::filesystem::path& path, ImportSet& set, MessageLog& log);
ImportStatus linkToSequence(const SequenceFile& sequence, ImportSet& set);

// What makes the table unfit for a data file, naming its line: a new
// electrode number below 1 or listed twice.
std::optional<std::string> conversionRefusal(const std::vector<ConversionRow>& rows);

// Renumbers and moves the electrodes by the table; 99 (nothing changed) when
// the table is refused or at the first electrode it lacks.
ImportStatus funLinkToConversionTable(const std::filesystem::path& path, ImportSet& set, MessageLog& log);
ImportStatus linkToConversionTable(const std::vector<ConversionRow>& rows, ImportSet& set, MessageLog& log);

}  // namespace vexora
