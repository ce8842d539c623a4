#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "core/ImportTestSupport.h"
#include "core/import/schedule/ScheduleExtraction.h"
#include "core/import/schedule/SequenceLinks.h"
#include "core/import/syscal/SyscalBinary.h"
#include "core/import/tables/ImportFill.h"

namespace {

using namespace vexora;

SyscalRecord record(std::initializer_list<std::array<float, 3>> poles, float v = 10, float i = 5)
{
    SyscalRecord r;
    int p = 0;
    for (const auto& pole : poles) {
        r.x[p] = pole[0];
        r.y[p] = pole[1];
        r.z[p] = pole[2];
        ++p;
    }
    r.v = v;
    r.i = i;
    return r;
}

TEST(ScheduleExtraction, SharedPositionsGiveOneElectrode)
{
    const float z = 1.0f;
    const float zNext = std::nextafter(z, 2.0f);
    const std::vector<SyscalRecord> records = {
        record({{0, 0, z}, {3, 0, 0}, {1, 0, 0}, {2, 0, 0}}, 12, 4),
        record({{1, 0, 0}, {4, 0, 0}, {2, 0, 0}, {3, 0, 0}}),
        record({{0, 0, zNext}, {99999.9921875f, 0, 0}, {1, 0, 0}, {2, 0, 0}}),
    };
    ImportSet set;
    MessageLog log;
    ASSERT_EQ(funExtractSchedule(records, set, log), ImportStatus::Ok);
    ASSERT_EQ(set.electrodes.size(), 6u);  // 0, 3, 1, 2, then 4, then 0 one ulp higher
    EXPECT_EQ(set.quadrupoles[0], (ImportQuadrupole{1, 2, 3, 4}));
    EXPECT_EQ(set.quadrupoles[1], (ImportQuadrupole{3, 5, 4, 2}));
    EXPECT_EQ(set.quadrupoles[2], (ImportQuadrupole{6, 0, 3, 4}));
    EXPECT_EQ(set.electrodes[5].z, static_cast<double>(zNext));
    EXPECT_EQ(set.values[0], (ImportValue{12, 4, 0, 0}));
}

TEST(ScheduleExtraction, NegativeZeroIsTheSamePosition)
{
    const std::vector<SyscalRecord> records = {record({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}}),
                                               record({{-0.0f, 0, -0.0f}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}})};
    ImportSet set;
    MessageLog log;
    ASSERT_EQ(funExtractSchedule(records, set, log), ImportStatus::Ok);
    EXPECT_EQ(set.electrodes.size(), 4u);
    EXPECT_EQ(set.quadrupoles[1], (ImportQuadrupole{1, 2, 3, 4}));
}

TEST(ScheduleSort, OrderAndRank)
{
    std::vector<double> keys = {0, 5, 1, 4, 1, 3};
    std::vector<std::int32_t> order, rank;
    subSortDoubleWithIndex(keys, order, rank);
    EXPECT_EQ(keys, (std::vector<double>{0, 1, 1, 3, 4, 5}));
    EXPECT_EQ(order[1] + order[2], 2 + 4);  // the two ones, in the heap sort's tie order
    EXPECT_EQ(order[3], 5);
    EXPECT_EQ(order[5], 1);
    for (int k = 1; k <= 5; ++k) EXPECT_EQ(rank[static_cast<std::size_t>(order[static_cast<std::size_t>(k)])], k);
    std::vector<double> one = {0, 7};
    subSortDoubleWithIndex(one, order, rank);
    EXPECT_EQ(order[1], 1);
    EXPECT_EQ(rank[1], 1);
}

// 3 x 2 grid given in scrambled order; quadrupole uses each corner.
ImportSet grid()
{
    ImportSet set;
    const double xy[6][2] = {{2, 1}, {0, 0}, {1, 1}, {2, 0}, {0, 1}, {1, 0}};
    for (int e = 0; e < 6; ++e) set.electrodes.push_back({e + 1, xy[e][0], xy[e][1], 0});
    set.quadrupoles = {{2, 4, 5, 1}, {6, 0, 3, 0}};
    set.values.resize(2);
    return set;
}

struct RenumberCase {
    const char* what;
    bool isProfile;
    int start;
    bool snake;
    std::vector<std::array<double, 2>> order;  // (x, y) of electrodes 1..n
    ImportQuadrupole first, second;
};

