#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "support/CliRun.h"
#include "app/cli/Cli.h"
#include "core/ImportTestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace vexora::testing;

using vexora::testing::CliRun;
using vexora::testing::runVexora;

std::string instrument(const char* name) { return (fs::path(VEXORA_INSTRUMENT_SAMPLES_DIR) / name).string(); }

TEST(ImportCommand, ListsTheFormats)
{
    const CliRun r = runVexora({"import", "--list"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "IRIS Syscal Bin\tbin\nIRIS Syscal Txt\tsyscaltxt\nARES Uds\tares\nARES 2dm\tares2dm\n"
                     "Siber-48 csv\tsiber\nMAE Tsv\tmae\nPASI Txt\tpasi\nABEM file\tabem\nAGI STG\tstg\n");
}

// A 2 x 3 grid, measured with a pole-dipole (B far away) and dipole-dipoles.
std::string gridBinary()
{
    std::vector<BinRecord> records;
    for (int k = 0; k < 4; ++k) {
        BinRecord r;
        r.type = static_cast<std::int16_t>(k);
        const float pos[4][2] = {{0, 0}, {1, 0}, {2, 0}, {0, 1}};
        for (int p = 0; p < 4; ++p)
            r.pole[p] = {pos[(p + k) % 4][0], pos[(p + k) % 4][1], 0};
        r.v = 10.0f + static_cast<float>(k);
        r.i = 100;
        r.m = k == 2 ? 4.5f : 0.0f;
        records.push_back(r);
    }
    records[3].pole[vexora::B].x = 99999.9921875f;
    return binFile(records);
}

TEST(ImportCommand, BinaryAndTextFilesBecomeDataFilesThatLoad)
{
    const fs::path folder = scratchFolder("cli");
    const std::string bin = writeScratch(folder, "grid.bin", gridBinary()).string();
    std::string ares;
    for (int line = 1; line <= 16; ++line) ares += line == 11 ? "a 2\r\n" : "h\r\n";
    ares += "0 3 1 2 9 50 100 0 0 0.5 2\r\n1 4 2 3 9 50 80 0 0 0.5 2\r\n";
    struct Case {
        std::vector<std::string> args;
        const char* sizes;
    };
    const std::vector<Case> cases = {
        {{"import", "bin", bin}, "electrodes 5\nquadrupoles 4\n"},
        {{"import", "IRIS Syscal Bin", bin, "--renumber", "grid", "--start", "ymax", "--snake"}, "electrodes 5\nquadrupoles 4\n"},
        {{"import", "ares", writeScratch(folder, "a.uds", ares).string()}, "electrodes 5\nquadrupoles 2\n"},
        {{"import", "MAE Tsv", writeScratch(folder, "m.tsv", "intervallo: 2\n1 1 4 2 3 50 100 0 0 0.5\n").string()},
         "electrodes 4\nquadrupoles 1\n"},
        {{"import", "pasi", writeScratch(folder, "p.txt", "a[m]=2\n1 4 2 3 x 0.1 0.05\n").string()},
         "electrodes 4\nquadrupoles 1\n"},
        {{"import", "siber", writeScratch(folder, "s.csv", "h\n1,0,9999999,2,4,0,1,100,50,0.5\n").string()},
         "electrodes 4\nquadrupoles 1\n"},
        // The committed sample of each native reader; a pole-dipole's remote
        // B is one more electrode, on its own cable.
        {{"import", "syscaltxt", instrument("syscal_tab.txt")}, "electrodes 6\nquadrupoles 4\n"},
        {{"import", "IRIS Syscal Txt", instrument("syscal_pd.csv")}, "electrodes 6\nquadrupoles 3\n"},
        {{"import", "stg", instrument("line.stg")}, "electrodes 6\nquadrupoles 3\n"},
        {{"import", "stg", instrument("grid.stg"), "--electrodes", instrument("grid_elec.csv")},
         "electrodes 5\nquadrupoles 3\n"},
        {{"import", "abem", instrument("line.ohm")}, "electrodes 7\nquadrupoles 4\n"},
        {{"import", "abem", instrument("block.ohm"), "--line-electrodes", "4", "--spacing", "2"},
         "electrodes 11\nquadrupoles 3\n"},
        {{"import", "ares2dm", instrument("line_ip.2dm"), "--spacing", "5"}, "electrodes 8\nquadrupoles 3\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1]);
        std::vector<std::string> args = c.args;
        const std::string out = (folder / "out.data").string();
        args.insert(args.end(), {"-o", out});
        const CliRun imported = runVexora(args);
        ASSERT_EQ(imported.code, 0) << imported.err;
        EXPECT_EQ(imported.err.find("Error"), std::string::npos) << imported.err;
        const CliRun checked = runVexora({"check", out});
        ASSERT_EQ(checked.code, 0) << checked.err;
        EXPECT_EQ(checked.out, std::string(c.sizes) + "topography 0\nquadrupoles with |K| above 5000 m: 0\n");
    }
    // The pole-dipole's far B is a remote electrode on its own cable.
    const std::string out = (folder / "remote.data").string();
    ASSERT_EQ(runVexora({"import", "bin", bin, "-o", out}).code, 0);
    const CliRun electrodes = runVexora({"dump", out, "electrodes"});
    EXPECT_NE(electrodes.out.find("Rem_1\t2\t2\t"), std::string::npos) << electrodes.out;
    // V/I, I and m of the third record (type 2): V = 12, I = 100, m = 4.5
    const CliRun quadrupoles = runVexora({"dump", out, "quadrupoles"});
    EXPECT_NE(quadrupoles.out.find("\t0.12\t"), std::string::npos) << quadrupoles.out;
    EXPECT_NE(quadrupoles.out.find("\t4.5\t100\t0\n"), std::string::npos) << quadrupoles.out;
    fs::remove_all(folder);
}

TEST(ImportCommand, RefusalsAndFailures)
{
    const fs::path folder = scratchFolder("cli_bad");
    const std::string bin = writeScratch(folder, "g.bin", gridBinary()).string();
    const std::string sequence =
        writeScratch(folder, "seq.txt", "#\n1 0 0 0\n2 1 0 0\n#\n1 1 2 1 2\n").string();
    const std::string fewQuadrupoles =
        writeScratch(folder, "seq5.txt", "#\n1 0 0 0\n2 1 0 0\n3 2 0 0\n4 0 1 0\n5 1 1 0\n#\n1 1 2 3 4\n").string();
    const std::string table = writeScratch(folder, "conv.txt", "id xb yb zb x y z\n1 0 0 0 10 0 0\n").string();
    const std::string out = (folder / "o.data").string();
    struct Case {
        std::vector<std::string> args;
        int code;
        const char* message;
    };
    const std::vector<Case> cases = {
        {{"import", "bin", (folder / "g.txt").string(), "-o", out}, 1, "Invalid file format!"},
        {{"import", "bin", (folder / "none.bin").string(), "-o", out}, 1, "none.bin not found!"},
        {{"import", "bin", bin, "--sequence", sequence, "-o", out}, 1, "Invalid number of electrodes in sequence file!"},
        {{"import", "bin", bin, "--sequence", sequence, "-o", out}, 1, "Error in importing data set: data-set not loaded."},
        {{"import", "bin", bin, "--conversion", (folder / "none.txt").string(), "-o", out}, 1, "none.txt not found!"},
        {{"import", "bin", bin, "--sequence", fewQuadrupoles, "-o", out}, 1, "Invalid number of quadrupoles in sequence file!"},
        {{"import", "bin", bin, "--conversion", table, "-o", out}, 1,
         "funLinkToConversionTable: Electrode [1, 0, 0] is missing in table of conversion file."},
        {{"import", "bin", bin, "--sequence", sequence, "--renumber", "grid", "-o", out}, 2, "Usage: vexora import"},
        {{"import", "ares", bin, "--snake", "-o", out}, 2, "Usage: vexora import"},
        {{"import", "bin", bin}, 2, "Usage: vexora import"},
        {{"import", "xyz", bin, "-o", out}, 2, "unknown format 'xyz'"},
        {{"import", "bin", bin, "--spacing", "2", "-o", out}, 2, "Usage: vexora import"},
        {{"import", "ares2dm", instrument("line.2dm"), "--spacing", "-1", "-o", out}, 2, "Usage: vexora import"},
        {{"import", "abem", instrument("line.ohm"), "--line-electrodes", "2.5", "-o", out}, 2, "Usage: vexora import"},
        {{"import", "stg", instrument("line.stg"), "--spacing", "2", "-o", out}, 2, "Usage: vexora import"},
        {{"import", "ares", instrument("line.2dm"), "--spacing", "2", "-o", out}, 2, "Usage: vexora import"},
        {{"import", "stg", instrument("line.2dm"), "-o", out}, 1, "Invalid file format!"},
        {{"import", "stg", instrument("line.stg"), "--electrodes", (folder / "none.csv").string(), "-o", out}, 1,
         "none.csv not found!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const CliRun r = runVexora(c.args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fs::exists(out));
    fs::remove_all(folder);
}

}  // namespace
