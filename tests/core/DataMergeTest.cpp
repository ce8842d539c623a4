#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "core/datafile/ScheduleLoader.h"
#include "core/datafile/ScheduleWriter.h"
#include "core/io/TextFile.h"
#include "core/merge/DataMerge.h"
#include "core/merge/MergeSummary.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/qc/ReciprocalCheck.h"
#include "core/qc/ReversedReciprocals.h"
#include "core/survey/CableReversal.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;

MessageLog quietLog() { return MessageLog([] { return std::string("DATE"); }); }

struct Line {
    std::string cable = "1";
    int electrodes = 8;
    double x0 = 0, spacing = 1;
    std::vector<std::array<int, 4>> quadrupoles = {{1, 2, 4, 5}, {2, 3, 5, 6}, {4, 5, 1, 2}};
    int ipWindows = 0;
    std::string extraTags = {};
};

// One cable of electrodes along x; V/I of quadrupole k is k + 1, its IP
// windows 10 * (k + 1) + w.
std::string lineFile(const Line& l)
{
    std::string ipColumns;
    for (int w = 0; w < l.ipWindows; ++w) ipColumns += " " + std::to_string(11 + w);
    std::string text =
        "#elec_no_cable= 1\r\n#elec_cable_col= 1\r\n#elec_id_col= 2\r\n#elec_x_col= 3\r\n#elec_y_col= 4\r\n"
        "#elec_z_col= 5\r\n#data_id_col= 1\r\n#data_a_cable_col= 2\r\n#data_a_elec_col= 3\r\n"
        "#data_b_cable_col= 4\r\n#data_b_elec_col= 5\r\n#data_m_cable_col= 6\r\n#data_m_elec_col= 7\r\n"
        "#data_n_cable_col= 8\r\n#data_n_elec_col= 9\r\n#data_res_col= 10\r\n#data_ip_wind_col= " +
        (ipColumns.empty() ? std::string(" -1") : ipColumns) + "\r\n#data_appres= 1\r\n#data_ip_scale= 1000\r\n" + l.extraTags +
        "#elec_start\r\n";
    for (int e = 1; e <= l.electrodes; ++e)
        text += l.cable + " " + std::to_string(e) + " " + std::to_string(l.x0 + l.spacing * (e - 1)) + " 0 0\r\n";
    text += "#elec_end\r\n#data_start\r\n";
    for (std::size_t k = 0; k < l.quadrupoles.size(); ++k) {
        text += std::to_string(k + 1);
        for (int pole : l.quadrupoles[k])
            text += pole == 0 ? std::string(" 0 0") : " " + l.cable + " " + std::to_string(pole);
        text += " " + std::to_string(k + 1);
        for (int w = 0; w < l.ipWindows; ++w) text += " " + std::to_string(10 * (k + 1) + w);
        text += "\r\n";
    }
    return text + "#data_end\r\n";
}

struct Scratch {
    fs::path folder = fs::temp_directory_path() / ("vexora_merge_" + std::to_string(::getpid()));
    Scratch() { fs::create_directories(folder); }
    ~Scratch() { fs::remove_all(folder); }
    fs::path write(const std::string& name, const std::string& text) const
    {
        const fs::path path = folder / name;
        EXPECT_TRUE(writeFileAtomically(path, text));
        return path;
    }
};

std::vector<MergeBlock> loadBlocks(const Scratch& scratch, const std::vector<Line>& lines, MessageLog& log)
{
    ScriptedQuestions questions = unattendedLoadQuestions();
    std::vector<MergeBlock> blocks(lines.size());
    for (std::size_t b = 0; b < lines.size(); ++b) {
        const fs::path file = scratch.write("f" + std::to_string(b + 1) + ".data", lineFile(lines[b]));
        EXPECT_EQ(loadMergeBlock(file, static_cast<int>(b + 1), blocks[b], log, questions), Status::Ok)
            << log.plainText();
    }
    return blocks;
}

const Electrode& electrode(const Survey& s, const std::string& cable, std::int32_t number)
{
    for (const Electrode& e : s.electrodes)
        if (s.cableNames[static_cast<std::size_t>(e.cable - 1)] == cable && e.number == number) return e;
    throw std::runtime_error("no electrode " + cable + " " + std::to_string(number));
}

