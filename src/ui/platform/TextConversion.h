#pragma once
// Conversions at the window boundary: the core keeps text as single-byte
// Windows-1252 bytes, Qt as UTF-16; file paths go to the core in the file system's encoding.

#include <filesystem>
#include <string>
#include <string_view>

#include <QString>

namespace vexora::ui {

// Every byte maps to one character. The five bytes Windows-1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same
// value, as the Windows conversion does, so any byte string round-trips.
QString toQString(std::string_view windows1252);

// Characters outside Windows-1252 become '?'.
std::string toWindows1252(const QString& text);

// A path chosen in a dialog, in the file system's own encoding.
std::filesystem::path toFilePath(const QString& path);
// A path of the file system, for showing and for Qt's file functions.
QString fromFilePath(const std::filesystem::path& path);

}  // namespace vexora::ui
