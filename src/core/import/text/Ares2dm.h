#pragma once
// Measurement files of the ARES resistivity meters (".2dm"): "Key: value"
// header lines (the electrode distance among them), a "Measured data:" line,
// a tab-separated column header and the rows. Poles are electrode numbers
// counted from 0, possibly followed by "*k"; the electrodes stand on the x
// axis at the electrode distance. IP files add the windows "IP1[%]".. whose
// lengths the "IP windows:" header line gives.

#include <filesystem>
#include <string_view>
#include <vector>

#include "core/import/ImportTables.h"
#include "core/log/MessageLog.h"

namespace vexora {

// Parses the lines into the working tables. `spacing` above 0 replaces the
// header's electrode distance. The chargeability m is the IP windows' mean
// weighted by their lengths, in mV/V. 0, or 99 with a message naming the line
// (source "funAres2dmImport") and nothing imported.
ImportStatus parseAres2dm(const std::vector<std::string_view>& lines, std::string_view fileName, double spacing,
                          ImportSet& set, MessageLog& log);

ImportStatus funAres2dmImport(const std::filesystem::path& path, double spacing, ImportSet& set, MessageLog& log);

}  // namespace vexora