TEST(DataMerge, CablesValuesAndTheLog)
{
    Scratch scratch;
    MessageLog log = quietLog();
    const std::vector<MergeBlock> blocks = loadBlocks(scratch, {{.ipWindows = 3}, {.ipWindows = 5}}, log);
    ProjectStore store;
    ASSERT_EQ(mergeBlocks(blocks, {}, store, log), Status::Ok) << log.plainText();
    const Survey& s = store.survey;
    EXPECT_EQ(s.cableNames, (std::vector<std::string>{"1_1", "2_1"}));
    EXPECT_EQ(s.electrodes.size(), 16u);
    ASSERT_EQ(s.quadrupoles.size(), 6u);
    EXPECT_EQ(s.quadrupoles.ipWindows(), 3u);  // the fewest windows of the files
    EXPECT_EQ(s.quadrupoles.rows[4].id, 5);
    EXPECT_EQ(s.quadrupoles.rows[4].pole[A], (ElectrodeRef{2, 2}));
    EXPECT_DOUBLE_EQ(s.quadrupoles.resistance[4], 2.0);
    EXPECT_DOUBLE_EQ(s.quadrupoles.ip[2][4], 22.0);
    const std::string text = log.plainText();
    EXPECT_NE(text.find("Files merged: \r\n" + blocks[0].file.string() + "\r\n" + blocks[1].file.string()),
              std::string::npos) << text;
    EXPECT_NE(text.find("16 total electrodes loaded."), std::string::npos);
    EXPECT_NE(text.find("6 total quadrupoles loaded."), std::string::npos);

    // A file without IP drops IP from the merge.
    const std::vector<MergeBlock> withoutIp = loadBlocks(scratch, {{.ipWindows = 3}, {.ipWindows = 0}}, log);
    ASSERT_EQ(mergeBlocks(withoutIp, {}, store, log), Status::Ok);
    EXPECT_EQ(store.survey.quadrupoles.ipWindows(), 0u);
    EXPECT_FALSE(store.survey.present.ip);
}

TEST(DataMerge, TheMergedFileReadsBackToTheSameTables)
{
    Scratch scratch;
    MessageLog log = quietLog();
    ProjectStore merged;
    ASSERT_EQ(mergeBlocks(loadBlocks(scratch, {{.ipWindows = 2}, {.cable = "B", .x0 = 0.5, .ipWindows = 2}}, log),
                          {}, merged, log),
              Status::Ok);
    const fs::path out = scratch.folder / "merged.data";
    ASSERT_EQ(saveDataFile(merged, out, false, log), Status::Ok) << log.plainText();
    ProjectStore reloaded;
    ScriptedQuestions questions = unattendedLoadQuestions();
    ASSERT_EQ(funInputScheduleFile(reloaded, {out, ProjectType::DataInversion, false, false}, log, questions),
              LoadStatus::Loaded) << log.plainText();
    EXPECT_EQ(reloaded.survey.cableNames, merged.survey.cableNames);
    EXPECT_EQ(reloaded.survey.electrodes, merged.survey.electrodes);
    EXPECT_EQ(reloaded.survey.quadrupoles.rows, merged.survey.quadrupoles.rows);
    EXPECT_EQ(reloaded.survey.quadrupoles.resistance, merged.survey.quadrupoles.resistance);
    ASSERT_EQ(merged.survey.quadrupoles.ipWindows(), 2u);
    EXPECT_EQ(reloaded.survey.quadrupoles.ip, merged.survey.quadrupoles.ip);
}

TEST(DataMerge, ShiftRotateAndNumberOffset)
{
    Scratch scratch;
    MessageLog log = quietLog();
    std::vector<MergeBlock> blocks = loadBlocks(scratch, {{}, {}}, log);
    ASSERT_EQ(modifyMergeBlock(blocks[1], {.shiftX = 10, .shiftY = 1, .shiftZ = -2, .angle = 90, .numberOffset = 99.6},
                               log),
              Status::Ok);
    ProjectStore store;
    ASSERT_EQ(mergeBlocks(blocks, {}, store, log), Status::Ok);
    // Electrode 5 at x = 4 turned a quarter round the origin to (0, 4), then shifted; numbered 105.
    const Electrode& moved = electrode(store.survey, "2_1", 105);
    EXPECT_NEAR(moved.x, 10.0, 1e-6);
    EXPECT_NEAR(moved.y, 5.0, 1e-6);
    EXPECT_NEAR(moved.z, -2.0, 1e-12);
    EXPECT_EQ(store.survey.quadrupoles.rows[3].pole[A], (ElectrodeRef{2, 101}));
    EXPECT_EQ(store.survey.quadrupoles.rows[3].pole[N], (ElectrodeRef{2, 105}));
    EXPECT_EQ(electrode(store.survey, "1_1", 5).x, 4.0);  // the other block stays

    MergeBlock before = blocks[0];
    EXPECT_EQ(modifyMergeBlock(blocks[0], {.numberOffset = 3e9}, log), Status::Error);
    EXPECT_EQ(blocks[0].survey.electrodes, before.survey.electrodes);
}

