#pragma once
// Measurement files of the Lund imaging system (".ohm"): a header (name,
// first station coordinate, date, electrode take-out spacing, number of
// protocols and the protocols' names), then blocks, each opened by a line
// with the count of its measurements and the kind of value (0 apparent
// resistivity, 1 resistance), a station line and a date line, and then the
// measurements: A, B, M, N, the value, its deviation (%) and two flags.
//
// On a line (2D) the poles are positions along the line from the first
// station. A 3D block file numbers the electrodes instead, line after line
// along x; the electrodes per line come from its protocol name ("3D21X12":
// 21) or from the caller, the spacing from the header or from the caller.

#include <filesystem>
#include <string_view>
#include <vector>

#include "core/import/ImportTables.h"
#include "core/log/MessageLog.h"

namespace vexora {

struct OhmOptions {
    double spacing = 0;      // above 0: replaces the header's take-out spacing
    int lineElectrodes = 0;  // above 0: a 3D block file with that many electrodes per line
};

// Parses the lines into the working tables. The file has no currents: I is
// 1000 mA and V follows from the resistance (apparent resistivities are
// divided by the geometric factor). 0, or 99 with a message naming the line
// (source "funOhmImport") and nothing imported.
ImportStatus parseOhm(const std::vector<std::string_view>& lines, std::string_view fileName,
                      const OhmOptions& options, ImportSet& set, MessageLog& log);

ImportStatus funOhmImport(const std::filesystem::path& path, const OhmOptions& options, ImportSet& set,
                          MessageLog& log);

}  // namespace vexora
