#include <gtest/gtest.h>

#include <string>

#include "core/import/text/ImportLines.h"
#include "core/import/text/TextInstruments.h"

namespace {

using namespace vexora;

// Files of each format written from its token table; `rows` are the
// measurement lines, placed where the format expects them.
std::string aresFile(const std::string& rows)
{
    std::string text;
    for (int line = 1; line <= 16; ++line) {
        if (line == 11) text += "\"Spacing\" 2.5\r\n";
        else if (line == 14) text += "0 1 2 3 4 5 6 7 8 9 10\r\n";  // inside the header: never data
        else text += "header line " + std::to_string(line) + "\r\n";
    }
    return text + rows;
}

std::string maeFile(const std::string& rows)
{
    return "MAE export\r\nintervallo: 9\r\n\"Nr\" \"A\" \"B\" \"M\" \"N\"\r\nintervallo: 2\r\n" + rows;
}

std::string pasiFile(const std::string& rows) { return "PASI\r\na[m]=1\r\na[m]=3\r\n" + rows; }

std::string siberFile(const std::string& rows) { return "id,xA,xB,xM,xN,t,m,V,I,q\r\n" + rows; }

ImportSet parse(TextInstrument format, const std::string& text, MessageLog& log,
                ImportStatus expectStatus = ImportStatus::Ok)
{
    ImportText lines;
    lines.bytes = text;
    ImportSet set;
    ImportStatus status = splitImportLines("s.txt", "test", lines, log);
    if (status == ImportStatus::Ok) status = parseTextInstrument(format, lines.lines, "s.txt", set, log);
    EXPECT_EQ(status, expectStatus) << log.plainText();
    return set;
}

TEST(TextInstruments, AresCountsFromZeroAfterLineSixteen)
{
    MessageLog log;
    const ImportSet set = parse(TextInstrument::Ares, aresFile("0 3 1 2 9 50 100 0 0 0.5 3.25\r\n"
                                                               "1 4 2 3 9 40 -20 0 0 0.25\r\n"),
                                log);
    ASSERT_EQ(set.quadrupoles.size(), 2u);
    EXPECT_EQ(set.quadrupoles[0], (ImportQuadrupole{1, 4, 2, 3}));
    EXPECT_EQ(set.values[0], (ImportValue{100, 50, 0.5f, 3.25f}));
    EXPECT_EQ(set.values[1], (ImportValue{-20, 40, 0.25f, 0}));  // no token 11: m = 0
    ASSERT_EQ(set.electrodes.size(), 5u);
    EXPECT_EQ(set.electrodes[4], (ImportElectrode{5, 10.0, 0, 0}));
}

TEST(TextInstruments, MaeLastSpacingWinsAndLargeNumbersAreNoMeasurement)
{
    MessageLog log;
    const ImportSet set = parse(TextInstrument::Mae, maeFile("1 1 4 2 3 50 100 0 0 0.5 3.25\r\n"
                                                             "99 1 2 3 4 50 100 0 0 0.5\r\n"
                                                             "2 2 5 3 4 25 10 0 0 1\r\n"),
                                log);
    ASSERT_EQ(set.quadrupoles.size(), 2u);
    EXPECT_EQ(set.quadrupoles[1], (ImportQuadrupole{2, 5, 3, 4}));
    EXPECT_EQ(set.values[0], (ImportValue{100, 50, 0.5f, 3.25f}));
    ASSERT_EQ(set.electrodes.size(), 5u);
    EXPECT_EQ(set.electrodes[1].x, 2.0);
}

TEST(TextInstruments, PasiScalesVoltsAndAmperes)
{
    MessageLog log;
    const ImportSet set = parse(TextInstrument::Pasi, pasiFile("1 4 2 3 x 0.125 0.05\r\n0 1 2 3 4 5 6\r\n"), log);
    ASSERT_EQ(set.quadrupoles.size(), 1u);
    EXPECT_EQ(set.values[0], (ImportValue{125, 50, 0, 0}));
    ASSERT_EQ(set.electrodes.size(), 4u);
    EXPECT_EQ(set.electrodes[3].x, 9.0);
}

TEST(TextInstruments, SiberPositionsFromTheFile)
{
    MessageLog log;
    const ImportSet set = parse(TextInstrument::Siber, siberFile("1,0,10,5,5.0000004,0,2.5,100,50,0.5\r\n"
                                                                 "2,10,0,5,0,0,1,80,40,0.25\r\n"),
                                log);
    ASSERT_EQ(set.electrodes.size(), 3u);
    EXPECT_EQ(set.electrodes[0].x, 0.0);
    EXPECT_EQ(set.electrodes[1].x, 5.0);
    EXPECT_EQ(set.electrodes[2].x, 10.0);
    EXPECT_EQ(set.quadrupoles[0], (ImportQuadrupole{1, 3, 2, 0}));
    EXPECT_EQ(set.quadrupoles[1], (ImportQuadrupole{3, 1, 2, 1}));
    EXPECT_EQ(set.values[0], (ImportValue{100, 50, 0.5f, 2.5f}));
}

// Positions far beyond any survey still give their electrodes (a case the
// fuzz run found: the position buckets overflowed a 64-bit integer).
TEST(TextInstruments, SiberPositionsBeyondEveryBucket)
{
    MessageLog log;
    const ImportSet set = parse(TextInstrument::Siber, siberFile("1,-1.4e21,1.4e21,1.4e15,0,0,2.5,100,50,0.5\r\n"),
                                log);
    ASSERT_EQ(set.electrodes.size(), 4u) << log.plainText();
    EXPECT_EQ(set.electrodes.front().x, -1.4e21);
    EXPECT_EQ(set.electrodes.back().x, 1.4e21);
}

struct BadLine {
    TextInstrument format;
    const char* what;
    std::string file;
    const char* message;
    std::size_t kept;
};

TEST(TextInstruments, BadLinesAreLeftOutWithTheirLineNumber)
{
    const std::string aresGood = "0 3 1 2 9 50 100 0 0 0.5\r\n";
    const std::string maeGood = "1 1 4 2 3 50 100 0 0 0.5\r\n";
    const std::string pasiGood = "1 4 2 3 x 0.1 0.05\r\n";
    const std::string siberGood = "1,0,3,1,2,0,1,100,50,0.5\r\n";
    const std::vector<BadLine> cases = {
        {TextInstrument::Ares, "missing tokens", aresFile(aresGood + "0 3 1 2 9 50\r\n"),
         "s.txt: line 18: 6 tokens, 10 needed; line left out.", 1},
        {TextInstrument::Ares, "non-numeric", aresFile(aresGood + "0 3 x1 2 9 50 100 0 0 0.5\r\n"),
         "line 18: token 3 \"x1\" is not a number", 1},
        {TextInstrument::Ares, "negative electrode", aresFile("0 -3 1 2 9 50 100 0 0 0.5\r\n" + aresGood),
         "line 17: electrode number -3 for B, expected 0 to 99999", 1},
        {TextInstrument::Mae, "missing tokens", maeFile(maeGood + "2 1 4 2\r\n"), "line 6: 4 tokens, 10 needed", 1},
        {TextInstrument::Mae, "non-numeric value", maeFile(maeGood + "2 1 4 2 3 50 abc 0 0 0.5\r\n"),
         "line 6: token 7 \"abc\" is not a number", 1},
        {TextInstrument::Mae, "electrode 0", maeFile(maeGood + "2 0 4 2 3 50 100 0 0 0.5\r\n"),
         "line 6: electrode number 0 for A, expected 1 to 100000", 1},
        {TextInstrument::Mae, "huge electrode", maeFile(maeGood + "2 1 4 2 3000000 50 100 0 0 0.5\r\n"),
         "line 6: electrode number 3000000 for N", 1},
        {TextInstrument::Mae, "negative electrode", maeFile(maeGood + "2 1 4 -2 3 50 100 0 0 0.5\r\n"),
         "line 6: electrode number -2 for M", 1},
        {TextInstrument::Mae, "electrode beyond every integer", maeFile(maeGood + "2 1 4 2 4e26 50 100 0 0 0.5\r\n"),
         "line 6: electrode number 4e+26 for N", 1},
        {TextInstrument::Pasi, "non-numeric current", pasiFile(pasiGood + "1 4 2 3 x 0.1 I?\r\n"),
         "line 5: token 7 \"I?\" is not a number", 1},
        {TextInstrument::Ares, "electrode -1 (0 once counted from 1)", aresFile(aresGood + "0 3 -1 2 9 50 100 0 0 0.5\r\n"),
         "line 18: electrode number -1 for M", 1},
        {TextInstrument::Pasi, "missing tokens", pasiFile(pasiGood + "1 4 2 3 x 0.1\r\n"), "line 5: 6 tokens, 7 needed", 1},
        {TextInstrument::Pasi, "negative electrode", pasiFile("-1 4 2 3 x 0.1 0.05\r\n" + pasiGood),
         "line 4: electrode number -1 for A", 1},
        {TextInstrument::Pasi, "electrode 0", pasiFile(pasiGood + "1 0 2 3 x 0.1 0.05\r\n"),
         "line 5: electrode number 0 for B", 1},
        {TextInstrument::Pasi, "value beyond single precision", pasiFile(pasiGood + "1 4 2 3 x 1e300 0.05\r\n"),
         "line 5: token 6 \"1e300\" is out of range", 1},
        {TextInstrument::Siber, "missing tokens", siberFile(siberGood + "2,0,3,1,2,0,1,100\r\n"),
         "line 3: 8 tokens, 10 needed", 1},
        {TextInstrument::Siber, "non-numeric position", siberFile("1,0,east,1,2,0,1,100,50,0.5\r\n" + siberGood),
         "line 2: token 3 \"east\" is not a number", 1},
        {TextInstrument::Ares, "no data at all", aresFile(""), "s.txt: no measurement line found.", 0},
    };
    for (const BadLine& c : cases) {
        SCOPED_TRACE(c.what);
        MessageLog log;
        const ImportSet set = parse(c.format, c.file, log, c.kept == 0 ? ImportStatus::Failed : ImportStatus::Ok);
        EXPECT_EQ(set.quadrupoles.size(), c.kept);
        EXPECT_EQ(set.values.size(), c.kept);
        EXPECT_NE(log.plainText().find(c.message), std::string::npos) << log.plainText();
    }
}

TEST(TextInstruments, LongLinesAreRefused)
{
    for (TextInstrument format : {TextInstrument::Ares, TextInstrument::Mae, TextInstrument::Pasi, TextInstrument::Siber}) {
        MessageLog log;
        std::string longLine(100000, '1');
        for (std::size_t k = 1; k < longLine.size(); k += 2) longLine[k] = ' ';
        const ImportSet set = parse(format, "first line\r\n" + longLine + "\r\n", log, ImportStatus::Failed);
        EXPECT_TRUE(set.quadrupoles.empty());
        EXPECT_NE(log.plainText().find("s.txt: line 2: 100000 characters, at most 65536 expected."), std::string::npos)
            << log.plainText();
    }
}

TEST(TextInstruments, ManyBadLinesAreSummed)
{
    std::string rows = "1 1 4 2 3 50 100 0 0 0.5\r\n";
    for (int k = 0; k < 25; ++k) rows += "2 1 4\r\n";
    MessageLog log;
    const ImportSet set = parse(TextInstrument::Mae, maeFile(rows), log);
    EXPECT_EQ(set.quadrupoles.size(), 1u);
    EXPECT_EQ(log.warningCount(), 21u);
    EXPECT_NE(log.plainText().find("s.txt: 25 lines left out in all."), std::string::npos);
}

TEST(TextInstruments, MissingFile)
{
    MessageLog log;
    ImportSet set;
    EXPECT_EQ(funPASIImport("/nonexistent/p.txt", set, log), ImportStatus::Failed);
    EXPECT_NE(log.plainText().find("funPASIImport: /nonexistent/p.txt not found!"), std::string::npos)
        << log.plainText();
}

}  // namespace
