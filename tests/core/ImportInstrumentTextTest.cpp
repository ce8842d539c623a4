#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "core/ImportTestSupport.h"
#include "core/import/ImportDriver.h"
#include "support/RealData.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;

// The committed samples of the readers, beside the tests.
const fs::path kSamples = fs::path(VEXORA_SAMPLES_DIR) / "../../tests/instruments";
struct Imported {
    ImportStatus status;
    ImportSet set;
    ImportGrids grids;
    std::string log;
};

Imported importFile(ImportFormatKind kind, const fs::path& path, const TextImportOptions& options = {})
{
    Imported r;
    MessageLog log;
    r.status = importTextFile(kind, path, r.set, r.grids, log, {}, options);
    r.log = log.plainText();
    return r;
}

// --- the committed samples: one per layout, values read off their text ---

struct Sample {
    ImportFormatKind kind;
    const char* file;
    TextImportOptions options;
    std::size_t quadrupoles, electrodes;
    ImportQuadrupole first, last;
    ImportValue firstValue, lastValue;  // V (mV), I (mA), q, m; a NaN V is not checked
    ImportElectrode lastElectrode;
};

TEST(InstrumentTextSamples, EveryLayoutImportsWithItsValues)
{
    using K = ImportFormatKind;
    const std::vector<Sample> samples = {
        // Tab separated with IP windows; the last line holds a tab only.
        {K::SyscalText, "syscal_tab.txt", {}, 4, 6, {1, 2, 3, 4}, {3, 4, 5, 6},
         {-410.25f, 120.5f, 0.1f, 3.25f}, {-430.0f, 99.875f, 0.0f, 1.75f}, {6, 10, 0, 0}},
        // Blank separated: the array name and the date are several words.
        {K::SyscalText, "syscal_blank.txt", {}, 3, 5, {1, 2, 3, 4}, {2, 5, 3, 4},
         {152.4f, 80.0f, 0.2f, 0.0f}, {201.5f, 75.5f, 0.1f, 0.0f}, {5, 5, 0, 0}},
        // Pole-dipole: B at 9999999 is a remote electrode (0).
        {K::SyscalText, "syscal_pd.csv", {}, 3, 5, {1, 0, 2, 3}, {3, 0, 4, 5},
         {20.5f, 150.25f, 0.05f, 0.0f}, {-16.125f, 151.0f, 2.5f, 0.0f}, {5, 6, 0, 0}},
        // x, y, z of every pole: a grid, numbered line by line.
        {K::SyscalText, "syscal_xyz.csv", {}, 3, 8, {1, 3, 4, 5}, {3, 8, 2, 7},
         {88.5f, 40.0f, 0.5f, 6.25f}, {-7.125f, 39.75f, 1.25f, 4.75f}, {8, 1, 2, 0}},
        // V = V/I x I; the error in tenths of a percent.
        {K::Stg, "line.stg", {}, 3, 6, {2, 1, 3, 4}, {3, 2, 5, 6},
         {312.5f, 250.0f, 0.3f, 0.0f}, {-0.2015f * 251.0f, 251.0f, 0.0f, 0.0f}, {6, 10, 0, 0}},
        // Positions from grid_elec.csv beside it; its 99999 row is the remote B.
        {K::Stg, "grid.stg", {}, 3, 4, {1, 0, 2, 3}, {4, 3, 2, 1},
         {0.18f * 267.0f, 267.0f, 0.3f, 0.0f}, {2.5f * 77.0f, 77.0f, 0.1f, 0.0f}, {4, 12.5, 22.5, 99.5}},
        // Resistances at positions from the first station.
        {K::LundOhm, "line.ohm", {}, 4, 7, {1, 2, 3, 4}, {4, 5, 6, 7},
         {1250.0f, 1000.0f, 0.5f, 0.0f}, {1100.0f, 1000.0f, 0.0f, 0.0f}, {7, 6, 0, 0}},
        // "3D4X3": four electrodes a line at the header's 1.5 m; apparent
        // resistivities become V/I through K (Wenner a = 1.5 m: 2 pi 1.5).
        {K::LundOhm, "block.ohm", {}, 3, 11, {1, 4, 2, 3}, {2, 10, 6, 11},
         {static_cast<float>(102.5 / (2 * M_PI * 1.5) * 1000), 1000.0f, 0.05f, 0.0f},
         {NAN, 1000.0f, 2.125f, 0.0f}, {11, 3, 3, 0}},  // the next test checks every value
        // Electrodes counted from 0 at the header's 2.5 m.
        {K::Ares2dm, "line.2dm", {}, 3, 8, {2, 1, 3, 4}, {8, 7, 5, 6},
         {2045.713f, 471.407f, 0.0f, 0.0f}, {16.676f, 106.771f, 1.5f, 0.0f}, {8, 17.5, 0, 0}},
        // IP windows 20, 20, 40, 80 ms: m = (1.2*20 + 1.0*20 + 0.8*40 + 0.6*80) / 160 % = 7.75 mV/V;
        // "*k" after an electrode number is left aside; laid from 5 m.
        {K::Ares2dm, "line_ip.2dm", {}, 3, 8, {2, 1, 3, 4}, {8, 2, 5, 6},
         {107.169f, 997.206f, 0.0f, 7.75f}, {0, 0, 0, 0}, {8, 22.5, 0, 0}},
        // The spacing given replaces the header's.
        {K::Ares2dm, "line.2dm", {1.0, 0, {}}, 3, 8, {2, 1, 3, 4}, {8, 7, 5, 6},
         {2045.713f, 471.407f, 0.0f, 0.0f}, {16.676f, 106.771f, 1.5f, 0.0f}, {8, 7, 0, 0}},
    };
    for (const Sample& s : samples) {
        SCOPED_TRACE(std::string(s.file) + " spacing " + std::to_string(s.options.spacing));
        const Imported r = importFile(s.kind, kSamples / s.file, s.options);
        ASSERT_EQ(r.status, ImportStatus::Ok) << r.log;
        ASSERT_EQ(r.set.quadrupoles.size(), s.quadrupoles);
        ASSERT_EQ(r.set.electrodes.size(), s.electrodes);
        EXPECT_EQ(r.grids.quadrupoles.size(), s.quadrupoles);
        EXPECT_EQ(r.set.quadrupoles.front(), s.first);
        EXPECT_EQ(r.set.quadrupoles.back(), s.last);
        auto near = [](const ImportValue& a, const ImportValue& b) {
            auto close = [](float x, float y) { return std::fabs(x - y) <= 1e-4f * std::max(1.0f, std::fabs(y)); };
            return close(a.v, b.v) && close(a.i, b.i) && close(a.q, b.q) && close(a.m, b.m);
        };
        EXPECT_TRUE(near(r.set.values.front(), s.firstValue))
            << r.set.values.front().v << " " << r.set.values.front().i << " " << r.set.values.front().q << " "
            << r.set.values.front().m;
        if (!std::isnan(s.lastValue.v)) {
            EXPECT_TRUE(near(r.set.values.back(), s.lastValue));
        }
        EXPECT_EQ(r.set.electrodes.back(), s.lastElectrode);
    }
}

