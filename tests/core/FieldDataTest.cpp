// The field data window's tables: sorts, removal steps, set-to-positive,
// statistics input, accepting imports onto cables, and the two saves.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "core/datafile/ScheduleLoader.h"
#include "core/datafile/SurveyChecks.h"
#include "core/fielddata/AcceptImport.h"
#include "core/fielddata/FieldDataSave.h"
#include "core/fielddata/QuadSort.h"
#include "core/fielddata/Removal.h"
#include "core/io/TextFile.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/qc/ReciprocalCheck.h"
#include "ImportTestSupport.h"

namespace vexora {
namespace {

struct HandQuad {
    std::int32_t id, a, b, m, n;
    double resistance, factor, current;
};

// Six electrodes on cable "L1" at x = 0..5; quadrupoles as given, V = V/I * I.
struct HandTable {
    ProjectStore store;
    FieldDataValues values;

    explicit HandTable(const std::vector<HandQuad>& quads)
    {
        Survey& s = store.survey;
        s.cableNames = {"L1"};
        for (int e = 1; e <= 6; ++e) s.electrodes.push_back({1, e, e - 1.0, 0, 0, 0, 2});
        MessageLog log;
        EXPECT_EQ(funCreateElecTable(s, log), Status::Ok);
        for (const HandQuad& q : quads) {
            s.quadrupoles.rows.push_back({q.id, {{1, q.a}, {1, q.b}, {1, q.m}, {1, q.n}}});
            s.quadrupoles.resistance.push_back(q.resistance);
            s.quadrupoles.current.push_back(q.current);
            s.quadrupoles.skip.push_back(0);
            values.voltage.push_back(q.resistance * q.current);
            values.q.push_back(q.id / 10.0);
            values.factor.push_back(q.factor);
        }
        s.present.resistance = s.dataLoaded = s.electrodesLoaded = true;
    }
    FieldDataRefs refs() const { return {store.survey, store.reciprocals, values}; }
    std::vector<std::int32_t> ids() const
    {
        std::vector<std::int32_t> out;
        for (const Quadrupole& q : store.survey.quadrupoles.rows) out.push_back(q.id);
        return out;
    }
    std::vector<std::int16_t> skips() const { return store.survey.quadrupoles.skip; }
    RemovalStatus remove(RemovalRule rule)
    {
        return applyRemoval(rule, store.survey, store.reciprocals, values);
    }
};

const std::vector<HandQuad> kQuads = {
    {1, 1, 2, 3, 4, 1.0, 10, 2}, {2, 2, 3, 4, 5, -0.5, 40, -4}, {3, 1, 2, 4, 5, 0.2, 5, 1},
    {4, 3, 4, 1, 2, 2.0, 8, 3},  {5, 1, 5, 2, 6, -3.0, 2, 5},
};

RemovalRule measure(RemovalQuantity quantity, Relation relation, double threshold)
{
    RemovalRule rule;
    rule.mode = RemovalMode::Measure;
    rule.quantity = quantity;
    rule.relation = relation;
    rule.threshold = threshold;
    return rule;
}

TEST(FieldDataSort, EveryOrderOfTheMenu)
{
    struct Case {
        int column;
        SortDirection direction;
        bool absolute;
        std::vector<std::int32_t> ids;
    };
    const auto up = SortDirection::Increasing, down = SortDirection::Decreasing;
    const Case cases[] = {
        {ColResistance, up, false, {5, 2, 3, 1, 4}},
        {ColResistance, down, false, {4, 1, 3, 2, 5}},
        {ColResistance, up, true, {3, 2, 1, 4, 5}},  // -0.5 after 0.2 and before 1.0
        {ColResistance, down, true, {5, 4, 1, 2, 3}},
        {ColCableA, up, false, {1, 3, 5, 2, 4}},  // A, then B, M, N
        {ColA, up, false, {1, 3, 5, 2, 4}},       // the same keys as its cable column
        {ColB, up, false, {1, 3, 2, 4, 5}},       // B, then A, M, N
        {ColM, up, false, {4, 5, 1, 3, 2}},       // M, N, then A breaks the tie of 2 and 3
        {ColN, up, false, {4, 1, 3, 2, 5}},       // N, M, A, B
        {ColN, down, false, {5, 2, 3, 1, 4}},
        {ColRho, up, false, {2, 5, 3, 1, 4}},     // K * V/I: -20, -6, 1, 10, 16
        {ColVoltage, up, true, {3, 1, 2, 4, 5}},  // |V|: 0.2, 2, 2, 6, 15 (equal keys keep table order)
        {ColQ, down, false, {5, 4, 3, 2, 1}},
    };
    for (const Case& c : cases) {
        HandTable t(kQuads);
        sortQuadrupoles(t.store.survey, t.store.reciprocals, t.values, c.column, c.direction, c.absolute, 0);
        EXPECT_EQ(t.ids(), c.ids) << "column " << c.column << (c.absolute ? " absolute" : "")
                                  << (c.direction == up ? " increasing" : " decreasing");
    }
}

TEST(FieldDataSort, EveryArrayMovesWithItsRow)
{
    HandTable t(kQuads);
    t.store.survey.quadrupoles.skip = {0, 3, 0, 1, 2};
    t.store.reciprocals = {true, {4, -1, -2, 1, -3}, {-1, -1, -1, -1, 1}, {0.5, 0, 0, 0.5, 0}, {1, 0, 0, 1, 0}};
    sortQuadrupoles(t.store.survey, t.store.reciprocals, t.values, ColResistance, SortDirection::Decreasing, false, 0);
    ASSERT_EQ(t.ids(), (std::vector<std::int32_t>{4, 1, 3, 2, 5}));
    const QuadrupoleTable& q = t.store.survey.quadrupoles;
    for (std::size_t r = 0; r < q.size(); ++r) {
        const HandQuad& was = kQuads[static_cast<std::size_t>(q.rows[r].id - 1)];
        EXPECT_EQ(q.rows[r].pole[M].number, was.m);
        EXPECT_EQ(q.current[r], was.current);
        EXPECT_EQ(t.values.voltage[r], was.resistance * was.current);
        EXPECT_EQ(t.values.factor[r], was.factor);
    }
    EXPECT_EQ(q.skip, (std::vector<std::int16_t>{1, 0, 0, 3, 2}));
    EXPECT_EQ(t.store.reciprocals.partnerId, (std::vector<std::int32_t>{1, 4, -2, -1, -3}));
    EXPECT_EQ(t.store.reciprocals.duplicateOf[4], 1);
}

TEST(FieldDataTable, SetToPositiveTurnsOnlyNegativeRho)
{
    HandTable t(kQuads);
    t.values.factor[3] = -8;  // quadrupole 4: V/I 2, K -8, Rho -16
    EXPECT_EQ(setApparentResistivitiesPositive(t.store.survey, t.values), 3u);
    const std::vector<std::int32_t> none;
    const FieldDataRefs refs = t.refs();
    EXPECT_DOUBLE_EQ(quadValue(refs, ColRho, 1, 0, none), 20.0);  // was -20
    EXPECT_DOUBLE_EQ(quadValue(refs, ColResistance, 1, 0, none), 0.5);
    EXPECT_DOUBLE_EQ(quadValue(refs, ColVoltage, 1, 0, none), -2.0);  // V = -0.5 * -4 turned
    EXPECT_DOUBLE_EQ(quadValue(refs, ColFactor, 1, 0, none), 40.0);
    EXPECT_DOUBLE_EQ(quadValue(refs, ColCurrent, 1, 0, none), -4.0);
    EXPECT_DOUBLE_EQ(quadValue(refs, ColResistance, 3, 0, none), -2.0);
    EXPECT_DOUBLE_EQ(quadValue(refs, ColRho, 0, 0, none), 10.0);  // positive ones untouched
    EXPECT_DOUBLE_EQ(quadValue(refs, ColResistance, 4, 0, none), 3.0);
}

TEST(FieldDataTable, StatisticsTakeUnremovedValuesOfValueColumnsOnly)
{
    HandTable t(kQuads);
    t.store.survey.quadrupoles.skip = {0, 2, 0, 1, 0};
    EXPECT_FALSE(columnStatistics(t.refs(), ColA, 0).has_value());
    EXPECT_FALSE(columnStatistics(t.refs(), ColId, 0).has_value());
    const auto rho = columnStatistics(t.refs(), ColRho, 0);
    ASSERT_TRUE(rho.has_value());
    EXPECT_EQ(rho->quantity, "Rho");
    EXPECT_EQ(rho->values, (std::vector<double>{10, 1, -6}));
    EXPECT_EQ(columnStatistics(t.refs(), ColIp, 0)->values.size(), 0u);  // no IP windows
}

TEST(FieldDataRemoval, StepsUndoAndReset)
{
    HandTable t(kQuads);
    // "Rho" "<" 0 removes exactly the negative apparent resistivities; Undo brings exactly those back.
    ASSERT_EQ(t.remove(measure(RemovalQuantity::Rho, Relation::Less, 0)), RemovalStatus::Ok);
    EXPECT_EQ(t.skips(), (std::vector<std::int16_t>{0, 1, 0, 0, 1}));
    undoRemoval(t.store.survey.quadrupoles);
    EXPECT_EQ(t.skips(), (std::vector<std::int16_t>{0, 0, 0, 0, 0}));

    // Two steps and one Undo: the first step stays.
    std::size_t removed = 0;
    ASSERT_EQ(applyRemoval(measure(RemovalQuantity::AbsV, Relation::Greater, 5), t.store.survey, t.store.reciprocals,
                           t.values, &removed),
              RemovalStatus::Ok);
    EXPECT_EQ(removed, 2u);  // |V| 6 and 15
    ASSERT_EQ(t.remove(measure(RemovalQuantity::I, Relation::Equal, 1)), RemovalStatus::Ok);
    EXPECT_EQ(t.skips(), (std::vector<std::int16_t>{0, 0, 1, 2, 2}));
    EXPECT_EQ(removalCounters(t.store.survey.quadrupoles).totalText(), "Total removed: 3");
    EXPECT_EQ(removalCounters(t.store.survey.quadrupoles).percentText(), "% removed: 60");
    undoRemoval(t.store.survey.quadrupoles);
    EXPECT_EQ(t.skips(), (std::vector<std::int16_t>{0, 0, 0, 1, 1}));

    // Reset after two filters.
    t.values.averageDuplicates = true;
    resetRemoval(t.store.survey.quadrupoles, t.values);
    EXPECT_EQ(removalCounters(t.store.survey.quadrupoles).totalText(), "Total removed: 0");
    EXPECT_EQ(removalCounters(t.store.survey.quadrupoles).percentText(), "% removed: 0");
    EXPECT_FALSE(t.values.averageDuplicates);
    EXPECT_EQ(t.store.survey.quadrupoles.size(), 5u);  // never a row deleted
}

TEST(FieldDataRemoval, EachRuleRemovesWhatItNames)
{
    struct Case {
        const char* what;
        RemovalRule rule;
        std::vector<std::int16_t> skips;
    };
    RemovalRule electrode5;
    electrode5.mode = RemovalMode::Electrode;
    electrode5.cable = 1;
    electrode5.electrode = 5;
    RemovalRule wholeCable = electrode5;
    wholeCable.electrode = 0;
    RemovalRule otherCable = electrode5;
    otherCable.cable = 2;
    RemovalRule rhoOutside;
    rhoOutside.mode = RemovalMode::Range;
    rhoOutside.column = ColRho;
    rhoOutside.lower = -6;
    rhoOutside.upper = 10;
    RemovalRule rhoInside = rhoOutside;
    rhoInside.outside = false;
    const Case cases[] = {
        {"Rho outside [-6, 10]", rhoOutside, {0, 1, 0, 1, 0}},
        {"Rho inside [-6, 10]", rhoInside, {1, 0, 1, 0, 1}},
        {"electrode 5 of L1", electrode5, {0, 1, 1, 0, 1}},
        {"all of L1", wholeCable, {1, 1, 1, 1, 1}},
        {"a cable with no quadrupoles", otherCable, {0, 0, 0, 0, 0}},
        {"K = 40", measure(RemovalQuantity::K, Relation::Equal, 40), {0, 1, 0, 0, 0}},
        {"abs(V/I) < 0.6", measure(RemovalQuantity::AbsResistance, Relation::Less, 0.6), {0, 1, 1, 0, 0}},
        {"abs(I) > 3", measure(RemovalQuantity::AbsI, Relation::Greater, 3), {0, 1, 0, 0, 1}},
        {"q > 0.35", measure(RemovalQuantity::Q, Relation::Greater, 0.35), {0, 0, 0, 1, 1}},
        {"IP without windows", measure(RemovalQuantity::Ip, Relation::Less, 1e9), {0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        HandTable t(kQuads);
        EXPECT_EQ(t.remove(c.rule), RemovalStatus::Ok) << c.what;
        EXPECT_EQ(t.skips(), c.skips) << c.what;
    }
}

TEST(FieldDataRemoval, ReciprocalRulesNeedTheCheckAndUseIt)
{
    RemovalRule noRec;
    noRec.mode = RemovalMode::NoReciprocal;
    RemovalRule duplicated;
    duplicated.mode = RemovalMode::Duplicated;
    const RemovalRule percent = measure(RemovalQuantity::PercRecDiff, Relation::Greater, 10);
    for (const RemovalRule& rule : {noRec, duplicated, percent, measure(RemovalQuantity::AbsRecDiff, Relation::Less, 1)}) {
        HandTable t(kQuads);
        t.store.survey.quadrupoles.skip = {0, 1, 0, 0, 0};
        EXPECT_EQ(t.remove(rule), RemovalStatus::ReciprocalsNeeded);
        EXPECT_EQ(t.skips(), (std::vector<std::int16_t>{0, 1, 0, 0, 0}));  // untouched, no level raised
        EXPECT_FALSE(t.values.averageDuplicates);
    }
    // Quadrupoles 1 and 4 are reciprocal (1 2 3 4 / 3 4 1 2); 5 repeats 1.
    HandTable t(kQuads);
    MessageLog log;
    ReciprocalResult result;
    ASSERT_EQ(DoReciprocalCheck(t.store.survey, ReciprocalValue::Resistance, result, log), Status::Ok);
    storePairing(result, t.store.survey.quadrupoles.size(), t.store.reciprocals);
    t.store.reciprocals.duplicateOf[4] = 1;
    ASSERT_EQ(t.remove(noRec), RemovalStatus::Ok);
    EXPECT_EQ(t.skips(), (std::vector<std::int16_t>{0, 1, 1, 0, 1}));
    undoRemoval(t.store.survey.quadrupoles);
    ASSERT_EQ(t.remove(percent), RemovalStatus::Ok);  // 1.0 against 2.0: 66.7 %
    EXPECT_EQ(t.skips(), (std::vector<std::int16_t>{1, 0, 0, 1, 0}));
    ASSERT_EQ(t.remove(duplicated), RemovalStatus::Ok);
    EXPECT_EQ(t.skips(), (std::vector<std::int16_t>{2, 0, 0, 2, 1}));
    EXPECT_TRUE(t.values.averageDuplicates);
}

// A pole-dipole import: electrodes 1..4 along x, B remote.
ImportSet poleDipoleImport(double offset)
{
    ImportSet set;
    for (int e = 1; e <= 4; ++e) set.electrodes.push_back({e, offset + e, 0, 0});
    set.quadrupoles = {{1, 0, 2, 3}, {2, 0, 3, 4}, {1, 0, 3, 4}};
    set.values = {{10.123456f, 2.5f, 0.1f, 0}, {-4, 2, 0.2f, 0}, {3, -1.5f, 0.3f, 0}};
    return set;
}
ImportGrids remoteAt(double x)
{
    ImportGrids grids;
    grids.remote1 = {true, "Current pole", x, 0, 0};
    return grids;
}

TEST(FieldDataAccept, NewCableThenExistingOneAndTheRefusals)
{
    ProjectStore store;
    FieldDataValues values;
    MessageLog log;
    const ImportSet first = poleDipoleImport(0);
    ASSERT_EQ(acceptImportInto(first, remoteAt(-1000), {true, "  line one ", 0}, store, values, log),
              AcceptStatus::Ok)
        << log.plainText();
    Survey& s = store.survey;
    EXPECT_EQ(s.cableNames, (std::vector<std::string>{"line_one", "Rem_1"}));
    ASSERT_EQ(s.quadrupoles.size(), 3u);
    EXPECT_EQ(s.quadrupoles.rows[0].pole[B], (ElectrodeRef{2, 2}));
    // The values themselves, not a rounded text of them.
    EXPECT_EQ(values.voltage[0], static_cast<double>(10.123456f));
    EXPECT_EQ(s.quadrupoles.resistance[0], static_cast<double>(10.123456f) / 2.5);
    EXPECT_EQ(values.q[2], static_cast<double>(0.3f));
    EXPECT_EQ(values.factor.size(), 3u);
    EXPECT_EQ(s.electrodes[0].type, 2);  // a surface line of four

    // A new cable named like an existing one in other letter case: refused, nothing changed.
    const ProjectStore before = store;
    EXPECT_EQ(acceptImportInto(first, remoteAt(-1000), {true, "LINE_ONE", 0}, store, values, log),
              AcceptStatus::ExistingCableName);
    EXPECT_EQ(store.survey.quadrupoles, before.survey.quadrupoles);
    EXPECT_EQ(store.survey.cableNames, before.survey.cableNames);
    // The cable already holds electrodes 1..4.
    EXPECT_EQ(acceptImportInto(first, remoteAt(-1000), {false, "", 1}, store, values, log),
              AcceptStatus::CannotUseCable);
    EXPECT_EQ(acceptImportInto(first, remoteAt(-1000), {false, "", 2}, store, values, log), AcceptStatus::RemoteCable);
    EXPECT_EQ(store.survey.electrodes, before.survey.electrodes);

    // Onto a second cable: quadrupoles after the present ones, a second remote cable.
    ASSERT_EQ(acceptImportInto(poleDipoleImport(10), remoteAt(2000), {true, "line2", 0}, store, values, log),
              AcceptStatus::Ok);
    EXPECT_EQ(s.cableNames, (std::vector<std::string>{"line_one", "Rem_1", "line2", "Rem_2"}));
    ASSERT_EQ(s.quadrupoles.size(), 6u);
    EXPECT_EQ(s.quadrupoles.rows[3].id, 4);
    EXPECT_EQ(s.quadrupoles.rows[3].pole[A], (ElectrodeRef{3, 1}));
    EXPECT_EQ(s.quadrupoles.rows[3].pole[B], (ElectrodeRef{4, 2}));
    EXPECT_EQ(values.voltage.size(), 6u);
    EXPECT_EQ(values.voltage[4], -4.0);
    EXPECT_EQ(s.lookup.find(4, 2), static_cast<std::int32_t>(s.electrodes.size() - 1));
}

TEST(FieldDataAccept, BadImportsLeaveTheProjectAsItWas)
{
    ProjectStore store;
    FieldDataValues values;
    MessageLog log;
    ASSERT_EQ(acceptImportInto(poleDipoleImport(0), remoteAt(-1000), {true, "L", 0}, store, values, log),
              AcceptStatus::Ok);
    const Survey before = store.survey;
    const std::vector<double> voltage = values.voltage;
    ImportSet unknownPole = poleDipoleImport(10);
    unknownPole.quadrupoles[1][3] = 9;  // no electrode 9 was imported
    struct Case {
        const char* what;
        ImportSet set;
        CableChoice choice;
        AcceptStatus status;
        const char* logged;
    };
    const Case cases[] = {
        {"a name a data file cannot hold", poleDipoleImport(10), {true, "a#b", 0}, AcceptStatus::InvalidCableName,
         "Invalid cable name \"a#b\""},
        {"a pole naming no electrode", unknownPole, {true, "M", 0}, AcceptStatus::ElectrodesNotLoaded,
         "Error: electrodes not loaded."},
        {"nothing imported", ImportSet{}, {true, "N", 0}, AcceptStatus::NothingImported, ""},
        {"no such cable", poleDipoleImport(10), {false, "", 7}, AcceptStatus::CannotUseCable, ""},
    };
    for (const Case& c : cases) {
        MessageLog caseLog;
        EXPECT_EQ(acceptImportInto(c.set, remoteAt(0), c.choice, store, values, caseLog), c.status) << c.what;
        EXPECT_NE(caseLog.plainText().find(c.logged), std::string::npos) << c.what << ": " << caseLog.plainText();
        EXPECT_EQ(store.survey.electrodes, before.electrodes) << c.what;
        EXPECT_EQ(store.survey.quadrupoles, before.quadrupoles) << c.what;
        EXPECT_EQ(store.survey.cableNames, before.cableNames) << c.what;
        EXPECT_EQ(values.voltage, voltage) << c.what;
    }
}

// The window computes an accept off its thread and drops it when cancelled:
// until taken in, the project is as it was; taken in, it is the import.
TEST(FieldDataAccept, ComputedBesideTheProjectThenTakenIn)
{
    ProjectStore store;
    FieldDataValues values;
    MessageLog log;
    ASSERT_EQ(acceptImportInto(poleDipoleImport(0), remoteAt(-1000), {true, "L", 0}, store, values, log),
              AcceptStatus::Ok);
    const ProjectStore before = store;
    const std::vector<double> voltage = values.voltage;
    AcceptedImport accepted;
    ASSERT_EQ(computeAcceptedImport(poleDipoleImport(10), remoteAt(2000), {true, "M", 0}, store, values, accepted, log),
              AcceptStatus::Ok)
        << log.plainText();
    EXPECT_EQ(store.survey.electrodes, before.survey.electrodes);
    EXPECT_EQ(store.survey.quadrupoles, before.survey.quadrupoles);
    EXPECT_EQ(store.survey.cableNames, before.survey.cableNames);
    EXPECT_EQ(store.settings, before.settings);
    EXPECT_EQ(store.mesh.lines, before.mesh.lines);
    EXPECT_EQ(values.voltage, voltage);

    const AcceptedImport copy = accepted;
    takeAcceptedImport(std::move(accepted), store, values);
    EXPECT_EQ(store.survey.cableNames, (std::vector<std::string>{"L", "Rem_1", "M", "Rem_2"}));
    EXPECT_EQ(store.survey.quadrupoles, copy.survey.quadrupoles);
    EXPECT_EQ(store.settings, copy.settings);
    EXPECT_EQ(store.mesh.lines, copy.lines);
    EXPECT_EQ(values.voltage.size(), 6u);
    EXPECT_EQ(values.factor, copy.values.factor);
}

TEST(FieldDataAccept, OntoAnExistingCableWithOtherNumbers)
{
    ProjectStore store;
    FieldDataValues values;
    MessageLog log;
    ASSERT_EQ(acceptImportInto(poleDipoleImport(0), remoteAt(-1000), {true, "L", 0}, store, values, log),
              AcceptStatus::Ok);
    ImportSet more = poleDipoleImport(4);
    for (auto& e : more.electrodes) e.number += 4;
    for (auto& q : more.quadrupoles)
        for (auto& p : q)
            if (p) p += 4;
    ASSERT_EQ(acceptImportInto(more, remoteAt(-1000), {false, "", 1}, store, values, log), AcceptStatus::Ok)
        << log.plainText();
    EXPECT_EQ(store.survey.quadrupoles.rows[5].pole[M], (ElectrodeRef{1, 7}));
    EXPECT_EQ(std::count_if(store.survey.electrodes.begin(), store.survey.electrodes.end(),
                            [](const Electrode& e) { return e.cable == 1; }),
              8);
}

TEST(FieldDataSave, DataFileWithAndWithoutRemovedDataReadsBack)
{
    ProjectStore store;
    FieldDataValues values;
    MessageLog log;
    ASSERT_EQ(acceptImportInto(poleDipoleImport(0), remoteAt(-1000), {true, "L", 0}, store, values, log),
              AcceptStatus::Ok);
    ASSERT_EQ(applyRemoval(measure(RemovalQuantity::V, Relation::Less, 0), store.survey, store.reciprocals, values),
              RemovalStatus::Ok);
    const auto folder = testing::scratchFolder("fielddata_save");
    for (const bool omit : {false, true}) {
        const auto path = folder / (omit ? "kept.data" : "all.data");
        ASSERT_EQ(saveFieldData(store, values, path, {omit, true}, log), Status::Ok) << log.plainText();
        EXPECT_NE(log.plainText().find("Schedule file " + path.string() + " saved."), std::string::npos);
        ProjectStore back;
        MessageLog backLog;
        ScriptedQuestions questions;
        std::string text;
        ASSERT_TRUE(readTextFile(path, text));
        ASSERT_EQ(loadScheduleText(back, text, {path, ProjectType::DataInversion, false}, backLog, questions),
                  LoadStatus::Loaded)
            << backLog.plainText();
        ASSERT_EQ(back.survey.quadrupoles.size(), omit ? 2u : 3u);
        const std::size_t last = omit ? 1 : 2;
        EXPECT_NEAR(back.survey.quadrupoles.resistance[last], 3.0 / -1.5, 1e-7);
        EXPECT_NEAR(back.survey.quadrupoles.current[last], -1.5, 1e-3);
        if (!omit) {
            EXPECT_NE(back.survey.quadrupoles.skip[1], 0);
        }
    }
    std::filesystem::remove_all(folder);
}

TEST(FieldDataSave, CurrentMapSkipsRemovedDataAndWritesAWhereBIsRemote)
{
    HandTable t(kQuads);
    t.store.survey.quadrupoles.skip = {0, 1, 0, 0, 0};
    EXPECT_EQ(currentMapText(t.store.survey),
              "X(m)\tY(m)\tI(mA)\r\n"
              "1.00000     \t0.00000     \t2.000     \r\n"
              "1.00000     \t0.00000     \t1.000     \r\n"
              "3.00000     \t0.00000     \t3.000     \r\n"
              "4.00000     \t0.00000     \t5.000     \r\n");
    ProjectStore store;
    FieldDataValues values;
    MessageLog log;
    ASSERT_EQ(acceptImportInto(poleDipoleImport(0), remoteAt(-1000), {true, "L", 0}, store, values, log),
              AcceptStatus::Ok);
    const std::string map = currentMapText(store.survey);
    EXPECT_EQ(map.find("-1000"), std::string::npos);  // never the remote's far position
    EXPECT_NE(map.find("1.00000     \t0.00000     \t2.500"), std::string::npos);  // A of the first
    EXPECT_NE(map.find("\t1.500"), std::string::npos);  // |-1.5|
}

}  // namespace
}  // namespace vexora
