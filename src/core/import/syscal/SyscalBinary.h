#pragma once
// Binary measurement files of the Syscal resistivity meters: a 1029-byte
// header beginning with a 32-bit layout version, then measurement records
// packed back to back, each as long as its own 16-bit type says.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

#include "core/import/ImportTables.h"
#include "core/log/MessageLog.h"

namespace vexora {

inline constexpr std::size_t kSyscalHeaderBytes = 1029;
// The only layout version met in the field; later versions insert a block
// after the header and lengthen the records.
inline constexpr std::uint32_t kSyscalVersion = 0x80000002u;
inline constexpr std::uint32_t kSyscalOldestVersion = 0x80000000u;
// Largest file the reader takes (about 3.5 million records of the longest
// type); anything larger is not a survey.
inline constexpr std::uint64_t kSyscalMaxFileBytes = std::uint64_t{1} << 30;

// Record length in the file by record type 0..3; 0 for any other type.
std::size_t syscalRecordLength(int type);

// An electrode whose x is one of the two absent-electrode markers stands far
// away and is no electrode of the survey (compared bit for bit).
bool isAbsentElectrodeMarker(float x);

// Whether the bytes begin as a binary measurement file does: a supported
// layout version and, past the header, a record of a known type. Enough to
// tell such a file apart from text, not to promise that it reads.
bool looksLikeSyscalBinary(std::span<const unsigned char> bytes);

struct SyscalRecord {
    std::int16_t type = 0;
    float x[4] = {}, y[4] = {}, z[4] = {};  // A, B, M, N
    float v = 0;  // mV
    float i = 0;  // mA
    float m = 0;  // chargeability
    float q = 0;  // quality (deviation)
    std::uint64_t offset = 0;  // byte offset of the record in the file
};

// Reads the records of a file already in memory. `fileName` names the file
// in the messages. Returns 0, or 99 with an error logged (source
// "funReadSyscal"); `records` is then empty. A record cut by the end of the
// file is left out with a warning.
ImportStatus readSyscalRecords(std::span<const unsigned char> bytes, std::string_view fileName,
                               std::vector<SyscalRecord>& records, MessageLog& log);

// Reads the file and its records; 0 or 99.
ImportStatus funReadSyscalPro(const std::filesystem::path& path, std::vector<SyscalRecord>& records, MessageLog& log);

}  // namespace vexora