TEST(DataMerge, DuplicateFusionWithTheTolerance)
{
    struct Case {
        double secondX0;
        double tolerance;
        std::size_t electrodes;
        std::vector<std::string> cables;
    };
    const Case cases[] = {
        {0.0, kDefaultMergeTolerance, 8, {"1_1"}},   // the same positions: one cable left
        {0.004, 0.01, 8, {"1_1"}},                   // within the tolerance
        {0.004, 0.001, 16, {"1_1", "2_1"}},          // beyond it
        {4.0, kDefaultMergeTolerance, 12, {"1_1", "2_1"}},  // half overlapping
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.secondX0);
        Scratch scratch;
        MessageLog log = quietLog();
        ProjectStore store;
        ASSERT_EQ(mergeBlocks(loadBlocks(scratch, {{}, {.x0 = c.secondX0}}, log),
                              {.tolerance = c.tolerance, .removeDuplicates = true}, store, log),
                  Status::Ok) << log.plainText();
        EXPECT_EQ(store.survey.electrodes.size(), c.electrodes);
        EXPECT_EQ(store.survey.cableNames, c.cables);
        EXPECT_EQ(store.survey.quadrupoles.size(), 6u);  // quadrupoles are never dropped
        for (const Quadrupole& q : store.survey.quadrupoles.rows)
            for (const ElectrodeRef& ref : q.pole) EXPECT_GE(store.survey.lookup.find(ref.cable, ref.number), 0);
    }
}

TEST(DataMerge, AbsentPolesOfAnInstrumentSequenceGetTheRemoteCable)
{
    Scratch scratch;
    MessageLog log = quietLog();
    // Pole-pole: B and N are absent.
    const std::vector<MergeBlock> blocks =
        loadBlocks(scratch, {{.quadrupoles = {{1, 0, 3, 0}, {2, 0, 5, 0}}, .extraTags = "#st\r\n"}, {}}, log);
    EXPECT_TRUE(blocks[0].remoteTx);
    EXPECT_TRUE(blocks[0].remoteRx);
    ASSERT_EQ(blocks[0].survey.cableNames, (std::vector<std::string>{"1_1", "1_Rem"}));
    const Electrode& b = electrode(blocks[0].survey, "1_Rem", 2);
    const Electrode& n = electrode(blocks[0].survey, "1_Rem", 4);
    EXPECT_EQ((std::array{b.x, b.y, n.x, n.y}), (std::array{99.0, 99.0, 99.0, 99.0}));
    EXPECT_EQ(b.type, -2);
    EXPECT_THROW(electrode(blocks[0].survey, "1_Rem", 1), std::runtime_error);
    ProjectStore store;
    ASSERT_EQ(mergeBlocks(blocks, {}, store, log), Status::Ok) << log.plainText();
    EXPECT_EQ(store.survey.quadrupoles.rows[0].pole[B], (ElectrodeRef{2, 2}));
    EXPECT_EQ(store.survey.quadrupoles.rows[0].pole[N], (ElectrodeRef{2, 4}));
}