TEST(InstrumentTextSamples, ApparentResistivityBlocksKeepRhoThroughK)
{
    // Every value of block.ohm, times its K, gives the resistivity written.
    const Imported r = importFile(ImportFormatKind::LundOhm, kSamples / "block.ohm");
    ASSERT_EQ(r.status, ImportStatus::Ok) << r.log;
    const double written[3] = {102.5, 98.25, 110.0};
    for (std::size_t q = 0; q < 3; ++q)
        EXPECT_NEAR(r.set.values[q].v / r.set.values[q].i * r.grids.factors[q], written[q], 1e-3 * written[q]);
}

// --- broken files: refused whole, with the line where they break ---

struct Broken {
    ImportFormatKind kind;
    const char* name;
    std::string text;
    const char* message;
};

std::string stgRecord(int n, const std::string& current = "250")
{
    return std::to_string(n) + ",USER,20240302,09:00:00, 1.25E+00, 3," + current +
           ", 47.1,LINE, 2,0,0, 0,0,0, 4,0,0, 6,0,0,Cmd=1\r\n";
}

const std::string kStgHead = "Instrument export\r\nFirmware version: 1 Records: 2\r\nUnit: meter\r\n";
const std::string kOhmHead =
    "\r\n0  { first station coordinate }\r\n2024-03-02 10:00:00 ver. 2.12\r\n2  { electrode take-out spacing }\r\n"
    "1  { no. of protocol files used }\r\nDIPDIP 5\r\nDIPDIP.ORG\r\n";
