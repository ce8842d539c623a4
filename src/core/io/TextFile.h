#pragma once
// Whole-file reading and atomic writing of single-byte text files.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace vexora {

// Largest file the readers accept; block positions are kept in 64 bits, but
// a text of this size is already far beyond any survey.
inline constexpr std::size_t kMaxTextFileBytes = std::size_t{1} << 31;

// Reads the file's bytes, at most kMaxTextFileBytes of them. On failure
// returns false and, when `why` is given, a reason ("not found", "is a
// folder, not a file", "is a device, not a file", "larger than 2 GiB", ...).
// Devices and sockets are refused before they are opened; a pipe is read.
bool readTextFile(const std::filesystem::path& path, std::string& text, std::string* why = nullptr);

// Turns lone carriage returns (old Macintosh line ends) into CR LF. Text with
// CR LF or LF line ends is left as it is: the readers take both.
void normaliseLoneCarriageReturns(std::string& text);

// Writes the bytes to a temporary file beside the target, then renames it
// over the target, so the old content stays until a complete new one exists.
// A symbolic link is written through: the file it names is replaced, the
// link stays. An existing file keeps its permissions (and its owner and
// group where the system allows); a new one gets 0666 less the umask. A file
// with several hard links is not written in place, which would damage every
// name when a save fails half way: the saved name gets a new file and the
// other names keep the old content. Temporaries an interrupted save left
// beside the target are removed (see core/io/SaveTemporary.h).
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::string* why = nullptr);

}  // namespace vexora