TEST(ScheduleRenumber, ProfilesAndGrids)
{
    const std::vector<RenumberCase> cases = {
        {"grid Xmin snake", false, 1, true, {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {1, 1}, {0, 1}}, {1, 3, 6, 4}, {2, 0, 5, 0}},
        {"grid Xmin", false, 1, false, {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}}, {1, 3, 4, 6}, {2, 0, 5, 0}},
        {"grid Xmax", false, -1, false, {{2, 0}, {1, 0}, {0, 0}, {2, 1}, {1, 1}, {0, 1}}, {3, 1, 6, 4}, {2, 0, 5, 0}},
        {"grid Ymin snake", false, 2, true, {{0, 0}, {0, 1}, {1, 1}, {1, 0}, {2, 0}, {2, 1}}, {1, 5, 2, 6}, {4, 0, 3, 0}},
    };
    for (const RenumberCase& c : cases) {
        SCOPED_TRACE(c.what);
        ImportSet set = grid();
        MessageLog log;
        ASSERT_EQ(funRenumberElecAndQuad(set, c.isProfile, c.start, c.snake, log), ImportStatus::Ok);
        ASSERT_EQ(set.electrodes.size(), c.order.size());
        for (std::size_t e = 0; e < c.order.size(); ++e) {
            EXPECT_EQ(set.electrodes[e].number, static_cast<std::int32_t>(e + 1));
            EXPECT_EQ(set.electrodes[e].x, c.order[e][0]) << e;
            EXPECT_EQ(set.electrodes[e].y, c.order[e][1]) << e;
        }
        EXPECT_EQ(set.quadrupoles[0], c.first);
        EXPECT_EQ(set.quadrupoles[1], c.second);
    }
}

TEST(ScheduleRenumber, ProfileXmaxAndSeveralLines)
{
    ImportSet set;
    for (int e = 0; e < 5; ++e) set.electrodes.push_back({e + 1, static_cast<double>((e * 3) % 5), 0, 0});
    set.quadrupoles = {{1, 2, 3, 4}};
    set.values.resize(1);
    MessageLog log;
    ASSERT_EQ(funRenumberElecAndQuad(set, true, -1, false, log), ImportStatus::Ok);
    EXPECT_EQ(set.electrodes[0].x, 4.0);
    EXPECT_EQ(set.electrodes[4].x, 0.0);
    EXPECT_EQ(set.quadrupoles[0], (ImportQuadrupole{5, 2, 4, 1}));  // x = 0, 3, 1, 4

    // Three lines of four along x at y = 10, 20, 30, given line by line in reverse.
    ImportSet lines;
    for (int l = 2; l >= 0; --l)
        for (int k = 0; k < 4; ++k)
            lines.electrodes.push_back({static_cast<int>(lines.electrodes.size() + 1), k * 2.0, 10.0 * (l + 1), 0});
    ASSERT_EQ(funRenumberElecAndQuad(lines, false, 1, true, log), ImportStatus::Ok);
    const double expectX[12] = {0, 2, 4, 6, 6, 4, 2, 0, 0, 2, 4, 6};
    for (int e = 0; e < 12; ++e) {
        EXPECT_EQ(lines.electrodes[static_cast<std::size_t>(e)].x, expectX[e]);
        EXPECT_EQ(lines.electrodes[static_cast<std::size_t>(e)].y, 10.0 * (e / 4 + 1));
    }
    EXPECT_EQ(funRenumberElecAndQuad(lines, true, 3, false, log), ImportStatus::Failed);
}

ImportSet extracted()
{
    ImportSet set;
    for (int e = 0; e < 4; ++e) set.electrodes.push_back({e + 1, e * 0.5, 0, 0});
    set.quadrupoles = {{1, 2, 3, 4}, {2, 0, 3, 4}};
    set.values = {{1, 1, 0, 0}, {2, 1, 0, 0}};
    return set;
}

