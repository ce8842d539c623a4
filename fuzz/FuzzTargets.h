#pragma once
// The readers under fuzzing. Each target takes any bytes as a file and must
// return normally: a refusal is fine, a crash, an abort or a sanitizer report
// is a fault. The same functions replay the committed corpus in the tests.

#include <string_view>

namespace vexora::fuzz {

// Instrument files: the first byte picks the reader (binary or one text format).
void importFile(std::string_view bytes);
// Instrument text exports, one reader each: Syscal columns, SuperSting
// records (an electrode file after a form feed), Lund blocks (the first byte
// sets the electrodes per line), ARES rows.
void syscalTextFile(std::string_view bytes);
void stgFile(std::string_view bytes);
void ohmFile(std::string_view bytes);
void ares2dmFile(std::string_view bytes);
// A data file through the one load; what loads must save and load again.
void dataFile(std::string_view bytes);
// A configuration applied to the default settings; its rewrite must apply again.
void configurationFile(std::string_view bytes);
// A mesh text file imported over the default settings.
void meshFile(std::string_view bytes);
// XYZ model points; the first byte picks the columns and whether IP is read.
void xyzFile(std::string_view bytes);
// A core script parsed.
void coreScript(std::string_view bytes);

}  // namespace vexora::fuzz
