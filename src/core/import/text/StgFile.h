#pragma once
// Measurement files of the SuperSting multi-channel resistivity meters
// (".stg"): header lines, then one comma-separated record per line with the
// record number, V/I (ohm), the error in tenths of a percent, the current
// (mA), the apparent resistivity, the command name and the x, y, z of A, B,
// M and N; fields after those are left alone. The header's "Records: n" is
// checked against the records read.
//
// Where a survey's positions are those of the instrument's command file and
// the true ones are kept apart, an electrode file ("x,y,z" rows, an optional
// header line) lists the true positions: the distinct positions of the
// records, taken along x, then y, then z, are its rows in order; a row with a
// coordinate of 99999 or beyond is a remote electrode and takes the record
// positions farthest from the others.

#include <filesystem>
#include <string_view>
#include <vector>

#include "core/import/ImportTables.h"
#include "core/log/MessageLog.h"

namespace vexora {

struct StgElectrodeRow {
    double x = 0, y = 0, z = 0;
    bool remote = false;
};

// Parses the records into the working tables, through the electrode rows
// when there are any. 0, or 99 with a message naming the line (source
// "funStgImport") and nothing imported.
ImportStatus parseStg(const std::vector<std::string_view>& lines, std::string_view fileName,
                      const std::vector<StgElectrodeRow>& electrodeRows, ImportSet& set, MessageLog& log);

// The rows of an electrode file; 0, or 99 with the line named.
ImportStatus parseStgElectrodes(const std::vector<std::string_view>& lines, std::string_view fileName,
                                std::vector<StgElectrodeRow>& rows, MessageLog& log);

// The electrode file a survey keeps beside its .stg: "<stem>_elec.csv".
std::filesystem::path stgElectrodeFileBeside(const std::filesystem::path& stgFile);

// Reads the file and, when `electrodeFile` is not empty, the electrode file.
ImportStatus funStgImport(const std::filesystem::path& path, const std::filesystem::path& electrodeFile,
                          ImportSet& set, MessageLog& log);

}  // namespace vexora