const std::string kAresHead = "Device: test\r\nElectrode distance: 2 m\r\nMeasured data:\r\n"
                              "C1[el]\tC2[el]\tP1[el]\tP2[el]\tI[mA]\tU[mV]\tSt-dev[%]\r\n";
const std::string kSyscalHead = "\tSpa.1\tSpa.2\tSpa.3\tSpa.4\tRho\tDev.\tM\tSp\tVp\tIn\r\n";

TEST(InstrumentTextBroken, EachBrokenFileIsRefusedNamingTheLine)
{
    using K = ImportFormatKind;
    const std::vector<Broken> cases = {
        {K::SyscalText, "empty", "", "line 1: the file is empty"},
        {K::SyscalText, "wrong header", "a,b,c\r\n1,2,3\r\n", "line 1: no header line naming the pole positions"},
        {K::SyscalText, "no V column", "Spa.1,Spa.2,Spa.3,Spa.4,In\r\n0,1,2,3,5\r\n",
         "line 1: the header names no potential (Vp or VMN) or no current"},
        {K::SyscalText, "non-number", kSyscalHead + "\t0\t1\t2\t3\t5\t0\t0\t0\t10\t2\r\n\t0\t1\t2\t3\t5\t0\t0\t0\tx.5\t2\r\n",
         "line 3: the V field \"x.5\" is not a number"},
        {K::SyscalText, "truncated", kSyscalHead + "\t0\t1\t2\t3\t5\t0\t0\t0\t10\t2\r\n\t0\t1\t2\t3",
         "line 3: 5 fields, at least 11 expected from the header on line 1"},
        {K::SyscalText, "header only", kSyscalHead, "line 1: no measurement follows the header line"},
        {K::Stg, "empty", "", "line 1: the file is empty"},
        {K::Stg, "wrong header", "x,y,z\r\n1;2;3\r\n", "line 2: no record line"},
        {K::Stg, "not a record", kStgHead + stgRecord(1) + "hello\r\n", "line 5: the line does not begin with a record number"},
        {K::Stg, "non-number", kStgHead + stgRecord(1) + stgRecord(2, "abc"), "line 5: the current field \"abc\" is not a number"},
        {K::Stg, "truncated in a line", kStgHead + stgRecord(1) + "2,USER,20240302,09:00:00, 1.25E+00, 3,250",
         "line 5: 7 fields, at least 21 expected"},
        {K::Stg, "truncated at a line end", kStgHead + stgRecord(1), "line 2: the header announces 2 records, the file holds 1"},
        {K::LundOhm, "empty", "", "line 1: the file ends inside the five header lines"},
        {K::LundOhm, "wrong header", "name\r\nstation\r\ndate\r\n2\r\n1\r\n", "line 2: the first station coordinate is not a number"},
        {K::LundOhm, "no block", kOhmHead + "-6 -4 -2 0 1.25 0.5 1 1\r\n", "line 8: no block line"},
        {K::LundOhm, "non-number", kOhmHead + "2 1\r\n0\r\ndate line\r\n-6 -4 -2 0 1.25 0.5 1 1\r\n-4 -2 0 2 1.0x 0 1 1\r\n",
         "line 12: field 5 \"1.0x\" is not a number"},
        {K::LundOhm, "truncated", kOhmHead + "3 1\r\n0\r\ndate line\r\n-6 -4 -2 0 1.25 0.5 1 1\r\n-4 -2 0 2 1.0 0 1 1\r\n",
         "line 12: the file ends after 2 of the 3 measurements announced on line 8"},
        {K::LundOhm, "cut row", kOhmHead + "2 1\r\n0\r\ndate line\r\n-6 -4 -2 0 1.25 0.5 1 1\r\n-4 -2 0\r\n",
         "line 12: 3 fields, at least 6 expected"},
        {K::LundOhm, "electrode 0 in a 3D file",
         kOhmHead + "3D2X2 1\r\n1 1\r\n0\r\ndate line\r\n1 0 2 3 1.25 0.5 1 1\r\n", "line 12: electrode number 0 for B"},
        {K::Ares2dm, "empty", "", "line 1: the file is empty"},
        {K::Ares2dm, "wrong header", "C1[el]\tC2[el]\r\n1\t2\r\n", "line 1: no \"Measured data:\" line"},
        {K::Ares2dm, "no spacing", "Device: x\r\nMeasured data:\r\nC1[el]\r\n", "line 1: no \"Electrode distance:\" in the header"},
        {K::Ares2dm, "non-number", kAresHead + "1\t0\t2\t3\t100\t50\t0\r\n1\t0\t2\t3\t?\t50\t0\r\n",
         "line 6: the field \"?\" of column 5 is not a number"},
        {K::Ares2dm, "truncated", kAresHead + "1\t0\t2\t3\t100\t50\t0\r\n1\t0\t2", "line 6: 3 fields, 7 expected"},
        {K::Ares2dm, "electrode below 0", kAresHead + "-1\t0\t2\t3\t100\t50\t0\r\n", "line 5: electrode number -1 for C1[el]"},
        {K::Ares2dm, "electrode not a number", kAresHead + "1\tx\t2\t3\t100\t50\t0\r\n",
         "line 5: the C2[el] field \"x\" is not an electrode number"},
    };
    const fs::path folder = vexora::testing::scratchFolder("instrument_text_broken");
    for (const Broken& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = vexora::testing::writeScratch(folder, "broken.txt", c.text);
        const Imported r = importFile(c.kind, file);
        EXPECT_EQ(r.status, ImportStatus::Failed);
        EXPECT_NE(r.log.find(c.message), std::string::npos) << r.log;
        EXPECT_NE(r.log.find("Nothing imported."), std::string::npos) << r.log;
        EXPECT_TRUE(r.set.quadrupoles.empty() && r.set.electrodes.empty() && r.set.values.empty());
        EXPECT_TRUE(r.grids.quadrupoles.empty());
    }
    fs::remove_all(folder);
}

