#pragma once
// Pieces every column reader of an instrument export needs: splitting a line
// into fields, strict numbers, and the refusal that names the line where a
// file breaks. A reader that meets a broken line imports nothing.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/import/ImportTables.h"
#include "core/io/Blanks.h"
#include "core/log/MessageLog.h"

namespace vexora {

// Splits at `delimiter`; a blank (' ') splits at runs of blanks and tabs and
// drops empty fields. Fields keep their own blanks except for ' '.
void splitFields(std::string_view line, char delimiter, std::vector<std::string_view>& fields);

// The whole field (blanks around it allowed) as a finite number, or false.
bool fieldNumber(std::string_view field, double& value);

// Whether the line holds nothing but blanks, tabs and the delimiter.
bool isBlankLine(std::string_view line, char delimiter);

// A position at or beyond this (in metres) stands for a remote electrode in
// the text exports.
inline constexpr double kRemotePosition = 99999.0;

// Logs "<file>: line <n>: <why>. Nothing imported." from `source` and returns 99.
ImportStatus refuseLine(MessageLog& log, const char* source, std::string_view fileName, std::size_t line,
                        const std::string& why);

// A field quoted for a message: at most 40 characters.
std::string quotedField(std::string_view field);

}  // namespace vexora
