#pragma once
// Text exports of four single-line resistivity meters. Each importer turns
// the lines of one file into the working tables; the electrodes stand on the
// x axis, placed from an electrode spacing or from positions in the file.

#include <filesystem>
#include <string_view>
#include <vector>

#include "core/import/ImportTables.h"
#include "core/log/MessageLog.h"

namespace vexora {

enum class TextInstrument { Ares, Mae, Pasi, Siber };

// Electrode numbers above this are refused: no single-line instrument has
// more, and the electrodes 1..largest number are all created.
inline constexpr std::int32_t kMaxTextElectrodeNumber = 100000;

// Parses the lines of a file of the given instrument. Lines that look like
// measurements but lack a token, hold a non-numeric token or an electrode
// number below 1 are left out with a warning naming the line. Returns 0, or
// 99 when no measurement is left.
ImportStatus parseTextInstrument(TextInstrument format, const std::vector<std::string_view>& lines,
                                 std::string_view fileName, ImportSet& set, MessageLog& log);

// Reads the file and parses it; 0 or 99. The fill step follows in the driver.
ImportStatus funARESImport(const std::filesystem::path& path, ImportSet& set, MessageLog& log);
ImportStatus funMAEImport(const std::filesystem::path& path, ImportSet& set, MessageLog& log);
ImportStatus funPASIImport(const std::filesystem::path& path, ImportSet& set, MessageLog& log);
ImportStatus funSIBERImport(const std::filesystem::path& path, ImportSet& set, MessageLog& log);

}  // namespace vexora