TEST(InstrumentTextBroken, AnElectrodeFileThatDoesNotFitIsRefused)
{
    const fs::path folder = vexora::testing::scratchFolder("instrument_text_elec");
    fs::copy_file(kSamples / "grid.stg", folder / "grid.stg");
    const struct {
        const char* rows;
        const char* message;
    } cases[] = {
        {"x,y,z\r\n0,0,0\r\n1,0,0\r\n", "the records use 5 electrode positions, the electrode file lists 2"},
        {"x,y,z\r\n0,0,0\r\n1,zero,0\r\n", "grid_elec.csv: line 3: an electrode row is two or three numbers"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        vexora::testing::writeScratch(folder, "grid_elec.csv", c.rows);
        const Imported r = importFile(ImportFormatKind::Stg, folder / "grid.stg");
        EXPECT_EQ(r.status, ImportStatus::Failed);
        EXPECT_NE(r.log.find(c.message), std::string::npos) << r.log;
        EXPECT_TRUE(r.set.quadrupoles.empty());
    }
    fs::remove_all(folder);
}

// --- the real files, when the reference folder is there ---

struct RealFile {
    ImportFormatKind kind;
    const char* path;
    std::size_t quadrupoles, electrodes;  // 0 quadrupoles: the file is refused
};

TEST(InstrumentTextRealFiles, EveryFileImportsWhole)
{
    if (!fs::is_directory(vexora::testing::realDataFolder())) GTEST_SKIP() << "no reference instrument files";
    using K = ImportFormatKind;
    const std::vector<RealFile> files = {
        {K::SyscalText, "syscal_txt/reda/01_ERT/data_syscal_ert/02_data_normal_thinned_not_all_electrodes/data.txt", 16, 20},
        {K::SyscalText, "syscal_txt/reda/01_ERT/data_syscal_ert/02_data_normal_thinned_not_all_electrodes/data.Dat", 0, 0},
        {K::SyscalText, "syscal_txt/reda/01_ERT/data_syscal_ert/data_normal.txt", 990, 48},
        {K::SyscalText, "syscal_txt/reda/01_ERT/data_syscal_ert/data_reciprocal.txt", 990, 48},
        {K::SyscalText, "syscal_txt/reda/07_tdip/data_syscal_ip/data_normal.txt", 990, 48},
        {K::SyscalText, "syscal_txt/reda/07_tdip/data_syscal_ip/data_reciprocal.txt", 990, 48},
        {K::SyscalText, "syscal_txt/reda/08_pygimli/raw_data/p1.1_nor_dd/data_Log.txt", 0, 0},
        {K::SyscalText, "syscal_txt/resipy/dc-2d-pole-dipole/syscal.csv", 1151, 63},
        {K::SyscalText, "syscal_txt/resipy/dc-2d/syscal-noisy.csv", 344, 24},
        {K::SyscalText, "syscal_txt/resipy/dc-2d/syscal-normal-only.csv", 172, 24},
        {K::SyscalText, "syscal_txt/resipy/dc-2d/syscal-reciprocal-only.csv", 172, 24},
        {K::SyscalText, "syscal_txt/resipy/dc-2d/syscal.csv", 344, 24},
        {K::SyscalText, "syscal_txt/resipy/ip-2d/IP_MICP_all.csv", 2670, 24},
        {K::SyscalText, "syscal_txt/resipy/ip-2d/IP_MICP_normal.csv", 918, 24},
        {K::SyscalText, "syscal_txt/resipy/ip-2d/QuayMeadowIP.csv", 2384, 48},
        {K::SyscalText, "syscal_txt/resipy/ip-2d/rifleday8.csv", 2269, 24},
        {K::SyscalText, "syscal_txt/resipy/ip-2d/syscal.csv", 344, 24},
        {K::SyscalText, "syscal_txt/resipy/parser/syscal-bin.csv", 68, 16},
        {K::SyscalText, "syscal_txt/resipy/parser/syscal-new-format.csv", 142, 24},
        {K::SyscalText, "syscal_txt/resipy/parser/syscal_ProsysIII_IP.csv", 926, 24},
        {K::Stg, "agi_stg/resipy/sting_2D_noIP.stg", 712, 32},
        {K::Stg, "agi_stg/resipy/sting_3D_noIP.stg", 5784, 112},
        {K::Stg, "agi_stg/resipy/Sting_poleDipole_3D/Sting_3D_PDP.stg", 3122, 84},
        {K::LundOhm, "abem/resipy/abem-lund-norm.ohm", 431, 32},
        {K::LundOhm, "abem/resipy/abem-lund-recip.ohm", 428, 32},
        {K::LundOhm, "abem/resipy/abem-lund-3D_21x12_blocks.OHM", 2170, 241},
        {K::Ares2dm, "ares_2dm/resipy/ARESII.2dm", 247, 24},
        {K::Ares2dm, "ares_2dm/resipy/ARESII_IP.2dm", 1618, 72},
    };
    for (const RealFile& f : files) {
        SCOPED_TRACE(f.path);
        if (!fs::exists(vexora::testing::realDataFolder() / f.path)) continue;
        const Imported r = importFile(f.kind, vexora::testing::realDataFolder() / f.path);
        if (f.quadrupoles == 0) {
            EXPECT_EQ(r.status, ImportStatus::Failed);
            EXPECT_NE(r.log.find("line 1: no header line"), std::string::npos) << r.log;
            continue;
        }
        ASSERT_EQ(r.status, ImportStatus::Ok) << r.log;
        EXPECT_EQ(r.set.quadrupoles.size(), f.quadrupoles);
        EXPECT_EQ(r.set.electrodes.size(), f.electrodes);
    }
}

TEST(InstrumentTextRealFiles, FirstAndLastValuesAsWritten)
{
    if (!fs::is_directory(vexora::testing::realDataFolder())) GTEST_SKIP() << "no reference instrument files";
    using K = ImportFormatKind;
    const struct {
        K kind;
        const char* path;
        ImportValue first, last;
    } files[] = {
        // ",Mixed / non conventional,0.00,3.00,1.00,2.00,18.43,5.68,4.75,122.950,41.906" / "...,20.493,40.053"
        {K::SyscalText, "syscal_txt/resipy/parser/syscal-bin.csv", {122.95f, 41.906f, 5.68f, 0}, {20.493f, 40.053f, 0.83f, 0}},
        // Vp -1270.656, In 325.250, Dev. 0.0, M 1.52 / -435.811, 242.947, 0.0, 0.04
        {K::SyscalText, "syscal_txt/reda/07_tdip/data_syscal_ip/data_normal.txt", {-1270.656f, 325.25f, 0, 1.52f},
         {-435.811f, 242.947f, 0, 0.04f}},
        // 1.96439E+00 ohm at 300 mA, error 0 / 1.93827E+00 ohm at 272 mA
        {K::Stg, "agi_stg/resipy/sting_2D_noIP.stg", {1.96439f * 300, 300, 0, 0}, {1.93827f * 272, 272, 0, 0}},
        // 2.33000E-2 ohm / 2.90000E0 ohm; no current in the file
        {K::LundOhm, "abem/resipy/abem-lund-norm.ohm", {23.3f, 1000, 0, 0}, {2900, 1000, 0, 0}},
        // U 2045.713 mV at 471.407 mA / 16.676 at 106.771
        {K::Ares2dm, "ares_2dm/resipy/ARESII.2dm", {2045.713f, 471.407f, 0, 0}, {16.676f, 106.771f, 0, 0}},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.path);
        if (!fs::exists(vexora::testing::realDataFolder() / f.path)) continue;
        const Imported r = importFile(f.kind, vexora::testing::realDataFolder() / f.path);
        ASSERT_EQ(r.status, ImportStatus::Ok) << r.log;
        for (const auto& [got, want] : {std::pair{r.set.values.front(), f.first}, std::pair{r.set.values.back(), f.last}}) {
            EXPECT_NEAR(got.v, want.v, 1e-5 * std::fabs(want.v) + 1e-6);
            EXPECT_NEAR(got.i, want.i, 1e-5 * std::fabs(want.i));
            EXPECT_NEAR(got.q, want.q, 1e-6);
            EXPECT_NEAR(got.m, want.m, 1e-6);
        }
    }
}

