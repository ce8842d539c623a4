#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/resource.h>

#include "core/datafile/ScheduleLoader.h"
#include "core/platform/ScriptedQuestions.h"
#include "support/Sanitizers.h"
#include "support/SmallSurvey.h"
#include "support/SurveyGenerator.h"

namespace {

using namespace vexora;
using namespace vexora::testing;

struct Loaded {
    ProjectStore store;
    MessageLog log{[] { return std::string("DATE"); }};
    ScriptedQuestions questions;
    int status = -1;

    explicit Loaded(ProjectType type = ProjectType::DataInversion) { store.type = type; }
    int load(const std::string& text)
    {
        status = static_cast<int>(loadScheduleText(store, text, {"test.data", store.type}, log, questions));
        return status;
    }
    std::string text() const { return log.plainText(); }
};

std::string replaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

TEST(DataFileRead, LoadsEveryTableAndDerivesElectrodeLayout)
{
    Loaded l;
    ASSERT_EQ(l.load(smallSurvey()), 0) << l.text();
    const Survey& s = l.store.survey;
    EXPECT_EQ(s.cableNames, (std::vector<std::string>{"A", "B"}));
    ASSERT_EQ(s.electrodes.size(), 8u);
    EXPECT_EQ(s.electrodes[5], (Electrode{2, 2, 2, 5, 0, 0, 2}));  // surface line: elevation = z, type 2
    ASSERT_EQ(s.quadrupoles.size(), 4u);
    EXPECT_EQ(s.quadrupoles.rows[3], (Quadrupole{4, {{1, 1}, {1, 2}, {2, 1}, {2, 2}}}));
    EXPECT_DOUBLE_EQ(s.quadrupoles.resistance[2], 1.5);
    ASSERT_EQ(s.quadrupoles.ipWindows(), 2u);
    EXPECT_DOUBLE_EQ(s.quadrupoles.ip[1][1], 6);
    EXPECT_DOUBLE_EQ(s.quadrupoles.current[1], 200);
    EXPECT_EQ(s.quadrupoles.skip[2], 1);
    EXPECT_EQ(s.topography.size(), 3u);
    EXPECT_TRUE(s.present.ip);
    EXPECT_FALSE(s.present.resistanceStd);
    EXPECT_TRUE(s.electrodesLoaded && s.dataLoaded);
    EXPECT_NE(l.text().find("8 total electrodes loaded.\r\n"), std::string::npos);
    EXPECT_NE(l.text().find("4 total quadrupoles loaded.\r\n"), std::string::npos);
    EXPECT_NE(l.text().find("Z terrain elevation for electrodes derived."), std::string::npos);
}

TEST(DataFileRead, LineEndsDoNotMatter)
{
    Loaded crlf, lf, mixed, mac;
    const std::string text = smallSurvey();
    ASSERT_EQ(crlf.load(text), 0);
    std::string lfText = replaceAll(text, "\r\n", "\n");
    std::string mixedText = text;
    for (std::size_t at = mixedText.find("\r\n"), i = 0; at != std::string::npos; at = mixedText.find("\r\n", at + 1), ++i)
        if (i % 2) mixedText.erase(at, 1);
    ASSERT_EQ(lf.load(lfText), 0) << lf.text();
    ASSERT_EQ(mixed.load(mixedText), 0) << mixed.text();
    ASSERT_EQ(mac.load(replaceAll(text, "\r\n", "\r")), 0) << mac.text();
    for (const Loaded* other : {&lf, &mixed, &mac}) {
        EXPECT_EQ(other->store.survey.electrodes, crlf.store.survey.electrodes);
        EXPECT_EQ(other->store.survey.quadrupoles, crlf.store.survey.quadrupoles);
        EXPECT_EQ(other->store.survey.topography, crlf.store.survey.topography);
        EXPECT_EQ(other->store.settings, crlf.store.settings);
    }
}

TEST(DataFileRead, CommentsAnywhere)
{
    Loaded plain, commented;
    ASSERT_EQ(plain.load(smallSurvey()), 0);
    std::string text = "! survey of today\r\n" + replaceAll(smallSurvey(), "\r\nA 2 2", " ! first\r\n! whole line\r\nA 2 2");
    text = replaceAll(text, "#data_res_col= 10", "#data_res_col= 10 ! V/I");
    text += "! trailing comment without line end";
    ASSERT_EQ(commented.load(text), 0) << commented.text();
    EXPECT_EQ(commented.store.survey.electrodes, plain.store.survey.electrodes);
    EXPECT_EQ(commented.store.survey.quadrupoles, plain.store.survey.quadrupoles);
}

// Each bad input: its message, result 1, and the previously loaded survey
// untouched.
struct BadInput {
    const char* name;
    std::string text;
    std::vector<std::string> messages;
};

std::string shortRows(int count)
{
    std::string rows = smallDataRows();
    for (int i = 0; i < count; ++i) rows += "9 A 1 A 2\r\n";
    return rows;
}

TEST(DataFileRead, BadInputsFailWithTheirMessageAndKeepTheSurvey)
{
    const std::string header = smallHeader();
    const BadInput cases[] = {
        {"empty", "", {"Error: funInputScheduleFile: test.data is empty.", "test.data not loaded\r\n"}},
        {"no tags", "1 2 3\r\n4 5 6\r\n", {"Error: No configuration tags found."}},
        {"no blocks", header,
         {"Warning: funInputScheduleFile: Warning: no electrodes found in this file.",
          "Error: no data found in this file."}},
        {"no data block", header + smallElectrodes(), {"Error: no data found in this file."}},
        {"truncated in the data block", header + smallElectrodes() + "#data_start\r\n1 A 1 A 2 A 3 A 4 0.5 10 5 1",
         {"Error: #data_end occurs before #data_start or #data_end does not exist."}},
        {"truncated in the electrode block", header + "#elec_start\r\nA 1 0 0 0\r\nA 2 2",
         {"Error: #elec_end occurs before #elec_start or #elec_end does not exist."}},
        {"topography end missing", header + smallElectrodes() + "#data_start\r\n" + smallDataRows() +
                                       "#data_end\r\n#topo_start\r\n0 0 0\r\n",
         {"Error: #topo_end occurs before #topo_start or #topo_end does not exist."}},
        {"unknown electrode", smallSurvey(smallDataRows() + "5 A 1 A 2 A 3 A 9 0.5 10 5 100 0\r\n"),
         {"Error: funCheckSchedData: Invalid N cable/electrode number detected for quadrupole 5.\r\nCable: 1, Electrode: 9",
          "Error: funInputScheduleFile: Error: data not loaded."}},
        {"unknown cable", smallSurvey(smallDataRows() + "5 Z 1 A 2 A 3 A 4 0.5 10 5 100 0\r\n"),
         {"Error: funLoadData: Invalid cable/electrode number detected for quadrupole.\r\n"
          "Approximate offset from #data_start: 5 rows.\r\nString found: 5 Z 1 A 2 A 3 A 4 0.5 10 5 100 0"}},
        {"non-numeric electrode number", replaceAll(smallSurvey(), "A 3 4 0 0", "A x 4 0 0"),
         {"Error: funLoadElectrodes: Invalid cable/electrode number detected.\r\n"
          "Approximate offset from #elec_start: 3 rows.\r\nString found: A x 4 0 0",
          "Error: electrodes not loaded."}},
        {"21 short rows", smallSurvey(shortRows(21)),
         {"Number of columns is less then data-format definition (14 cols).\r\n"
          "Approximate offset from #data_start: 5 rows.\r\nString found: 9 A 1 A 2",
          "Error: funLoadData: Number of columns is less then data-format definition.\r\n"}},
        {"no resistance column", replaceAll(smallSurvey(), "#data_res_col= 10", "#data_res_col= -1"),
         {"V/I or App. Res. data-set needed to perform a Data Inversion Session."}},
    };
    for (const BadInput& c : cases) {
        SCOPED_TRACE(c.name);
        Loaded l;
        ASSERT_EQ(l.load(smallSurvey()), 0);
        const ProjectStore before = l.store;
        l.log.clear();
        EXPECT_EQ(l.load(c.text), 1);
        for (const std::string& m : c.messages) EXPECT_NE(l.text().find(m), std::string::npos) << m << "\n" << l.text();
        EXPECT_NE(l.text().find("test.data not loaded\r\n"), std::string::npos);
        EXPECT_EQ(l.store.settings, before.settings);
        EXPECT_EQ(l.store.survey.electrodes, before.survey.electrodes);
        EXPECT_EQ(l.store.survey.quadrupoles, before.survey.quadrupoles);
        EXPECT_EQ(l.store.survey.topography, before.survey.topography);
        EXPECT_EQ(l.store.survey.present, before.survey.present);
        EXPECT_EQ(l.store.dataFormat, before.dataFormat);
    }
}

TEST(DataFileRead, WarningsLetTheLoadGoOn)
{
    struct Case {
        const char* name;
        std::string text;
        std::string message;
        std::size_t electrodes, quadrupoles;
    };
    std::string manyColumns;
    for (int i = 0; i < 9986; ++i) manyColumns += " 7";
    const Case cases[] = {
        {"20 short rows", smallSurvey(shortRows(20)),
         "Warning: funLoadData: Number of columns is less then data-format definition (14 cols).", 8, 4},
        {"duplicated electrodes", replaceAll(smallSurvey(), "B 4 6 5 0\r\n", "B 4 6 5 0\r\nB 4 7 7 7\r\nB 4 8 8 8\r\n"),
         "Duplicated electrodes detected.\r\nCable 2, Electrode 4\r\nCable 2, Electrode 4\r\n"
         "Only the first occurence will be considered.",
         8, 4},
        {"negative skip flag", smallSurvey(smallDataRows() + "5 A 1 A 2 A 3 A 4 0.5 10 5 100 -1\r\n"),
         "Invalid Skip flag detected.\r\nApproximate offset from #data_start: 5 rows.", 8, 4},
        {"duplicated input column", smallSurvey(smallDataRows(), "#elec_y_col= 3\r\n"),
         "Duplicated input column for #elec_y_col tag. Configuration table settings used.", 8, 4},
        {"non-numeric cells", smallSurvey(replaceAll(replaceAll(smallDataRows(), " 0.25 ", " n/a "), " 150 ", " ? ")),
         "Warning: funLoadData: 2 cells without a number read as 0.\r\nApproximate offset from #data_start: 2 rows.\r\n"
         "String found: 2 B 1 B 2 B 3 B 4 n/a 12 6 200 0",
         8, 4},
        {"zero current", smallSurvey(replaceAll(smallDataRows(), " 200 0", " 0 0")),
         "1 quadrupoles with zero or negative current (I(mA) column). Quadrupoles: 2", 8, 4},
        {"a row of 10,000 columns", smallSurvey(smallDataRows() + "5 A 1 A 2 A 3 A 4 0.5 10 5 100 0" + manyColumns + "\r\n"),
         "5 total quadrupoles loaded.", 8, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Loaded l;
        EXPECT_EQ(l.load(c.text), 0) << l.text();
        EXPECT_NE(l.text().find(c.message), std::string::npos) << l.text();
        EXPECT_EQ(l.store.survey.electrodes.size(), c.electrodes);
        EXPECT_EQ(l.store.survey.quadrupoles.size(), c.quadrupoles);
    }
}

TEST(DataFileRead, ElectrodeTypesFromFileAndDerived)
{
    // A type column with a bad flag drops that electrode only.
    std::string text = replaceAll(smallSurvey(), "#elec_type_col= -1", "#elec_type_col= 6");
    text = replaceAll(text, "#elec_start\r\n", "#elec_start\r\nC 9 0 9 0 5\r\n");
    for (const char* row : {"A 1 0 0 0", "A 2 2 0 0", "A 3 4 0 0", "A 4 6 0 0", "B 1 0 5 0", "B 2 2 5 0", "B 3 4 5 0", "B 4 6 5 0"})
        text = replaceAll(text, std::string(row) + "\r\n", std::string(row) + " -1\r\n");
    Loaded l;
    ASSERT_EQ(l.load(text), 0) << l.text();
    EXPECT_NE(l.text().find("Invalid flag for type of electrode detected: only -/+1 and -/+2 allowed.\r\n"
                            "Approximate offset from #elec_start: 1 rows.\r\nString found: C 9 0 9 0 5"),
              std::string::npos);
    ASSERT_EQ(l.store.survey.electrodes.size(), 8u);
    EXPECT_EQ(l.store.survey.electrodes[0].type, -1);
    EXPECT_EQ(l.store.survey.cableNames, (std::vector<std::string>{"A", "B"}));

    // Derived: a borehole takes the top of its cable as terrain elevation, and
    // a cable of two electrodes gets negative types.
    std::string bore = replaceAll(smallSurvey(), "B 1 0 5 0\r\nB 2 2 5 0\r\nB 3 4 5 0\r\nB 4 6 5 0\r\n",
                                  "B 1 3 3 -1\r\nB 2 3 3 -2\r\nB 3 3 3 -3\r\nB 4 3 3 -4\r\nC 1 9 9 0\r\nC 2 9 8 0\r\n");
    bore = replaceAll(bore, "2 B 1 B 2 B 3 B 4", "2 B 1 B 2 B 3 C 2");
    Loaded b;
    ASSERT_EQ(b.load(bore), 0) << b.text();
    const auto& e = b.store.survey.electrodes;
    EXPECT_EQ(e[5], (Electrode{2, 2, 3, 3, -2, -1, 1}));
    EXPECT_EQ(e[8].type, -2);
    EXPECT_EQ(e[9].type, -2);
}

TEST(DataFileRead, ApparentResistivityBecomesResistance)
{
    // Wenner on cable A at a = 2: K = 2 pi a.
    std::string text = replaceAll(smallSurvey(), "#data_appres= 1", "#data_appres= 2");
    Loaded l;
    ASSERT_EQ(l.load(text), 0) << l.text();
    ASSERT_EQ(l.questions.questions().size(), 1u);
    EXPECT_EQ(l.questions.questions()[0].text, "Do you want to calculate geometric factors using z coordinates?");
    EXPECT_NEAR(l.store.survey.quadrupoles.resistance[2], 1.5 / (2 * 3.1416 * 2.0), 1e-12);

    // A factor that cannot be computed is reported with the quadrupole ids.
    Loaded bad;
    ASSERT_EQ(bad.load(smallSurvey(smallDataRows() + "5 A 1 A 2 A 1 A 3 0.5 10 5 100 0\r\n",
                                   "#data_appres= 2\r\n")), 0);
    EXPECT_NE(bad.text().find("geometric factor cannot be computed (coincident electrodes) for 1 quadrupoles; "
                              "their V/I values are not valid. Quadrupoles: 5"),
              std::string::npos)
        << bad.text();
}

TEST(DataFileRead, SyntheticDataSetQuestion)
{
    const std::string text = replaceAll(smallSurvey(), "#data_std_res_col= -1", "#data_calc_res_col= 15\r\n#data_std_res_col= -1");
    std::string rows = replaceAll(smallDataRows(), " 100 0\r\n", " 100 0 7\r\n");
    rows = replaceAll(replaceAll(rows, " 200 0\r\n", " 200 0 7\r\n"), " 150 1\r\n", " 150 1 7\r\n");
    const std::string full = replaceAll(text, smallDataRows(), rows);
    for (bool yes : {false, true}) {
        Loaded l;
        l.questions.answer(QuestionId::InvertSyntheticResistance, yes);
        l.questions.answer(QuestionId::InvertSyntheticIp, yes);
        ASSERT_EQ(l.load(full), 0) << l.text();
        EXPECT_EQ(l.questions.questions()[0].text,
                  "Calculated V/I or App. Res. detected. Do you want to invert the synthetic data-set?");
        EXPECT_DOUBLE_EQ(l.store.survey.quadrupoles.resistance[0], yes ? 7.0 : 0.5);
        EXPECT_DOUBLE_EQ(l.store.survey.quadrupoles.calcResistance[0], 7.0);
    }
}

TEST(DataFileRead, LaterFileWithoutElectrodesUsesEarlierOnes)
{
    Loaded l;
    ASSERT_EQ(l.load(smallSurvey()), 0);
    const std::string dataOnly = smallHeader() + "#data_start\r\n1 B 1 B 2 A 3 A 4 0.5 10 5 100 0\r\n#data_end\r\n";
    ASSERT_EQ(l.load(dataOnly), 0) << l.text();
    EXPECT_EQ(l.store.survey.electrodes.size(), 8u);
    EXPECT_EQ(l.store.survey.quadrupoles.size(), 1u);

    Loaded fresh;
    EXPECT_EQ(fresh.load(dataOnly), 1);
    EXPECT_NE(fresh.text().find("Error: electrodes must be loaded before data can be loaded."), std::string::npos);
}

// Thousands of declared IP windows over a block of short rows: refused for
// its rows, within an address space a laptop has, instead of reserving room
// for every window times every line.
TEST(DataFileRead, ManyDeclaredWindowsReserveNoMoreThanTheRowsFill)
{
    VEXORA_SKIP_UNDER_ADDRESS_SANITIZER();
    std::string windows;
    for (int w = 0; w < 20000; ++w) windows += " " + std::to_string(11 + w);
    std::string header = smallHeader();
    const std::string tag = "#data_ip_wind_col= 11 12";
    header.replace(header.find(tag), tag.size(), "#data_ip_wind_col=" + windows);
    for (const std::string column : {"#data_i_curr_col= 13", "#data_skip_col= 14"})
        header.replace(header.find(column), column.size(), column.substr(0, column.find('=') + 1) + " -1");
    std::string rows;
    for (int r = 0; r < 40000; ++r) rows += "1 A 1 A 2 A 3 A 4 0.5 10\r\n";
    const std::string text = header + smallElectrodes() + "#data_start\r\n" + rows + "#data_end\r\n";
    // In a child process, under 2 GiB of address space.
    const auto loadUnderLimit = [&text] {
        const rlimit limit{std::size_t(2) << 30, std::size_t(2) << 30};
        setrlimit(RLIMIT_AS, &limit);
        Loaded l;
        const int status = l.load(text);
        const bool refused =
            l.text().find("Number of columns is less then data-format definition.") != std::string::npos;
        std::exit(status == 1 && refused ? 0 : 1);
    };
    EXPECT_EXIT(loadUnderLimit(), ::testing::ExitedWithCode(0), "");
}

TEST(DataFileRead, FileProblems)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "vexora_read_test";
    fs::create_directories(folder);
    struct Case {
        fs::path path;
        std::string message;
    };
    const Case cases[] = {{folder / "missing.data", (folder / "missing.data").string() + " not found!"},
                          {folder, folder.string() + ": is a folder, not a file"}};
    for (const Case& c : cases) {
        ProjectStore store;
        MessageLog log;
        ScriptedQuestions q;
        EXPECT_EQ(funInputScheduleFile(store, {c.path, store.type}, log, q), LoadStatus::NotLoaded);
        EXPECT_NE(log.plainText().find(c.message), std::string::npos) << log.plainText();
        EXPECT_FALSE(store.survey.dataLoaded);
    }
    fs::remove_all(folder);
}

TEST(SequenceText, OnlyWholeFieldsBecomeTheRemoteElectrode)
{
    std::string text = "#ITitle x\r\n#elec_start\r\nA,01 0 0 0\r\n#elec_end\r\n1,000,00,2000,005,3.1000,00\r\n";
    EXPECT_EQ(funPrepareSequenceText(text), Status::Ok);
    EXPECT_EQ(text, "#ITitle x\r\n#elec_start\r\nA,01 0 0 0\r\nRem,01 -99.99 +.00000 +.00000 +.00000 048 \r\n"
                    "#elec_end\r\n1,Rem,01,2000,005,3.1000,00\r\n");
}

}  // namespace