TEST(DataMerge, SummaryAndElectrodeGridOfABlock)
{
    Scratch scratch;
    MessageLog log = quietLog();
    const std::vector<MergeBlock> blocks =
        loadBlocks(scratch, {{.x0 = 1.23456, .ipWindows = 3}, {.quadrupoles = {{1, 0, 3, 0}}, .extraTags = "#st\r\n"}},
                   log);
    EXPECT_EQ(mergeBlockSummary(blocks[0], 1),
              (std::vector<std::string>{"File 1 - f1.data", "Total electrodes: 8", "Total quadrupoles: 3",
                                        "Type of measurements: -", "Base frequency: -",
                                        "Number of measured IP windows: 3"}));
    const std::vector<std::string> remote = mergeBlockSummary(blocks[1], 2);
    ASSERT_EQ(remote.size(), 8u);
    EXPECT_EQ(remote[1], "Total electrodes: 10");
    EXPECT_EQ(remote[6], "Note: remote TX electrodes detected and added to the set.");
    EXPECT_EQ(remote[7], "Note: remote RX electrodes detected and added to the set.");
    EXPECT_EQ(mergeElectrodeRow(blocks[0], 0),
              (std::array<std::string, 8>{"1_1", "1", "1.235", "0.000", "0.000", "0.000", "Surface", ""}));
    EXPECT_EQ(mergeElectrodeRow(blocks[1], 9),
              (std::array<std::string, 8>{"2_Rem", "4", "99.000", "99.000", "0.000", "0.000", "Surface", "Remote"}));
}

TEST(DataMerge, CableRename)
{
    Scratch scratch;
    MessageLog log = quietLog();
    std::vector<MergeBlock> blocks = loadBlocks(scratch, {{.quadrupoles = {{1, 0, 3, 0}}, .extraTags = "#st\r\n"}}, log);
    EXPECT_EQ(renameMergeCable(blocks[0], 1, "North", log), Status::Ok);
    EXPECT_EQ(blocks[0].survey.cableNames[0], "North");
    const struct {
        std::int32_t cable;
        const char* name;
        const char* message;
    } refused[] = {
        {1, "1_Rem", "This cable name is already used, can't duplicate it."},
        {1, "two words", "use letters, digits"},
        {3, "X", "There is no cable 3"},
    };
    for (const auto& r : refused) {
        MessageLog own = quietLog();
        EXPECT_EQ(renameMergeCable(blocks[0], r.cable, r.name, own), Status::Error);
        EXPECT_NE(own.plainText().find(r.message), std::string::npos) << own.plainText();
        EXPECT_EQ(blocks[0].survey.cableNames, (std::vector<std::string>{"North", "1_Rem"}));
    }
}

