#include <gtest/gtest.h>

#include "core/datafile/FormatChecks.h"
#include "core/datafile/SurveyChecks.h"
#include "core/platform/ScriptedQuestions.h"

namespace {

using namespace vexora;

MessageLog quietLog() { return MessageLog([] { return std::string("DATE"); }); }

TEST(FormatChecks, InputLayoutsFromTheSettingsTable)
{
    SettingsTable table = defaultSettingsTable();
    MessageLog log = quietLog();
    ElectrodeFormat ef;
    DataFormat df;
    TopographyFormat tf;
    ASSERT_EQ(funCheckFormatCfgForInput(table, ef, df, tf, log), Status::Ok);
    EXPECT_EQ(ef.columnCount, 5);
    EXPECT_EQ(df.aCableColumn, 2);
    EXPECT_EQ(df.aElectrodeColumn, 3);
    EXPECT_EQ(df.columnCount, 10);
    EXPECT_EQ(df.ipWindowColumns, std::vector<Column>{kNotUsed});
    EXPECT_EQ(df.dataKind, 1);
    EXPECT_EQ(tf.columnCount, 3);

    // Cables switched off: the cable numbers of the pole items are ignored.
    setSettingText(table, Item::CableSpecified, "-1");
    setSettingText(table, Item::IpColumns, " 11 12 13");
    setSettingText(table, Item::IpStdColumns, " 300");
    ASSERT_EQ(funCheckFormatCfgForInput(table, ef, df, tf, log), Status::Ok);
    EXPECT_EQ(ef.cableColumn, kNotUsed);
    EXPECT_EQ(df.aCableColumn, kNotUsed);
    EXPECT_EQ(df.aElectrodeColumn, 3);
    EXPECT_EQ(df.ipWindowColumns, (std::vector<Column>{11, 12, 13}));
    EXPECT_EQ(df.columnCount, 300);  // no fixed limit on column numbers
}

TEST(FormatChecks, RefusedLayouts)
{
    struct Case {
        Item item;
        const char* value;
        const char* message;
    };
    const Case cases[] = {
        {Item::YColumn, " 3 ", "Error: funCheckFormatCfgForInput: Duplicated Input for column 3"},
        {Item::CableColumn, " -1 ", "Not specified Input column for cables in Electrodes format."},
        {Item::BColumns, " -1, 5 ", "Not specified Input column for B cable in Data format."},
        {Item::IpColumns, " 11 10 ", "Duplicated Input for column 10"},
        {Item::ResistanceColumn, " 0 ", "Invalid Input column 0 for resistances in Data format"},
        {Item::TopographyZColumn, " 1 ", "Duplicated Input for column 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        SettingsTable table = defaultSettingsTable();
        setSettingText(table, c.item, c.value);
        MessageLog log = quietLog();
        ElectrodeFormat ef;
        DataFormat df;
        TopographyFormat tf;
        EXPECT_EQ(funCheckFormatCfgForInput(table, ef, df, tf, log), Status::Error);
        EXPECT_NE(log.plainText().find(c.message), std::string::npos) << log.plainText();
    }
}

Survey surveyWith(std::vector<Electrode> electrodes)
{
    Survey s;
    s.cableNames = {"L1", "L2"};
    s.electrodes = std::move(electrodes);
    return s;
}

TEST(SurveyChecks, DuplicatedElectrodesKeepTheFirstAndStayAligned)
{
    Survey s = surveyWith({{1, 1, 0, 0, 0, 0, 2}, {1, 2, 1, 0, 0, 0, -1}, {1, 1, 9, 9, 9, 0, 1},
                           {2, 1000000, 5, 0, 0, 0, 2}, {1, 1, 8, 8, 8, 0, 1}, {2, -7, 3, 0, 0, 0, -2}});
    MessageLog log = quietLog();
    ASSERT_EQ(funCreateElecTable(s, log), Status::Ok);
    ASSERT_EQ(s.electrodes.size(), 4u);
    EXPECT_EQ(s.electrodes[1], (Electrode{1, 2, 1, 0, 0, 0, -1}));
    EXPECT_EQ(s.electrodes[2], (Electrode{2, 1000000, 5, 0, 0, 0, 2}));
    EXPECT_EQ(s.electrodes[3].type, -2);
    EXPECT_EQ(s.lookup.find(2, -7), 3);  // negative and huge numbers rank by sorting
    EXPECT_EQ(s.lookup.find(1, 1), 0);
    EXPECT_EQ(s.lookup.electrodeRank(1000000), 4);
    EXPECT_EQ(s.lookup.electrodesOnCable, (std::vector<std::int32_t>{2, 2}));
    EXPECT_NE(log.plainText().find("Duplicated electrodes detected.\r\nCable 1, Electrode 1\r\nCable 1, Electrode 1\r\n"
                                   "Only the first occurence will be considered."),
              std::string::npos);
}

TEST(SurveyChecks, QuadrupoleElectrodesMustExist)
{
    Survey s = surveyWith({{1, 1}, {1, 2}, {1, 3}, {1, 4}});
    MessageLog log = quietLog();
    ASSERT_EQ(funCreateElecTable(s, log), Status::Ok);
    s.quadrupoles.rows = {{1, {{1, 1}, {1, 2}, {1, 3}, {1, 4}}}, {2, {{1, 1}, {1, 2}, {2, 3}, {1, 4}}}};
    EXPECT_EQ(funCheckSchedData(s, false, log), Status::Error);
    EXPECT_NE(log.plainText().find("Invalid M cable/electrode number detected for quadrupole 2.\r\nCable: 2, Electrode: 3"),
              std::string::npos);
    // Instrument sequences: a pole on the virtual remote cable passes.
    s.quadrupoles.rows[1].pole[M] = {3, 3};
    EXPECT_EQ(funCheckSchedData(s, true, log), Status::Ok);
}

TEST(SurveyChecks, RenumberWithinTolerance)
{
    // Three electrodes within 0.1 m of each other end up on the first.
    Survey s = surveyWith({{1, 1, 0, 0, 0}, {1, 2, 5, 0, 0}, {2, 1, 0.05, 0, 0}, {2, 2, 0.1, 0.04, 0}, {2, 3, 5, 0, 0.3}});
    MessageLog log = quietLog();
    ASSERT_EQ(funCreateElecTable(s, log), Status::Ok);
    s.quadrupoles.rows = {{1, {{2, 1}, {2, 2}, {1, 2}, {2, 3}}}};
    ScriptedQuestions q;
    q.answer(QuestionId::ReplaceDuplicateElectrodes, true);
    ASSERT_EQ(funRenumberElectAndQuad(s, "AUTO", 0.1, q, log), Status::Ok);
    ASSERT_EQ(q.questions().size(), 1u);
    EXPECT_EQ(q.questions()[0].title, "Vexora64 - Remove duplicated electrodes");
    EXPECT_NE(q.questions()[0].text.find("1] Elect. L2, 1   (0.05, 0, 0)    dupl. of   L1, 1   (0, 0, 0)\r\n"
                                         "2] Elect. L2, 2   (0.1, 0.04, 0)    dupl. of   L1, 1   (0, 0, 0)\r\n"),
              std::string::npos)
        << q.questions()[0].text;
    EXPECT_EQ(s.electrodes.size(), 3u);
    EXPECT_EQ(s.quadrupoles.rows[0], (Quadrupole{1, {{1, 1}, {1, 1}, {1, 2}, {2, 3}}}));

    // Declined: nothing changes. No duplicates: an information message.
    Survey t = surveyWith({{1, 1, 0, 0, 0}, {1, 2, 0.01, 0, 0}});
    ASSERT_EQ(funCreateElecTable(t, log), Status::Ok);
    ScriptedQuestions no;
    // The table and the messages show what each run did.
    (void)funRenumberElectAndQuad(t, "AUTO", 0.1, no, log);
    EXPECT_EQ(t.electrodes.size(), 2u);
    (void)funRenumberElectAndQuad(t, "AUTO", 0.001, no, log);
    ASSERT_EQ(no.messages().size(), 1u);
    EXPECT_EQ(no.messages()[0].text, "No duplicated electrodes found.");
}

}  // namespace