// The same survey as a binary file and as its text export: quadrupole by
// quadrupole the same electrodes, V and I within the decimals written.
TEST(InstrumentTextRealFiles, TextExportAgreesWithTheBinaryFile)
{
    if (!fs::is_directory(vexora::testing::realDataFolder())) GTEST_SKIP() << "no reference instrument files";
    const struct {
        const char* bin;
        const char* text;
    } pairs[] = {
        {"syscal_bin/resipy/syscal-bin.bin", "syscal_txt/resipy/parser/syscal-bin.csv"},
        {"syscal_bin/reda/07_tdip/data_syscal_ip/data_reciprocal.bin",
         "syscal_txt/reda/07_tdip/data_syscal_ip/data_reciprocal.txt"},
        {"syscal_bin/reda/01_ERT/data_syscal_ert/02_data_normal_thinned_not_all_electrodes/data.bin",
         "syscal_txt/reda/01_ERT/data_syscal_ert/02_data_normal_thinned_not_all_electrodes/data.txt"},
    };
    for (const auto& p : pairs) {
        SCOPED_TRACE(p.text);
        if (!fs::exists(vexora::testing::realDataFolder() / p.bin) || !fs::exists(vexora::testing::realDataFolder() / p.text)) continue;
        BinImportOptions options;
        options.binFile = vexora::testing::realDataFolder() / p.bin;
        ImportSet bin;
        ImportGrids binGrids;
        MessageLog log;
        ASSERT_EQ(funImportBinFile(options, bin, binGrids, log), ImportStatus::Ok) << log.plainText();
        const Imported text = importFile(ImportFormatKind::SyscalText, vexora::testing::realDataFolder() / p.text);
        ASSERT_EQ(text.status, ImportStatus::Ok) << text.log;
        ASSERT_EQ(text.set.quadrupoles.size(), bin.quadrupoles.size());
        EXPECT_EQ(text.set.electrodes, bin.electrodes);
        for (std::size_t q = 0; q < bin.quadrupoles.size(); ++q) {
            ASSERT_EQ(text.set.quadrupoles[q], bin.quadrupoles[q]) << "quadrupole " << q + 1;
            // Three decimals of mV and mA in the text.
            EXPECT_NEAR(text.set.values[q].v, bin.values[q].v, 5e-4 + 1e-6 * std::fabs(bin.values[q].v));
            EXPECT_NEAR(text.set.values[q].i, bin.values[q].i, 5e-4 + 1e-6 * std::fabs(bin.values[q].i));
        }
    }
}

}  // namespace
