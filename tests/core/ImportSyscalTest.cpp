#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <span>

#include "core/ImportTestSupport.h"
#include "core/import/ImportDriver.h"
#include "core/import/schedule/ScheduleExtraction.h"
#include "core/import/syscal/SyscalBinary.h"
#include "support/RealData.h"

namespace {

using namespace vexora;
using namespace vexora::testing;

ImportStatus readBuffer(const std::string& bytes, std::vector<SyscalRecord>& records, MessageLog& log)
{
    return readSyscalRecords(std::span(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()), "f.bin",
                             records, log);
}

constexpr float kMarkerSingle = 99999.9921875f;  // 0x47C34FFF
constexpr float kMarkerMillion = 999999.0f;      // 0x497423F0

TEST(SyscalBinary, EachRecordTypeAtItsOwnLength)
{
    for (std::int16_t type = 0; type <= 3; ++type) {
        SCOPED_TRACE(type);
        std::vector<BinRecord> in;
        for (int k = 0; k < 5; ++k) in.push_back(dipole(static_cast<float>(k), type, -12.5f * k, 40.0f + k));
        in[2].m = 7.25f;
        in[3].q = 0.5f;
        MessageLog log;
        std::vector<SyscalRecord> records;
        ASSERT_EQ(readBuffer(binFile(in), records, log), ImportStatus::Ok) << log.plainText();
        ASSERT_EQ(records.size(), 5u);
        for (std::size_t k = 0; k < 5; ++k) {
            EXPECT_EQ(records[k].offset, 1029 + k * syscalRecordLength(type));
            EXPECT_EQ(records[k].x[N], k + 3.0f);
            EXPECT_EQ(records[k].v, -12.5f * static_cast<float>(k));
            EXPECT_EQ(records[k].i, 40.0f + static_cast<float>(k));
        }
        EXPECT_EQ(records[2].m, 7.25f);
        EXPECT_EQ(records[3].q, 0.5f);
    }
}

// The count once came from the first record's length: a type-3 record
// followed by type-0 records lost the trailing ones.
TEST(SyscalBinary, MixedTypesAreWalkedByTheirOwnTypes)
{
    const std::vector<BinRecord> in = {dipole(0, 3), dipole(1, 0), dipole(2, 0), dipole(3, 0), dipole(4, 0),
                                       dipole(5, 2), dipole(6, 1), dipole(7, 0)};
    MessageLog log;
    std::vector<SyscalRecord> records;
    ASSERT_EQ(readBuffer(binFile(in), records, log), ImportStatus::Ok);
    ASSERT_EQ(records.size(), in.size());
    for (std::size_t k = 0; k < in.size(); ++k) {
        EXPECT_EQ(records[k].type, in[k].type);
        EXPECT_EQ(records[k].x[A], static_cast<float>(k));
    }
    EXPECT_EQ(log.warningCount() + log.errorCount(), 0u);
}

TEST(SyscalBinary, MoreThan32767RecordsAllRead)
{
    std::string bytes = binHeader();
    for (int k = 0; k < 40000; ++k) appendRecord(bytes, dipole(static_cast<float>(k % 50), 0));
    MessageLog log;
    std::vector<SyscalRecord> records;
    ASSERT_EQ(readBuffer(bytes, records, log), ImportStatus::Ok);
    EXPECT_EQ(records.size(), 40000u);
    EXPECT_EQ(records.back().x[A], static_cast<float>(39999 % 50));
}

TEST(SyscalBinary, AMillionRecords)
{
    std::string bytes = binHeader();
    bytes.reserve(1029 + 1'000'000 * 248);
    std::string one;
    appendRecord(one, dipole(0, 0));
    for (int k = 0; k < 1'000'000; ++k) bytes += one;
    MessageLog log;
    std::vector<SyscalRecord> records;
    ASSERT_EQ(readBuffer(bytes, records, log), ImportStatus::Ok);
    EXPECT_EQ(records.size(), 1'000'000u);
    EXPECT_EQ(records.back().offset, 1029u + 999'999u * 248u);
}

struct BadFile {
    const char* what;
    std::string bytes;
    ImportStatus status;
    const char* message;
    std::size_t recordsKept;
};

std::string withTypeAt(std::string bytes, std::size_t recordOffset, std::uint16_t type)
{
    put16(bytes, recordOffset + 2, type);
    return bytes;
}

TEST(SyscalBinary, BadFiles)
{
    const std::string three = binFile({dipole(0), dipole(1), dipole(2)});
    BinRecord nanRecord = dipole(1);
    nanRecord.pole[M].y = std::numeric_limits<float>::quiet_NaN();
    BinRecord infRecord = dipole(1);
    infRecord.pole[B].z = std::numeric_limits<float>::infinity();
    BinRecord nanV = dipole(1);
    nanV.v = std::numeric_limits<float>::quiet_NaN();
    const std::vector<BadFile> cases = {
        {"zero length", "", ImportStatus::Failed, "f.bin: 0 bytes, shorter than the 1029-byte header", 0},
        {"shorter than the header", binHeader().substr(0, 1000), ImportStatus::Failed, "1000 bytes, shorter than the 1029-byte header", 0},
        {"header only", binHeader(), ImportStatus::Ok, "", 0},
        {"really text", std::string(2000, 'a').replace(0, 12, "Spa.1,Spa.2,"), ImportStatus::Failed,
         "layout version 0x2E617053 is not supported", 0},
        {"version 3", binHeader(0x80000003u) + three.substr(1029), ImportStatus::Failed, "layout version 0x80000003 is not supported", 0},
        {"version 4", binHeader(0x80000004u) + three.substr(1029), ImportStatus::Failed, "layout version 0x80000004", 0},
        {"type 7 in record 2", withTypeAt(three, 1029 + 304, 7), ImportStatus::Failed,
         "f.bin: record 2 at byte offset 1333: record type 7, expected 0 to 3.", 0},
        {"negative type", withTypeAt(three, 1029, 0xFFFF), ImportStatus::Failed, "record 1 at byte offset 1029: record type -1", 0},
        {"last record cut", three.substr(0, three.size() - 10), ImportStatus::Ok,
         "record 3 at byte offset 1637 is cut by the end of the file (294 of 304 bytes); left out.", 2},
        {"three bytes after a record", three.substr(0, 1029 + 304 + 3), ImportStatus::Ok,
         "record 2 at byte offset 1333 is cut by the end of the file (3 bytes)", 1},
        {"NaN coordinate", binFile({dipole(0), nanRecord}), ImportStatus::Failed,
         "record 2 at byte offset 1333: electrode M has a coordinate that is not a finite number.", 0},
        {"infinite coordinate", binFile({infRecord}), ImportStatus::Failed, "electrode B has a coordinate that is not a finite number", 0},
        {"NaN potential", binFile({nanV}), ImportStatus::Failed, "record 1 at byte offset 1029: V or I is not a finite number.", 0},
    };
    for (const BadFile& c : cases) {
        SCOPED_TRACE(c.what);
        MessageLog log;
        std::vector<SyscalRecord> records;
        EXPECT_EQ(readBuffer(c.bytes, records, log), c.status);
        EXPECT_EQ(records.size(), c.recordsKept);
        EXPECT_NE(log.plainText().find(c.message), std::string::npos) << log.plainText();
        if (c.status == ImportStatus::Failed) {
            EXPECT_NE(log.plainText().find("funReadSyscal"), std::string::npos);
        }
    }
}

TEST(SyscalBinary, AbsentElectrodeMarkersAreExactBitPatterns)
{
    EXPECT_TRUE(isAbsentElectrodeMarker(kMarkerSingle));
    EXPECT_TRUE(isAbsentElectrodeMarker(static_cast<float>(99999.99)));  // written in double, converted
    EXPECT_TRUE(isAbsentElectrodeMarker(kMarkerMillion));
    EXPECT_FALSE(isAbsentElectrodeMarker(100000.0f));
    EXPECT_FALSE(isAbsentElectrodeMarker(999998.9f));
}

TEST(SyscalBinary, FileThatIsNotThere)
{
    MessageLog log;
    std::vector<SyscalRecord> records;
    EXPECT_EQ(funReadSyscalPro("/nonexistent/x.bin", records, log), ImportStatus::Failed);
    EXPECT_NE(log.plainText().find("/nonexistent/x.bin not found!"), std::string::npos);
}

// Records to working tables through the driver, with both markers and a
// zero current.
TEST(SyscalImport, PoleArraysAndZeroCurrentThroughTheDriver)
{
    BinRecord poleDipole = dipole(0);
    poleDipole.pole[B].x = kMarkerSingle;
    BinRecord polePole = dipole(1, 0);
    polePole.pole[B].x = kMarkerMillion;
    polePole.pole[N].x = kMarkerMillion;
    polePole.i = 0;
    const auto folder = scratchFolder("driver");
    const auto path = writeScratch(folder, "poles.bin", binFile({poleDipole, polePole}));
    BinImportOptions options;
    options.binFile = path;
    options.numberingStart = -1;  // Xmax: x = 3 becomes electrode 1
    ImportSet set;
    ImportGrids grids;
    MessageLog log;
    ASSERT_EQ(funImportBinFile(options, set, grids, log), ImportStatus::Ok) << log.plainText();
    // electrodes at x = 0, 2, 3 (first record) and 1 (second): renumbered 3, 2, 1 and ... by descending x
    ASSERT_EQ(set.electrodes.size(), 4u);
    EXPECT_EQ(set.electrodes[0].x, 3.0);
    EXPECT_EQ(set.electrodes[3].x, 0.0);
    EXPECT_EQ(set.quadrupoles[0], (ImportQuadrupole{4, 0, 2, 1}));
    EXPECT_EQ(set.quadrupoles[1], (ImportQuadrupole{3, 0, 1, 0}));
    EXPECT_EQ(grids.quadrupoles[1][7], "1000000000");
    EXPECT_EQ(grids.quadrupoles[1][9], "1000000000");
    EXPECT_TRUE(grids.remote1.shown);
    EXPECT_EQ(grids.remote2.label, "Potential Pole");
    std::filesystem::remove_all(folder);
}

TEST(SyscalImport, EmptyRecordArrayFailsTheExtraction)
{
    const auto folder = scratchFolder("empty");
    BinImportOptions options;
    options.binFile = writeScratch(folder, "empty.bin", binHeader());
    ImportSet set;
    ImportGrids grids;
    MessageLog log;
    EXPECT_EQ(funImportBinFile(options, set, grids, log), ImportStatus::Failed);
    EXPECT_NE(log.plainText().find("funExtractSchedule: The binary file holds no measurement record."),
              std::string::npos);
    EXPECT_TRUE(set.values.empty());
    std::filesystem::remove_all(folder);
}

// --- real instrument files, when the reference folder is there ---

// Decimals written in a number text, for the tolerance of a comparison.
double halfUnitOfLastDigit(const std::string& text)
{
    const std::size_t dot = text.find('.');
    const int decimals = dot == std::string::npos ? 0 : static_cast<int>(text.size() - dot - 1);
    return 0.5 * std::pow(10.0, -decimals) + 1e-9;
}

std::vector<std::string> splitOn(const std::string& line, char separator)
{
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = line.find(separator, start);
        cells.push_back(line.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return cells;
}

struct RealPair {
    const char* bin;
    const char* text;
    char separator;
    std::size_t records;  // in the binary file
    std::size_t rows;     // compared text rows
    int xA, v, i, q, m;   // text columns (-1: not exported)
};

TEST(SyscalRealFiles, EveryRecordEqualsTheTextExport)
{
    if (!std::filesystem::is_directory(vexora::testing::realDataFolder())) GTEST_SKIP() << "no reference instrument files";
    const std::vector<RealPair> pairs = {
        {"syscal_bin/resipy/syscal-bin.bin", "syscal_txt/resipy/parser/syscal-bin.csv", ',', 68, 68, 2, 9, 10, 7, -1},
        {"syscal_bin/reda/07_tdip/data_syscal_ip/data_normal.bin",
         "syscal_txt/reda/07_tdip/data_syscal_ip/data_normal.txt", '\t', 1249, 990, 1, 9, 10, 6, 7},
        {"syscal_bin/reda/07_tdip/data_syscal_ip/data_reciprocal.bin",
         "syscal_txt/reda/07_tdip/data_syscal_ip/data_reciprocal.txt", '\t', 990, 990, 1, 9, 10, 6, 7},
    };
    for (const RealPair& pair : pairs) {
        SCOPED_TRACE(pair.bin);
        MessageLog log;
        std::vector<SyscalRecord> records;
        ASSERT_EQ(funReadSyscalPro(vexora::testing::realDataFolder() / pair.bin, records, log), ImportStatus::Ok) << log.plainText();
        ASSERT_EQ(records.size(), pair.records);
        std::ifstream text(vexora::testing::realDataFolder() / pair.text);
        std::string line;
        std::getline(text, line);  // header
        std::size_t row = 0;
        while (std::getline(text, line) && row < pair.rows) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const std::vector<std::string> cells = splitOn(line, pair.separator);
            const SyscalRecord& r = records[row++];
            auto same = [&](float value, int column, const char* field) {
                if (column < 0) return;
                const std::string& cell = cells.at(static_cast<std::size_t>(column));
                EXPECT_NEAR(value, std::stod(cell), halfUnitOfLastDigit(cell) + 1e-6 * std::fabs(value))
                    << field << " of row " << row;
            };
            for (int p = 0; p < 4; ++p) same(r.x[p], pair.xA + p, "x");
            same(r.v, pair.v, "V");
            same(r.i, pair.i, "I");
            same(r.q, pair.q, "q");
            same(r.m, pair.m, "m");
        }
        EXPECT_EQ(row, pair.rows);
    }
}

TEST(SyscalRealFiles, EveryBinaryFileImportsWhole)
{
    if (!std::filesystem::is_directory(vexora::testing::realDataFolder())) GTEST_SKIP() << "no reference instrument files";
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(vexora::testing::realDataFolder() / "syscal_bin")) {
        if (entry.path().extension() != ".bin") continue;
        SCOPED_TRACE(entry.path().string());
        ++files;
        MessageLog log;
        std::vector<SyscalRecord> records;
        ASSERT_EQ(funReadSyscalPro(entry.path(), records, log), ImportStatus::Ok) << log.plainText();
        EXPECT_EQ(1029 + records.size() * 304, entry.file_size());
        ImportSet set;
        ASSERT_EQ(funExtractSchedule(records, set, log), ImportStatus::Ok);
        for (const ImportQuadrupole& q : set.quadrupoles)
            for (std::int32_t pole : q) EXPECT_GT(pole, 0);
        EXPECT_EQ(log.warningCount() + log.errorCount(), 0u);
    }
    EXPECT_GT(files, 0u);
}

}  // namespace
