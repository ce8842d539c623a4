#include "core/import/syscal/SyscalBinary.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "core/import/ImportTables.h"

namespace vexora {

namespace {

constexpr const char* kSource = "funReadSyscal";
constexpr std::size_t kTypeOffset = 2;
constexpr std::size_t kShortestRecord = 248;

std::uint16_t read16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t read32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

float readFloat(const unsigned char* p) { return std::bit_cast<float>(read32(p)); }

std::string hex32(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

std::string where(std::string_view fileName, std::size_t record, std::uint64_t offset)
{
    return std::string(fileName) + ": record " + std::to_string(record) + " at byte offset " + std::to_string(offset);
}

const char kPoleName[4] = {'A', 'B', 'M', 'N'};

}  // namespace

std::size_t syscalRecordLength(int type)
{
    switch (type) {
    case 0: return 248;
    case 1: return 280;
    case 2: return 296;
    case 3: return 304;
    default: return 0;
    }
}

bool isAbsentElectrodeMarker(float x)
{
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(x);
    return bits == 0x47C34FFFu || bits == 0x497423F0u;
}

bool looksLikeSyscalBinary(std::span<const unsigned char> bytes)
{
    if (bytes.size() < kSyscalHeaderBytes) return false;
    const std::uint32_t version = read32(bytes.data());
    if (version < kSyscalOldestVersion || version > kSyscalVersion) return false;
    if (bytes.size() < kSyscalHeaderBytes + kTypeOffset + 2) return true;  // a header without records
    return syscalRecordLength(static_cast<std::int16_t>(read16(bytes.data() + kSyscalHeaderBytes + kTypeOffset))) > 0;
}

ImportStatus readSyscalRecords(std::span<const unsigned char> bytes, std::string_view fileName,
                               std::vector<SyscalRecord>& records, MessageLog& log)
{
    records.clear();
    const std::size_t size = bytes.size();
    if (size < kSyscalHeaderBytes) {
        log.logError(kSource, std::string(fileName) + ": " + std::to_string(size) + " bytes, shorter than the " +
                               std::to_string(kSyscalHeaderBytes) + "-byte header of a binary file.");
        return ImportStatus::Failed;
    }
    const std::uint32_t version = read32(bytes.data());
    if (version < kSyscalOldestVersion || version > kSyscalVersion) {
        log.logError(kSource, std::string(fileName) + ": layout version " + hex32(version) + " is not supported (" +
                               hex32(kSyscalVersion) + " or older expected).");
        return ImportStatus::Failed;
    }
    // Every record is at least the shortest type long: a bound on the count
    // before anything is allocated.
    records.reserve((size - kSyscalHeaderBytes) / kShortestRecord);

    std::size_t p = kSyscalHeaderBytes;
    while (p < size) {
        const std::size_t ordinal = records.size() + 1;
        const std::size_t left = size - p;
        if (left < kTypeOffset + 2) {
            log.warning(kSource, where(fileName, ordinal, p) + " is cut by the end of the file (" +
                                     std::to_string(left) + " bytes); left out.");
            break;
        }
        const auto type = static_cast<std::int16_t>(read16(bytes.data() + p + kTypeOffset));
        const std::size_t length = syscalRecordLength(type);
        if (length == 0) {
            log.logError(kSource, where(fileName, ordinal, p) + ": record type " + std::to_string(type) +
                                   ", expected 0 to 3. Reading stopped.");
            records.clear();
            return ImportStatus::Failed;
        }
        if (left < length) {
            log.warning(kSource, where(fileName, ordinal, p) + " is cut by the end of the file (" +
                                     std::to_string(left) + " of " + std::to_string(length) + " bytes); left out.");
            break;
        }
        const unsigned char* r = bytes.data() + p;
        SyscalRecord record;
        record.type = type;
        record.offset = p;
        for (int k = 0; k < 4; ++k) {
            record.x[k] = readFloat(r + 16 + 4 * k);
            record.y[k] = readFloat(r + 32 + 4 * k);
            record.z[k] = readFloat(r + 48 + 4 * k);
        }
        record.v = readFloat(r + 68);
        record.i = readFloat(r + 72);
        record.m = readFloat(r + 80);
        record.q = readFloat(r + 84);
        for (int k = 0; k < 4; ++k) {
            if (isAbsentElectrodeMarker(record.x[k])) continue;
            if (!std::isfinite(record.x[k]) || !std::isfinite(record.y[k]) || !std::isfinite(record.z[k])) {
                log.logError(kSource, where(fileName, ordinal, p) + ": electrode " + kPoleName[k] +
                                       " has a coordinate that is not a finite number.");
                records.clear();
                return ImportStatus::Failed;
            }
        }
        if (!std::isfinite(record.v) || !std::isfinite(record.i)) {
            log.logError(kSource, where(fileName, ordinal, p) + ": V or I is not a finite number.");
            records.clear();
            return ImportStatus::Failed;
        }
        records.push_back(record);
        p += length;
    }
    return ImportStatus::Ok;
}

ImportStatus funReadSyscalPro(const std::filesystem::path& path, std::vector<SyscalRecord>& records, MessageLog& log)
{
    records.clear();
    const std::string name = path.string();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        log.logError(kSource, name + " not found!");
        return ImportStatus::Failed;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || !(size <= kSyscalMaxFileBytes)) {
        log.logError(kSource, name + ": " + (ec ? "size cannot be read." : std::to_string(size) +
                                              " bytes, larger than any binary measurement file (at most " +
                                              std::to_string(kSyscalMaxFileBytes) + ")."));
        return ImportStatus::Failed;
    }
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
    std::ifstream in(path, std::ios::binary);
    if (!in || !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
        log.logError(kSource, name + ": the file cannot be read.");
        return ImportStatus::Failed;
    }
    return readSyscalRecords(bytes, name, records, log);
}

}  // namespace vexora
