#pragma once
// Text exports of the Syscal resistivity meters. The columns are found by
// name in the header line: the pole positions ("Spa.1".."Spa.4", or "xA (m)"
// and the y and z columns where present), "Vp"/"VMN (mV)", "In"/"IAB (mA)",
// and, when there, "M" (chargeability, mV/V) and the resistivity deviation
// ("Dev." or "Dev. Rho (%)"). IP windows and every other column are left
// alone. Tab, comma, semicolon or blank separated.

#include <filesystem>
#include <string_view>
#include <vector>

#include "core/import/ImportTables.h"
#include "core/log/MessageLog.h"

namespace vexora {

// The header must stand within the first lines of the file.
inline constexpr std::size_t kSyscalTextHeaderSearch = 50;

// Parses the lines into the working tables; 0, or 99 with a message naming
// the line (source "funSyscalTextImport") and nothing imported.
ImportStatus parseSyscalText(const std::vector<std::string_view>& lines, std::string_view fileName, ImportSet& set,
                             MessageLog& log);

ImportStatus funSyscalTextImport(const std::filesystem::path& path, ImportSet& set, MessageLog& log);

}  // namespace vexora