TEST(DataMerge, FilesThatDoNotLoadLeaveTheBlockAsItWas)
{
    Scratch scratch;
    const struct {
        const char* name;
        std::string text;  // "" : no file
        const char* message;
    } cases[] = {
        {"missing.data", "", "missing.data not found!"},
        {"tags.data", "just words\r\n", "Error: No configuration tags found."},
        {"nodata.data", lineFile({}).substr(0, lineFile({}).find("#data_start")), "Error: no data found in this file."},
        {"badpole.data", lineFile({.quadrupoles = {{1, 2, 3, 9}}}), "Error: data not loaded."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = c.text.empty() ? scratch.folder / c.name : scratch.write(c.name, c.text);
        MessageLog log = quietLog();
        ScriptedQuestions questions = unattendedLoadQuestions();
        MergeBlock block;
        block.file = "kept";
        EXPECT_EQ(loadMergeBlock(file, 1, block, log, questions), Status::Error);
        EXPECT_NE(log.plainText().find(c.message), std::string::npos) << log.plainText();
        EXPECT_EQ(block.file, "kept");
        EXPECT_TRUE(block.survey.electrodes.empty());
    }
    MessageLog log = quietLog();
    ProjectStore store;
    store.survey.cableNames = {"kept"};
    EXPECT_EQ(mergeBlocks({}, {}, store, log), Status::Error);
    EXPECT_EQ(store.survey.cableNames, std::vector<std::string>{"kept"});
}

TEST(CableReversal, ElectrodeNBecomesNPlusOneMinusN)
{
    Survey s;
    s.cableNames = {"L", "R"};
    for (int e = 1; e <= 5; ++e) s.electrodes.push_back({1, e, double(e - 1), 0, 0, 0, 2});
    s.electrodes.push_back({2, 1, -99, -99, 0, 0, -2});
    s.quadrupoles.rows = {{1, {{1, 1}, {1, 2}, {1, 4}, {1, 5}}}, {2, {{2, 1}, {1, 3}, {1, 4}, {1, 2}}}};
    MessageLog log = quietLog();
    ASSERT_EQ(reverseCable(s, 1, log), Status::Ok);
    EXPECT_EQ(s.quadrupoles.rows[0], (Quadrupole{1, {{1, 5}, {1, 4}, {1, 2}, {1, 1}}}));
    EXPECT_EQ(s.quadrupoles.rows[1], (Quadrupole{2, {{2, 1}, {1, 3}, {1, 2}, {1, 4}}}));
    EXPECT_EQ(s.electrodes[0].x, 0.0);  // positions stay with the numbers
    EXPECT_EQ(reversibleCables(s), std::vector<std::int32_t>{1});

    // A cable with a gap where a mirrored pole would land is refused.
    Survey gap = s;
    gap.electrodes.erase(gap.electrodes.begin() + 1);  // electrode 2 is gone
    gap.quadrupoles.rows = {{1, {{1, 1}, {1, 3}, {1, 4}, {1, 5}}}};
    EXPECT_EQ(reverseCable(gap, 1, log), Status::Error);
    EXPECT_NE(log.plainText().find("names electrode 4, whose mirror 2 is not on the cable"), std::string::npos);
    EXPECT_EQ(gap.quadrupoles.rows[0], (Quadrupole{1, {{1, 1}, {1, 3}, {1, 4}, {1, 5}}}));
}

// The second file is the reciprocal of the first recorded with the cable
// turned round: reversed and fused, every quadrupole pairs.
TEST(DataMerge, ReciprocalsRecordedWithTheCableReversed)
{
    Scratch scratch;
    MessageLog log = quietLog();
    const std::vector<std::array<int, 4>> normal = {{1, 2, 4, 5}, {2, 3, 5, 6}, {3, 4, 7, 8}};
    std::vector<std::array<int, 4>> reciprocal;
    for (const auto& q : normal) reciprocal.push_back({9 - q[2], 9 - q[3], 9 - q[0], 9 - q[1]});
    std::vector<MergeBlock> blocks = loadBlocks(scratch, {{.quadrupoles = normal}, {.quadrupoles = reciprocal}}, log);
    ProjectStore store;
    ASSERT_EQ(mergeBlocks(blocks, {.removeDuplicates = true}, store, log), Status::Ok);
    EXPECT_NE(log.plainText().find("pair with the others only with the cable reversed: of 3 quadrupoles checked, 3 "
                                   "find their reciprocal reversed, 0 as recorded."),
              std::string::npos) << log.plainText();
    ReciprocalResult result;
    ASSERT_EQ(DoReciprocalCheck(store.survey, ReciprocalValue::Resistance, result, log), Status::Ok);
    EXPECT_EQ(result.pairs, 0u);

    // Not fused, each file keeps its cable and the check names the cables
    // that pair with the other only reversed.
    ASSERT_EQ(mergeBlocks(blocks, {}, store, log), Status::Ok);
    const std::vector<CableReversalHint> hints = cablesPairingReversed(store.survey);
    ASSERT_EQ(hints.size(), 2u);
    EXPECT_EQ(hints[1].cable, 2);
    EXPECT_EQ(hints[1].pairs.reversed, 3u);
    EXPECT_EQ(hints[1].pairs.asTheyAre, 0u);

    MessageLog reversedLog = quietLog();
    ASSERT_EQ(reverseMergeBlock(blocks[1], reversedLog), Status::Ok);
    ASSERT_EQ(mergeBlocks(blocks, {.removeDuplicates = true}, store, reversedLog), Status::Ok);
    EXPECT_EQ(reversedLog.plainText().find("pair with the others only"), std::string::npos);
    ASSERT_EQ(DoReciprocalCheck(store.survey, ReciprocalValue::Resistance, result, reversedLog), Status::Ok);
    EXPECT_EQ(result.pairs, 3u);

    // Reciprocals recorded the usual way, reversed by mistake, pair only as recorded.
    std::vector<std::array<int, 4>> usual;
    for (const auto& q : normal) usual.push_back({q[2], q[3], q[0], q[1]});
    blocks = loadBlocks(scratch, {{.quadrupoles = normal}, {.quadrupoles = usual}}, log);
    ASSERT_EQ(reverseMergeBlock(blocks[1], log), Status::Ok);
    MessageLog mistakenLog = quietLog();
    ASSERT_EQ(mergeBlocks(blocks, {}, store, mistakenLog), Status::Ok);
    EXPECT_NE(mistakenLog.plainText().find("pair with the others only as recorded: of 3 quadrupoles checked, 3 find "
                                           "their reciprocal as recorded, 0 reversed."),
              std::string::npos) << mistakenLog.plainText();
}

}  // namespace