std::vector<std::string_view> linesOf(const std::string& text)
{
    std::vector<std::string_view> lines;
    std::string_view all = text;
    std::size_t start = 0;
    while (start <= all.size()) {
        const std::size_t end = all.find('\n', start);
        lines.push_back(all.substr(start, (end == std::string_view::npos ? all.size() : end) - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return lines;
}

TEST(SequenceLink, MatchesAndMismatchCodes)
{
    const std::string text =
        "#Electre sequence,1 0 0 0\na comment line of words\n2 1 0 0\n3 2 0 0\n4 3 0 0\n5 4 0 0\n#quadrupoles\n"
        "1 1 2 3 4\n2 2 0 3 5\n3 1 2\n";
    const SequenceFile sequence = parseSequenceText(linesOf(text));
    ASSERT_EQ(sequence.electrodes.size(), 5u);  // the first, after the comma, counts
    EXPECT_EQ(sequence.electrodes[0], (ImportElectrode{1, 0, 0, 0}));
    ASSERT_EQ(sequence.quadrupoles.size(), 2u);
    EXPECT_EQ(sequence.quadrupoles[1], (ImportQuadrupole{2, 0, 3, 5}));

    ImportSet set = extracted();
    ASSERT_EQ(linkToSequence(sequence, set), ImportStatus::Ok);
    EXPECT_EQ(set.electrodes.size(), 5u);
    EXPECT_EQ(set.quadrupoles[1], (ImportQuadrupole{2, 0, 3, 5}));
    EXPECT_EQ(set.values[1].v, 2.0f);

    SequenceFile fewer = sequence;
    fewer.electrodes.resize(3);
    ImportSet untouched = extracted();
    EXPECT_EQ(linkToSequence(fewer, untouched), ImportStatus::SequenceTooFewElectrodes);
    SequenceFile moreQuads = sequence;
    moreQuads.quadrupoles.push_back({1, 2, 3, 4});
    EXPECT_EQ(linkToSequence(moreQuads, untouched), ImportStatus::SequenceQuadrupoleCount);
    EXPECT_EQ(untouched.quadrupoles, extracted().quadrupoles);
    EXPECT_EQ(untouched.electrodes, extracted().electrodes);
}

TEST(ConversionLink, RenumbersMovesAndReportsTheMissingElectrode)
{
    const std::string table =
        "elec_ID XBin YBin ZBin XNew YNew ZNew\n"
        "11 0 0 0 100 200 5\n12 0.5 0 0 101 200 5\n13 1 0 0 102 200 5\n14 1.5 0 0 103 200 5\n"
        "0 9 9 9 9 9 9\n15 7 0 0 104 200 5\n";
    const std::vector<ConversionRow> rows = parseConversionTable(linesOf(table));
    ASSERT_EQ(rows.size(), 5u);
    ImportSet set = extracted();
    MessageLog log;
    ASSERT_EQ(linkToConversionTable(rows, set, log), ImportStatus::Ok);
    ASSERT_EQ(set.electrodes.size(), 5u);  // the extra row is an electrode too
    EXPECT_EQ(set.electrodes[4], (ImportElectrode{15, 104, 200, 5}));
    EXPECT_EQ(set.quadrupoles[1], (ImportQuadrupole{12, 0, 13, 14}));

    ImportSet missing = extracted();
    missing.electrodes[2].x = 1.25;
    EXPECT_EQ(linkToConversionTable(rows, missing, log), ImportStatus::Failed);
    EXPECT_NE(log.plainText().find("Electrode [1.25, 0, 0] is missing in table of conversion file."),
              std::string::npos)
        << log.plainText();
    EXPECT_EQ(missing.quadrupoles, extracted().quadrupoles);
}

TEST(ImportFill, WennerFactorAndBuriedSurvey)
{
    const double a = 5;
    std::vector<ImportElectrode> line;
    for (int e = 0; e < 4; ++e) line.push_back({e + 1, e * a, 0, 0});
    const std::vector<ImportQuadrupole> wenner = {{1, 4, 2, 3}, {1, 0, 2, 3}, {1, 1, 2, 3}};
    const std::vector<double> k = subGF(line, wenner);
    EXPECT_NEAR(k[0], 2 * 3.1416 * a, 1e-9);
    // pole-dipole: 2 pi / (1/AM - 1/AN)
    EXPECT_NEAR(k[1], 2 * 3.1416 / (1 / a - 1 / (2 * a)), 1e-9);
    EXPECT_EQ(k[2], 1000000000.0);  // B on A: the factor cannot be computed... as A+B cancel

    // A vertical borehole: buried, images mirrored at z = 0.
    std::vector<ImportElectrode> hole;
    for (int e = 0; e < 4; ++e) hole.push_back({e + 1, 0, 0, -10.0 - e * a});
    const double zA = -10, zB = -25, zM = -15, zN = -20;
    auto r = [](double z1, double z2) { return std::fabs(z1 - z2); };
    const double s = 1 / r(zA, zM) - 1 / r(zA, zN) - 1 / r(zB, zM) + 1 / r(zB, zN) + 1 / std::fabs(zA + zM) -
                     1 / std::fabs(zA + zN) - 1 / std::fabs(zB + zM) + 1 / std::fabs(zB + zN);
    EXPECT_NEAR(subGF(hole, {{1, 4, 2, 3}})[0], 4 * 3.1416 / s, 1e-9);
}

TEST(ImportFill, GridTextsAndRemotePanels)
{
    ImportSet set = extracted();
    set.values[1].i = 0;
    ImportGrids grids;
    MessageLog log;
    ASSERT_EQ(subFillImportTables(set, grids, log), ImportStatus::Ok);
    EXPECT_EQ(grids.electrodes[1], (std::array<std::string, 4>{"2", "0.500", "0.000", "0.000"}));
    EXPECT_EQ(grids.quadrupoles[0][7], "1.000000");
    EXPECT_EQ(grids.quadrupoles[1][7], "1000000000");
    EXPECT_EQ(grids.quadrupoles[1][9], "1000000000");
    EXPECT_FALSE(grids.remote1.shown);
    EXPECT_TRUE(grids.remote2.shown);
    EXPECT_EQ(grids.remote2.label, "Current Pole 2");
    EXPECT_EQ(grids.remote2.x, 3.0);  // 1.5 beyond the last electrode at 1.5

    ImportSet full = extracted();
    full.quadrupoles[1] = {2, 1, 3, 4};
    ASSERT_EQ(subFillImportTables(full, grids, log), ImportStatus::Ok);
    EXPECT_FALSE(grids.remote1.shown);
    EXPECT_FALSE(grids.remote2.shown);

    full.quadrupoles[1] = {0, 1, 3, 4};
    ASSERT_EQ(subFillImportTables(full, grids, log), ImportStatus::Ok);
    EXPECT_TRUE(grids.remote1.shown);
    EXPECT_EQ(grids.remote1.x, -1.5);
}

TEST(Rototranslation, QuarterTurnAndBack)
{
    Survey survey;
    survey.electrodes = {{1, 1, 1, 0, 2, 3, 2}, {1, 2, 0, 1, 0, 0, 2}};
    survey.topography = {{3, -4, 1}};
    const Survey original = survey;
    double angle = 90;
    modRototraslation(survey, 0, 0, 0, angle, "DEG");
    EXPECT_NEAR(angle, 3.1415926535 / 2, 1e-15);
    EXPECT_NEAR(survey.electrodes[0].x, 0, 1e-9);
    EXPECT_NEAR(survey.electrodes[0].y, 1, 1e-9);
    EXPECT_NEAR(survey.topography[0].x, 4, 1e-9);
    EXPECT_NEAR(survey.topography[0].y, 3, 1e-9);

    // and back: undo the turn with the shift, then the turn itself
    double shifted = 0;
    modRototraslation(survey, 10, 20, 5, shifted, "DEG");
    EXPECT_NEAR(survey.electrodes[0].elevation, original.electrodes[0].elevation + 5, 1e-12);
    double unshift = 0;
    modRototraslation(survey, -10, -20, -5, unshift, "RAD");
    double back = -90;
    modRototraslation(survey, 0, 0, 0, back, "DEG");
    for (std::size_t e = 0; e < 2; ++e) {
        EXPECT_NEAR(survey.electrodes[e].x, original.electrodes[e].x, 1e-9);
        EXPECT_NEAR(survey.electrodes[e].y, original.electrodes[e].y, 1e-9);
        EXPECT_NEAR(survey.electrodes[e].z, original.electrodes[e].z, 1e-12);
    }
    EXPECT_NEAR(survey.topography[0].x, 3, 1e-9);
    EXPECT_NEAR(survey.topography[0].y, -4, 1e-9);
}

}  // namespace
