// Imports given what would make a data file that does not load: each is
// refused with its reason, no output appears and the inputs stay as they were.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/ImportTestSupport.h"
#include "core/io/TextFile.h"
#include "support/CliRun.h"

namespace {

namespace fs = std::filesystem;
using namespace vexora::testing;

std::string bytesOf(const fs::path& path)
{
    std::string text;
    EXPECT_TRUE(vexora::readTextFile(path, text));
    return text;
}

TEST(HostileInputImport, RefusedWithTheReasonAndNothingWritten)
{
    const fs::path folder = scratchFolder("hostile");
    // Six electrodes at x = 0..5, three dipole-dipoles.
    const std::string bin = writeScratch(folder, "d.bin", binFile({dipole(0), dipole(1), dipole(2)})).string();
    const std::string electrodes = "#\n1 0 0 0\n2 1 0 0\n3 2 0 0\n4 3 0 0\n5 4 0 0\n6 5 0 0\n#\n";
    const std::string quadrupoles = "1 0 2 3 5\n2 2 3 5 6\n3 3 5 6 2\n";
    auto scratch = [&](const std::string& name, const std::string& text) {
        return writeScratch(folder, name, text).string();
    };
    const std::string unreadable = writeScratch(folder, "bang.data", "").string();
    ASSERT_EQ(runVexora({"import", "bin", bin, "-o", (folder / "good.data").string()}).code, 0);
    std::string bang = bytesOf(folder / "good.data");
    for (std::size_t at = bang.find("Line1"); at != std::string::npos; at = bang.find("Line1", at))
        bang.replace(at, 5, "L1!north");
    vexora::writeFileAtomically(unreadable, bang);

    const std::string out = (folder / "o.data").string();
    const struct {
        std::vector<std::string> args;
        int code;
        std::string message;
    } cases[] = {
        {{"import", "bin", bin, "--sequence",
          scratch("missing.txt", electrodes + "1 1 2 3 4\n2 2 3 4 5\n3 3 4 5 9\n"), "-o", out},
         1, "missing.txt: line 11: the quadrupole names electrode 9, which the electrode list does not hold."},
        {{"import", "bin", bin, "--sequence",
          scratch("zero.txt", "#\n0 0 0 0\n2 1 0 0\n3 2 0 0\n4 3 0 0\n5 4 0 0\n6 5 0 0\n#\n" + quadrupoles),
          "-o", out},
         1, "zero.txt: line 2: electrode number 0; electrode numbers start at 1."},
        {{"import", "bin", bin, "--sequence",
          scratch("twice.txt", "#\n1 0 0 0\n2 1 0 0\n3 2 0 0\n3 3 0 0\n5 4 0 0\n6 5 0 0\n#\n" + quadrupoles),
          "-o", out},
         1, "twice.txt: line 5: electrode 3 is listed again (first on line 4)."},
        {{"import", "bin", bin, "--conversion",
          scratch("conv.txt", "id xb yb zb x y z\n1 0 0 0 0 0 0\n2 1 0 0 1 0 0\n2 2 0 0 2 0 0\n"), "-o", out},
         1, "conv.txt: line 4: electrode 2 is listed again (first on line 3)."},
        {{"import", "bin", bin, "--cable", "Line 1", "-o", out}, 2,
         "Invalid cable name \"Line 1\": use letters, digits, \"_\", \"-\" and \".\" only."},
        {{"import", "bin", bin, "--cable", "L,1", "-o", out}, 2, "Invalid cable name \"L,1\""},
        {{"import", "bin", bin, "--cable", "#elec_end", "-o", out}, 2, "Invalid cable name \"#elec_end\""},
        {{"import", "bin", bin, "--cable", "L1!north", "-o", out}, 2, "Invalid cable name \"L1!north\""},
        {{"import", "bin", bin, "--cable", "Rem_1", "-o", out}, 2,
         "Invalid cable name \"Rem_1\": it is the cable of the remote electrodes."},
        {{"import", "bin", scratch("d.bim", "x"), "-o", out}, 1,
         "Invalid file format! A file ending in .bin is expected."},
        {{"save", unreadable, out}, 1, "Error: no row of the electrodes block could be read; electrodes not loaded."},
        {{"check", unreadable}, 1, "bang.data not loaded"},
    };
    const std::string binBytes = bytesOf(bin);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const CliRun r = runVexora(c.args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(out));
    }
    EXPECT_EQ(bytesOf(bin), binBytes);
    EXPECT_EQ(bytesOf(unreadable), bang);

    // A remote pole (0) and a name of the allowed characters read back whole.
    const CliRun imported = runVexora({"import", "bin", bin, "--cable", "L-1.b_2", "--sequence",
                                       scratch("remote.txt", electrodes + "1 0 2 3 4\n2 2 3 4 5\n3 3 4 5 6\n"), "-o",
                                       out});
    ASSERT_EQ(imported.code, 0) << imported.err;
    EXPECT_EQ(runVexora({"check", out}).out,
              "electrodes 7\nquadrupoles 3\ntopography 0\nquadrupoles with |K| above 5000 m: 0\n");
    fs::remove_all(folder);
}

}  // namespace

namespace {

TEST(HostileInputCheck, APictureGivesOneMessageAndAFailure)
{
    const fs::path folder = scratchFolder("picture");
    const fs::path picture = writeScratch(folder, "site.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    const CliRun run = runVexora({"check", picture.string()});
    EXPECT_NE(run.code, 0);
    EXPECT_NE(run.err.find("Error: funInputScheduleFile: " + picture.string() +
                           " is a PNG image, not a text data file."),
              std::string::npos)
        << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 4) << run.err;
    fs::remove_all(folder);
}

}  // namespace
