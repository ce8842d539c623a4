#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <stdexcept>

#include "core/datafile/SurveyChecks.h"
#include "core/io/TextFile.h"
#include "core/qc/ReciprocalCheck.h"
#include "core/qc/ReciprocalFile.h"

namespace {

using namespace vexora;

struct Reading {
    std::int32_t id;
    int a, b, m, n;  // electrode numbers on cable 1
    double value;
    double ip = 0;
};

// One cable of 8 electrodes 2 m apart; electrode k is row k - 1, so its
// project-wide index is k.
Survey makeSurvey(const std::vector<Reading>& readings)
{
    Survey s;
    s.cableNames = {"L1"};
    for (int k = 1; k <= 8; ++k) s.electrodes.push_back({1, k, 2.0 * (k - 1), 0, 0, 0, 2});
    MessageLog log;
    EXPECT_EQ(funCreateElecTable(s, log), Status::Ok);
    QuadrupoleTable& q = s.quadrupoles;
    q.ip.resize(1);
    for (const Reading& r : readings) {
        q.rows.push_back({r.id, {{1, r.a}, {1, r.b}, {1, r.m}, {1, r.n}}});
        q.resistance.push_back(r.value);
        q.ip[0].push_back(r.ip);
        q.current.push_back(100);
        q.skip.push_back(0);
    }
    return s;
}

const ReciprocalRow& rowOf(const ReciprocalResult& result, std::int32_t id)
{
    for (const ReciprocalRow& row : result.rows)
        if (row.id == id) return row;
    throw std::runtime_error("no row " + std::to_string(id));
}

ReciprocalResult check(const std::vector<Reading>& readings, ReciprocalValue compared = ReciprocalValue::Resistance)
{
    ReciprocalResult result;
    MessageLog log;
    EXPECT_EQ(DoReciprocalCheck(makeSurvey(readings), compared, result, log), Status::Ok) << log.plainText();
    return result;
}

TEST(ReciprocalCheck, PairsWithTheSignRuleOfEachValue)
{
    const std::vector<Reading> readings = {
            {1, 1, 2, 5, 6, 0.5, 4},
            {2, 6, 5, 2, 1, 0.48, 5},   // both dipoles reversed: V/I sign unchanged
            {3, 1, 3, 5, 7, 1.0, 12},
            {4, 5, 7, 3, 1, -1.1, 10},  // potential dipole reversed: V/I sign flips, IP keeps it
            {5, 3, 4, 5, 6, 2.0, 1},    // no reciprocal
    };
    const ReciprocalResult vi = check(readings);
    EXPECT_EQ(vi.pairs, 2u);
    EXPECT_EQ(vi.duplicates, 0u);
    struct Expected {
        std::int32_t id, partner;
        double value, absDiff, percDiff;
    };
    for (const Expected& e : std::vector<Expected>{{1, 2, 0.5, 0.02, 100 * 0.02 / 0.49},
                                                   {2, 1, 0.48, 0.02, 100 * 0.02 / 0.49},
                                                   {3, 4, 1.0, 0.1, 100 * 0.1 / 1.05},
                                                   {4, 3, 1.1, 0.1, 100 * 0.1 / 1.05}}) {
        const ReciprocalRow& row = rowOf(vi, e.id);
        EXPECT_EQ(row.partnerId, e.partner) << e.id;
        EXPECT_NEAR(row.value, e.value, 1e-12) << e.id;
        EXPECT_NEAR(row.absDiff, e.absDiff, 1e-12) << e.id;
        EXPECT_NEAR(row.percDiff, e.percDiff, 1e-9) << e.id;
    }
    EXPECT_FALSE(rowOf(vi, 5).paired());

    const ReciprocalResult ip = check(readings, ReciprocalValue::FirstIp);
    EXPECT_EQ(ip.pairs, 2u);
    EXPECT_NEAR(rowOf(ip, 4).value, 10, 1e-12);
    EXPECT_NEAR(rowOf(ip, 3).absDiff, 2, 1e-12);
    EXPECT_NEAR(rowOf(ip, 3).percDiff, 100 * 2.0 / 11, 1e-9);
}

TEST(ReciprocalCheck, NormalisedRowsSortOnTheirPoles)
{
    const ReciprocalResult r = check({{7, 4, 3, 8, 6, 1}, {8, 1, 2, 4, 3, 1}, {9, 1, 2, 3, 5, 1}});
    ASSERT_EQ(r.sorted.size(), 3u);
    const ReciprocalRow& first = r.rows[r.sorted[0]];
    const ReciprocalRow& last = r.rows[r.sorted[2]];
    EXPECT_EQ(first.id, 8);
    EXPECT_EQ(r.rows[r.sorted[1]].id, 9);
    EXPECT_EQ(last.id, 7);
    EXPECT_EQ((std::vector<int>{last.a, last.b, last.m, last.n}), (std::vector<int>{3, 4, 6, 8}));
    EXPECT_EQ(last.pole[A].number, 3);  // the poles follow the swap
    EXPECT_DOUBLE_EQ(last.value, 1);    // two swaps: sign back
    EXPECT_DOUBLE_EQ(first.value, -1);  // one swap
    EXPECT_EQ(SortQuad(r.rows), r.sorted);
}

TEST(ReciprocalCheck, DuplicatesPairAtMostOnce)
{
    const ReciprocalResult r = check({
            {1, 2, 4, 6, 8, 0.3},
            {2, 2, 4, 6, 8, 0.31},  // repeats 1; its candidate 3 is taken
            {3, 6, 8, 2, 4, 0.3},
            {4, 1, 2, 7, 8, 1},  // a repeated reading and a repeated reciprocal:
            {5, 1, 2, 7, 8, 1},  // two pairs
            {6, 7, 8, 1, 2, 1},
            {7, 7, 8, 1, 2, 1},
    });
    EXPECT_EQ(r.pairs, 3u);
    EXPECT_EQ(r.duplicates, 3u);
    EXPECT_EQ(rowOf(r, 1).partnerId, 3);
    EXPECT_FALSE(rowOf(r, 2).paired());
    EXPECT_EQ(rowOf(r, 2).duplicateOf, 1);
    EXPECT_EQ(rowOf(r, 1).duplicateOf, kNoQuadrupoleId);
    EXPECT_EQ(rowOf(r, 4).partnerId, 6);
    EXPECT_EQ(rowOf(r, 5).partnerId, 7);
    EXPECT_EQ(rowOf(r, 5).duplicateOf, 4);
    EXPECT_EQ(rowOf(r, 7).duplicateOf, 6);
}

TEST(ReciprocalCheck, DifferencesAtTheEdges)
{
    struct Case {
        double v1, v2, absDiff, percDiff;
    };
    for (const Case& c : std::vector<Case>{{0.5, 0.5, 0, 0.001},           // equal: raised to 0.001
                                           {0.5, -0.5, 1, kUndefinedDifference},  // zero mean
                                           {0, 0, 0, kUndefinedDifference},       // zero values
                                           {1e9, 2, kUndefinedDifference, kUndefinedDifference},
                                           {NAN, 2, kUndefinedDifference, kUndefinedDifference},
                                           {2, 1, 1, 100.0 / 1.5}}) {
        const ReciprocalResult r = check({{1, 1, 2, 3, 4, c.v1}, {2, 3, 4, 1, 2, c.v2}});
        ASSERT_EQ(r.pairs, 1u);
        EXPECT_NEAR(r.rows[0].absDiff, c.absDiff, 1e-12) << c.v1 << " " << c.v2;
        EXPECT_NEAR(r.rows[0].percDiff, c.percDiff, 1e-9) << c.v1 << " " << c.v2;
        EXPECT_EQ(r.undefinedPairs, c.percDiff == kUndefinedDifference ? 1u : 0u);
    }
}

TEST(ReciprocalCheck, StatisticsText)
{
    const std::string one = reciprocalStatisticsText(check({{1, 1, 2, 3, 4, 1}}));
    EXPECT_EQ(one, "\r\nStatistics:\r\n0.0% of reciprocals\r\n0 of 1\r\n\r\n");

    // Pairs 4.0 % and 10.0 %, one unpaired, one duplicate: 4 of 6 rows paired.
    const ReciprocalResult r = check({{1, 1, 2, 3, 4, 1.02}, {2, 3, 4, 1, 2, 0.98}, {3, 1, 2, 5, 6, 1.05},
                                      {4, 5, 6, 1, 2, 0.95}, {5, 1, 2, 5, 6, 7}, {6, 2, 3, 4, 5, 1}});
    EXPECT_EQ(reciprocalStatisticsText(r), "\r\nStatistics:\r\n66.7% of reciprocals\r\n4 of 6\r\n\r\n"
                                           "Average of %rec. diff: 7.0%\r\nMedian Value of %rec. diff: 7.0%\r\n"
                                           "Total duplicates: 1\r\n");
    const ReciprocalResult zero = check({{1, 1, 2, 3, 4, 0}, {2, 3, 4, 1, 2, 0}});
    EXPECT_NE(reciprocalStatisticsText(zero).find("1 pairs with undefined %rec. diff"), std::string::npos);
    EXPECT_EQ(reciprocalStatisticsText(zero).find("inf"), std::string::npos);
}

TEST(ReciprocalCheck, MedianAndPercentile)
{
    struct Case {
        std::vector<double> values;
        double median, p95;
    };
    for (Case c : std::vector<Case>{{{3, 1, 2}, 2, 2.9}, {{4, 1, 3, 2}, 2.5, 3.85}, {{7}, 7, 7}}) {
        std::vector<double> copy = c.values;
        EXPECT_DOUBLE_EQ(medianOf(copy), c.median);
        EXPECT_NEAR(percentileOf(c.values, 95), c.p95, 1e-12);
    }
    std::vector<double> none;
    EXPECT_TRUE(std::isnan(medianOf(none)));
}

TEST(ReciprocalCheck, RefusesAnEmptySurveyAndMissingIp)
{
    ReciprocalResult result;
    MessageLog log;
    EXPECT_EQ(DoReciprocalCheck(makeSurvey({}), ReciprocalValue::Resistance, result, log), Status::Error);
    EXPECT_NE(log.plainText().find("Error: DoReciprocalCheck: No quadrupoles loaded."), std::string::npos);
    Survey noIp = makeSurvey({{1, 1, 2, 3, 4, 1}});
    noIp.quadrupoles.ip.clear();
    EXPECT_EQ(DoReciprocalCheck(noIp, ReciprocalValue::FirstIp, result, log), Status::Error);
    EXPECT_NE(log.plainText().find("No IP values loaded."), std::string::npos);
}

// Random surveys: every key K pairs min(count K, count of its reverse) times,
// partners are true reciprocals and each row pairs at most once.
TEST(ReciprocalCheck, RandomSurveysPairEveryAvailableReciprocal)
{
    std::mt19937 random(11);
    std::uniform_int_distribution<int> electrode(1, 5);
    for (int trial = 0; trial < 20; ++trial) {
        std::vector<Reading> readings;
        for (int k = 0; k < 150; ++k) {
            int p[4];
            do {
                for (int& e : p) e = electrode(random);
            } while (p[0] == p[1] || p[2] == p[3]);
            readings.push_back({k + 1, p[0], p[1], p[2], p[3], 1.0 + k});
        }
        const ReciprocalResult r = check(readings);
        std::map<std::array<int, 4>, int> keys;
        for (const Reading& q : readings)
            ++keys[{std::min(q.a, q.b), std::max(q.a, q.b), std::min(q.m, q.n), std::max(q.m, q.n)}];
        std::size_t expectedPairs = 0, expectedDuplicates = 0;
        for (const auto& [key, count] : keys) {
            expectedDuplicates += static_cast<std::size_t>(count - 1);
            const std::array<int, 4> reverse = {key[2], key[3], key[0], key[1]};
            if (key < reverse && keys.count(reverse)) expectedPairs += static_cast<std::size_t>(std::min(count, keys[reverse]));
        }
        EXPECT_EQ(r.pairs, expectedPairs);
        EXPECT_EQ(r.duplicates, expectedDuplicates);
        std::size_t pairedRows = 0;
        for (const ReciprocalRow& row : r.rows) {
            if (!row.paired()) continue;
            ++pairedRows;
            const ReciprocalRow& partner = r.rows[row.partnerRow];
            EXPECT_EQ(partner.partnerId, row.id);
            EXPECT_EQ((std::array<int, 4>{partner.m, partner.n, partner.a, partner.b}),
                      (std::array<int, 4>{row.a, row.b, row.m, row.n}));
            EXPECT_NEAR(row.absDiff, std::abs(row.value - partner.value), 1e-9);
        }
        EXPECT_EQ(pairedRows, 2 * expectedPairs);
    }
}

TEST(ReciprocalFile, WritesAndReadsBack)
{
    const ReciprocalResult r = check({{1, 1, 2, 3, 4, 0.5}, {2, 4, 3, 2, 1, 0.4}, {3, 1, 2, 5, 6, 0.125},
                                      {4, 1, 2, 3, 4, 0.5}});
    const std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("vexora_rec_" + std::to_string(::getpid()) + ".txt");
    MessageLog log;
    ASSERT_EQ(writeReciprocalFile(path, r, ReciprocalOrder::OriginalId, log), Status::Ok);
    std::string text;
    ASSERT_TRUE(readTextFile(path, text));
    std::filesystem::remove(path);
    std::istringstream lines(text);
    std::vector<std::string> got;
    for (std::string line; std::getline(lines, line);) {
        ASSERT_FALSE(line.empty());
        ASSERT_EQ(line.back(), '\r');
        line.pop_back();
        got.push_back(line);
    }
    const std::vector<std::string> expected = {
            "! Nr. \t cA \t A \t cB \t B \t cM \t M\t cN \t N \t ID \t ID_Rec \t V/I \t V/I_Rec \t %Diff \t ABSDiff \t"
            " Duplic_of ",
            "1\t1\t1\t1\t2\t1\t3\t1\t4\t1\t2\t0.500000\t0.400000\t22.2\t0.100000\t-",
            "2\t1\t3\t1\t4\t1\t1\t1\t2\t2\t1\t0.400000\t0.500000\t22.2\t0.100000\t-",  // two swaps: sign kept
            "3\t1\t1\t1\t2\t1\t5\t1\t6\t3\tNo Rec.\t0.125000\t-\t-\t-\t-",
            "4\t1\t1\t1\t2\t1\t3\t1\t4\t4\tNo Rec.\t0.500000\t-\t-\t-\t1",
    };
    EXPECT_EQ(got, expected);
    MessageLog failLog;
    EXPECT_EQ(writeReciprocalFile("/nonexistent-folder/r.txt", r, ReciprocalOrder::TxRx, failLog), Status::Error);
    EXPECT_NE(failLog.plainText().find("Error: cmdSave: "), std::string::npos);
}

TEST(ReciprocalFile, OrdersByDifferenceLargestFirst)
{
    const ReciprocalResult r = check({{1, 1, 2, 3, 4, 1.0}, {2, 3, 4, 1, 2, 1.2}, {3, 1, 2, 5, 6, 10},
                                      {4, 5, 6, 1, 2, 10.5}, {5, 2, 3, 4, 5, 1}});
    std::vector<std::int32_t> ids;
    for (std::size_t k : reciprocalOrder(r, ReciprocalOrder::PercentDiff)) ids.push_back(r.rows[k].id);
    EXPECT_EQ(ids, (std::vector<std::int32_t>{1, 2, 3, 4, 5}));  // 18.2 % before 4.9 %, unpaired last
    ids.clear();
    for (std::size_t k : reciprocalOrder(r, ReciprocalOrder::AbsoluteDiff)) ids.push_back(r.rows[k].id);
    EXPECT_EQ(ids, (std::vector<std::int32_t>{3, 4, 1, 2, 5}));  // 0.5 before 0.2
}

}  // namespace
