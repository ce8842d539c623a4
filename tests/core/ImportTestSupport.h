#pragma once
// Binary measurement files built byte by byte from the record layout, and
// scratch files for the import tests.

#include <bit>
#include <cstdint>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/io/TextFile.h"
#include "core/survey/SurveyTables.h"

namespace vexora::testing {

struct BinPole {
    float x = 0, y = 0, z = 0;
};

struct BinRecord {
    std::int16_t type = 3;
    BinPole pole[4];  // A, B, M, N
    float v = 100, i = 50, m = 0, q = 0;
};

inline std::size_t binRecordLength(int type)
{
    static const std::size_t lengths[4] = {248, 280, 296, 304};
    return type >= 0 && type < 4 ? lengths[type] : 248;
}

inline void put16(std::string& b, std::size_t at, std::uint16_t v)
{
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>(v >> 8);
}

inline void put32(std::string& b, std::size_t at, std::uint32_t v)
{
    for (int k = 0; k < 4; ++k) b[at + static_cast<std::size_t>(k)] = static_cast<char>((v >> (8 * k)) & 0xFF);
}

inline void putFloat(std::string& b, std::size_t at, float v) { put32(b, at, std::bit_cast<std::uint32_t>(v)); }

inline std::string binHeader(std::uint32_t version = 0x80000002u)
{
    std::string b(1029, '\0');
    put32(b, 0, version);
    return b;
}

// Appends one record; the bytes the reader skips are filled with 0xA5 so a
// reader looking at the wrong offset sees garbage.
inline void appendRecord(std::string& b, const BinRecord& r)
{
    const std::size_t at = b.size();
    b.append(binRecordLength(r.type), static_cast<char>(0xA5));
    put16(b, at + 2, static_cast<std::uint16_t>(r.type));
    for (int p = 0; p < 4; ++p) {
        putFloat(b, at + 16 + 4 * static_cast<std::size_t>(p), r.pole[p].x);
        putFloat(b, at + 32 + 4 * static_cast<std::size_t>(p), r.pole[p].y);
        putFloat(b, at + 48 + 4 * static_cast<std::size_t>(p), r.pole[p].z);
    }
    putFloat(b, at + 68, r.v);
    putFloat(b, at + 72, r.i);
    putFloat(b, at + 80, r.m);
    putFloat(b, at + 84, r.q);
}

inline std::string binFile(const std::vector<BinRecord>& records)
{
    std::string b = binHeader();
    for (const BinRecord& r : records) appendRecord(b, r);
    return b;
}

// Dipole-dipole record on the x axis: A, B, M, N at a, a + 1, a + 2, a + 3.
inline BinRecord dipole(float a, std::int16_t type = 3, float v = 100, float i = 50)
{
    BinRecord r;
    r.type = type;
    for (int p = 0; p < 4; ++p) r.pole[p] = {a + static_cast<float>(p), 0, 0};
    r.v = v;
    r.i = i;
    return r;
}

inline std::filesystem::path scratchFolder(const std::string& name)
{
    const auto folder = std::filesystem::temp_directory_path() /
                        ("vexora_import_" + name + "_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    return folder;
}

inline std::filesystem::path writeScratch(const std::filesystem::path& folder, const std::string& name,
                                          const std::string& bytes)
{
    const auto path = folder / name;
    vexora::writeFileAtomically(path, bytes);
    return path;
}

}  // namespace vexora::testing
