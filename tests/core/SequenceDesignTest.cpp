#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "core/sequence/DepthOfInvestigation.h"
#include "core/sequence/SequenceDesign.h"

namespace {

using namespace vexora;
using K = ArrayKind;

ElectrodeLayout line24()
{
    ElectrodeLayout layout;
    MessageLog log;
    EXPECT_EQ(cableLineLayout(1, 24, 1.0, layout, log), Status::Ok);
    return layout;
}

ElectrodeLayout grid(int nx, int ny)
{
    ElectrodeLayout layout;
    MessageLog log;
    EXPECT_EQ(gridLayout(nx, ny, 1.0, 2.0, layout, log), Status::Ok);
    return layout;
}

SequenceDesign designed(const ElectrodeLayout& layout, const SequenceOptions& options)
{
    SequenceDesign design;
    MessageLog log;
    EXPECT_EQ(designSequence(layout, options, design, log), Status::Ok) << log.plainText();
    return design;
}

long long positive(long long v) { return std::max(v, 0LL); }

// Closed-form counts on a line of L electrodes for one dipole length a.
long long dipoleDipole(long long L, long long a, int n0, int n1)
{
    long long c = 0;
    for (long long n = n0; n <= n1; ++n) c += positive(L - (n + 2) * a);
    return c;
}
long long wenner(long long L, int s1)
{
    long long c = 0;
    for (long long s = 1; s <= s1; ++s) c += positive(L - 3 * s);
    return c;
}
long long schlumberger(long long L, long long a, int n1)
{
    long long c = 0;
    for (long long n = 1; n <= n1; ++n) c += positive(L - (2 * n + 1) * a);
    return c;
}
long long poleDipole(long long L, long long a, int n1)
{
    long long c = 0;
    for (long long n = 1; n <= n1; ++n) c += 2 * positive(L - (n + 1) * a);  // forward and mirrored
    return c;
}
long long gradient(long long L, long long a, int s) { return s * positive(L - (s + 2) * a); }

TEST(SequenceDesign, CountsOfEachArrayOnA24ElectrodeLineMatchTheClosedForms)
{
    struct Case {
        K kind;
        int aMin, aMax, nMin, nMax;
        long long expected;
    };
    const Case cases[] = {
        {K::DipoleDipole, 1, 1, 1, 6, dipoleDipole(24, 1, 1, 6)},                             // 111
        {K::DipoleDipole, 1, 2, 1, 6, dipoleDipole(24, 1, 1, 6) + dipoleDipole(24, 2, 1, 6)},  // 189
        {K::DipoleDipole, 3, 3, 2, 5, dipoleDipole(24, 3, 2, 5)},
        {K::DipoleDipole, 1, 1, 1, 30, dipoleDipole(24, 1, 1, 30)},  // n beyond the line stops at its end
        {K::Wenner, 1, 1, 1, 10, wenner(24, 10)},                    // spacings 1..7 fit
        {K::Wenner, 1, 2, 1, 3, wenner(24, 6) - positive(24 - 15)},  // s = 1,2,3,4,6 (5 is no n a)
        {K::Schlumberger, 1, 1, 1, 6, schlumberger(24, 1, 6)},
        {K::Schlumberger, 2, 2, 1, 6, schlumberger(24, 2, 6)},
        {K::PoleDipole, 1, 1, 1, 6, poleDipole(24, 1, 6)},
        {K::PoleDipole, 1, 2, 1, 4, poleDipole(24, 1, 4) + poleDipole(24, 2, 4)},
        {K::Gradient, 1, 1, 1, 6, gradient(24, 1, 6)},
        {K::Gradient, 1, 2, 1, 6, gradient(24, 1, 6) + gradient(24, 2, 6)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(arrayName(c.kind)) + " a " + std::to_string(c.aMin) + "-" + std::to_string(c.aMax) +
                     " n " + std::to_string(c.nMin) + "-" + std::to_string(c.nMax));
        SequenceOptions o;
        o.arrays = {c.kind};
        o.aMin = c.aMin, o.aMax = c.aMax, o.nMin = c.nMin, o.nMax = c.nMax;
        const SequenceDesign d = designed(line24(), o);
        EXPECT_EQ(static_cast<long long>(d.quadrupoles.size()), c.expected);
        EXPECT_EQ(static_cast<long long>(d.summary.perArray[static_cast<int>(c.kind)]), c.expected);
    }
}

TEST(SequenceDesign, GridArraysPairNeighbouringLines)
{
    // 6 x 4 grid: 3 pairs of neighbouring rows, 6 with a gap of 2.
    struct Case {
        K kind;
        int lineGap, nMax;
        long long expected;
    };
    const Case cases[] = {
        {K::Equatorial, 1, 6, 3 * 5},
        {K::Equatorial, 2, 6, 5 * 5},
        {K::CrossLine, 1, 2, 3 * (2 * (4 + 3))},  // k = +-1: 4 dipoles, k = +-2: 3
        {K::DipoleDipole, 1, 2, 4 * dipoleDipole(6, 1, 1, 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(arrayName(c.kind));
        SequenceOptions o;
        o.arrays = {c.kind};
        o.lineGap = c.lineGap, o.nMax = c.nMax;
        EXPECT_EQ(static_cast<long long>(designed(grid(6, 4), o).quadrupoles.size()), c.expected);
    }
}

TEST(SequenceDesign, NoQuadrupoleRepeatsAnElectrodeOrAnotherQuadrupole)
{
    SequenceOptions o;
    o.arrays = {K::DipoleDipole, K::Wenner, K::Schlumberger, K::PoleDipole, K::Gradient, K::Equatorial, K::CrossLine};
    o.aMin = 1, o.aMax = 3, o.nMax = 5, o.lineGap = 2, o.reciprocals = true;
    const SequenceDesign d = designed(grid(8, 5), o);
    ASSERT_GT(d.quadrupoles.size(), 1000u);
    std::set<std::vector<std::int32_t>> seen;
    for (const DesignedQuadrupole& q : d.quadrupoles) {
        const std::set<std::int32_t> poles(std::begin(q.pole), std::end(q.pole));
        EXPECT_EQ(poles.size(), 4u);
        EXPECT_TRUE(seen.insert({q.pole[0], q.pole[1], q.pole[2], q.pole[3]}).second);
    }
    // Wenner and Schlumberger at n = 1 are the same quadrupoles: counted once, for Wenner.
    SequenceOptions both;
    both.arrays = {K::Wenner, K::Schlumberger};
    both.nMax = 1;
    const SequenceDesign w = designed(line24(), both);
    EXPECT_EQ(w.quadrupoles.size(), 21u);
    EXPECT_EQ(w.summary.perArray[static_cast<int>(K::Wenner)], 21u);
    EXPECT_EQ(w.summary.perArray[static_cast<int>(K::Schlumberger)], 0u);
}

TEST(SequenceDesign, ReciprocalsAreExactSwapsOfTheNormalSet)
{
    for (K kind : {K::DipoleDipole, K::PoleDipole, K::CrossLine}) {
        SCOPED_TRACE(arrayName(kind));
        SequenceOptions o;
        o.arrays = {kind};
        o.nMax = 4;
        o.channels = 4;
        o.reciprocals = true;
        const SequenceDesign d = designed(grid(10, 3), o);
        ASSERT_EQ(d.quadrupoles.size(), 2 * d.summary.normal);
        std::multiset<std::vector<std::int32_t>> swapped, reciprocal;
        for (std::size_t k = 0; k < d.summary.normal; ++k) {
            const auto& p = d.quadrupoles[k].pole;
            swapped.insert({p[M], p[N], p[A], p[B]});
        }
        for (std::size_t k = d.summary.normal; k < d.quadrupoles.size(); ++k) {
            const auto& p = d.quadrupoles[k].pole;
            reciprocal.insert({p[A], p[B], p[M], p[N]});
        }
        EXPECT_EQ(swapped, reciprocal);
        // The same geometry: K of a reciprocal equals K of its normal.
        std::map<std::vector<std::int32_t>, double> factorOf;
        for (std::size_t k = 0; k < d.summary.normal; ++k) {
            const auto& p = d.quadrupoles[k].pole;
            factorOf[{p[M], p[N], p[A], p[B]}] = d.geometricFactors[k];
        }
        for (std::size_t k = d.summary.normal; k < d.quadrupoles.size(); ++k) {
            const auto& p = d.quadrupoles[k].pole;
            EXPECT_NEAR(d.geometricFactors[k], (factorOf[{p[A], p[B], p[M], p[N]}]), 1e-9 * std::abs(d.geometricFactors[k]));
        }
    }
}

TEST(SequenceDesign, InjectionsCountTheChannelsOfEachCurrentDipole)
{
    // Dipole-dipole a = 1, n 1..6: the current dipole at electrode i reads
    // min(6, 21 - i) potential dipoles, i = 0..20.
    struct Case {
        int channels;
        std::size_t injections;
    };
    for (const Case& c : {Case{1, 111}, Case{4, 16 * 2 + 2 + 1 + 1 + 1 + 1}, Case{6, 21}, Case{32, 21}}) {
        SCOPED_TRACE(c.channels);
        SequenceOptions o;
        o.arrays = {K::DipoleDipole};
        o.channels = c.channels;
        EXPECT_EQ(designed(line24(), o).summary.injections, c.injections);
    }
    // Quadrupoles of one current dipole from two arrays are read together.
    SequenceOptions mixed;
    mixed.arrays = {K::DipoleDipole, K::Gradient};
    mixed.nMax = 2;
    mixed.channels = 8;
    const SequenceDesign d = designed(line24(), mixed);
    EXPECT_EQ(d.summary.injections, countInjections(d.quadrupoles, 8));
    std::set<std::pair<std::int32_t, std::int32_t>> currents;
    for (const DesignedQuadrupole& q : d.quadrupoles) currents.insert({q.pole[A], q.pole[B]});
    EXPECT_EQ(d.summary.injections, currents.size());
}

TEST(SequenceDesign, GeometricFactorLimitsLeaveOutTheQuadrupolesBeyondThem)
{
    // Wenner of spacing s on flat ground: K = 2 pi s.
    SequenceOptions o;
    o.arrays = {K::Wenner};
    o.nMax = 7;
    o.minAbsK = 2 * kGeometricPi * 3.5;
    SequenceDesign d = designed(line24(), o);
    EXPECT_EQ(d.quadrupoles.size(), 12u + 9 + 6 + 3);  // s = 4..7
    EXPECT_EQ(d.summary.outsideKLimits, 21u + 18 + 15);
    for (double k : d.geometricFactors) EXPECT_GE(k, o.minAbsK);
    o.minAbsK = 0;
    o.maxAbsK = 2 * kGeometricPi * 2.5;
    d = designed(line24(), o);
    EXPECT_EQ(d.quadrupoles.size(), 21u + 18);
    EXPECT_NEAR(d.geometricFactors[0], 2 * kGeometricPi, 1e-9);
}

TEST(SequenceDesign, MedianDepthsOfInvestigationMatchPublishedValues)
{
    // Edwards (1977): pole-pole 0.867 r, Wenner 0.519 a, dipole-dipole n = 1 0.416 a.
    struct Case {
        const char* name;
        double a, b, m, n;
        bool hasB;
        double expected;
    };
    const Case cases[] = {
        {"pole-pole", 0, 0, 10, 0, false, 8.66},
        {"Wenner", 0, 30, 10, 20, true, 5.19},
        {"dipole-dipole n=1", 0, 10, 20, 30, true, 4.16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Point3 pole[4] = {{c.a, 0, 0}, {c.b, 0, 0}, {c.m, 0, 0}, {c.n, 0, 0}};
        const bool present[4] = {true, c.hasB, true, c.hasB};
        EXPECT_NEAR(medianDepthOfInvestigation(pole, present), c.expected, 0.02);
    }
    // The sequence reports its deepest quadrupole: Wenner spacings up to 7 m.
    SequenceOptions o;
    o.arrays = {K::Wenner};
    o.nMax = 7;
    EXPECT_NEAR(designed(line24(), o).summary.depthOfInvestigation, 0.519 * 7, 0.01);
}

TEST(SequenceDesign, RefusedOptionsAreLoggedAndLeaveTheDesignUntouched)
{
    struct Case {
        const char* message;
        void (*change)(SequenceOptions&);
        bool oneLine;
    };
    const Case cases[] = {
        {"Choose one or more arrays.", [](SequenceOptions& o) { o.arrays.clear(); }, false},
        {"Dipole lengths a 0 to 1: 1 <= a min <= a max is needed.", [](SequenceOptions& o) { o.aMin = 0; }, false},
        {"Dipole lengths a 3 to 2: 1 <= a min <= a max is needed.", [](SequenceOptions& o) { o.aMin = 3, o.aMax = 2; }, false},
        {"Separation factors n 4 to 3: 1 <= n min <= n max is needed.", [](SequenceOptions& o) { o.nMin = 4, o.nMax = 3; }, false},
        {"The line gap must be 1 or more.", [](SequenceOptions& o) { o.lineGap = 0; }, false},
        {"The channels per current injection must be 1 or more.", [](SequenceOptions& o) { o.channels = 0; }, false},
        {"The |K| limits must be 0 (none) or positive, the maximum above the minimum.",
         [](SequenceOptions& o) { o.minAbsK = -1; }, false},
        {"The |K| limits must be 0 (none) or positive, the maximum above the minimum.",
         [](SequenceOptions& o) { o.minAbsK = 50, o.maxAbsK = 20; }, false},
        {"Equatorial and cross-line arrays need two or more lines of electrodes.",
         [](SequenceOptions& o) { o.arrays = {K::Equatorial}; }, true},
        {"Every quadrupole lies outside the |K| limits: no sequence.", [](SequenceOptions& o) { o.minAbsK = 1e9; }, false},
        {"The layout is too short for the chosen arrays: no quadrupole.",
         [](SequenceOptions& o) { o.aMin = o.aMax = 9; }, true},
    };
    SequenceDesign before;
    MessageLog setup;
    SequenceOptions valid;
    valid.arrays = {K::DipoleDipole};
    ASSERT_EQ(designSequence(grid(6, 2), valid, before, setup), Status::Ok);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        SequenceOptions o = valid;
        c.change(o);
        SequenceDesign design = before;
        MessageLog log;
        EXPECT_EQ(designSequence(c.oneLine ? line24() : grid(6, 2), o, design, log), Status::Error);
        EXPECT_EQ(log.lastError(), c.message);
        EXPECT_EQ(design.quadrupoles, before.quadrupoles);
    }
}

TEST(SequenceLayout, LayoutsPlaceAndNumberTheElectrodes)
{
    ElectrodeLayout layout;
    MessageLog log;
    ASSERT_EQ(cableLineLayout(2, 12, 2.5, layout, log), Status::Ok);
    ASSERT_EQ(layout.electrodes.size(), 24u);
    EXPECT_EQ(layout.cableNames, (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(layout.electrodes[12].cable, 2);
    EXPECT_EQ(layout.electrodes[12].number, 1);
    EXPECT_DOUBLE_EQ(layout.electrodes[12].x, 30.0);
    ASSERT_EQ(layout.lines.size(), 1u);
    EXPECT_EQ(layout.lines[0].size(), 24u);

    ASSERT_EQ(gridLayout(5, 3, 1.0, 4.0, layout, log), Status::Ok);
    EXPECT_EQ(layout.lines.size(), 3u);
    EXPECT_DOUBLE_EQ(layout.electrodes[7].x, 2.0);
    EXPECT_DOUBLE_EQ(layout.electrodes[7].y, 4.0);
    const std::int32_t remote = addRemoteElectrode(layout);
    EXPECT_EQ(addRemoteElectrode(layout), remote);  // one remote electrode, however often asked
    EXPECT_EQ(layout.cableNames.back(), "Rem_1");
    // 20 extents (the 8 m of the rows' spread) from the centre (2, 4), broadside to the longer side.
    const Electrode& far = layout.electrodes[static_cast<std::size_t>(remote)];
    EXPECT_DOUBLE_EQ(far.x, 2.0 + 20 * 8.0);
    EXPECT_DOUBLE_EQ(far.y, 4.0);

    // A survey's cables in electrode-number order, whatever the row order.
    Survey survey;
    survey.cableNames = {"L1", "Rem_1"};
    for (int k : {3, 1, 4, 2, 5}) survey.electrodes.push_back({1, k, 2.0 * k, 0, 0, 0, 2});
    survey.electrodes.push_back({2, 1, 0, 500, 0, 0, 2});
    ASSERT_EQ(surveyLayout(survey, layout, log), Status::Ok);
    ASSERT_EQ(layout.lines.size(), 1u);
    EXPECT_EQ(layout.lines[0], (std::vector<std::int32_t>{1, 3, 0, 2, 4}));
    EXPECT_DOUBLE_EQ(layout.spacing, 2.0);

    struct Bad {
        const char* message;
        Status (*make)(ElectrodeLayout&, MessageLog&);
    };
    const Bad bad[] = {
        {"A layout of 3 electrodes: between 4 and 100000 are designed.",
         [](ElectrodeLayout& l, MessageLog& m) { return cableLineLayout(1, 3, 1.0, l, m); }},
        {"The electrode spacing must be above 0 m.",
         [](ElectrodeLayout& l, MessageLog& m) { return cableLineLayout(1, 10, 0.0, l, m); }},
        {"A grid needs 2 or more electrodes per row and 1 or more rows.",
         [](ElectrodeLayout& l, MessageLog& m) { return gridLayout(1, 8, 1.0, 1.0, l, m); }},
        {"A layout of 160000 electrodes: between 4 and 100000 are designed.",
         [](ElectrodeLayout& l, MessageLog& m) { return gridLayout(400, 400, 1.0, 1.0, l, m); }},
        {"The grid spacings must be above 0 m.",
         [](ElectrodeLayout& l, MessageLog& m) { return gridLayout(4, 4, 1.0, -1.0, l, m); }},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.message);
        ElectrodeLayout kept = layout;
        MessageLog messages;
        EXPECT_EQ(b.make(kept, messages), Status::Error);
        EXPECT_EQ(messages.lastError(), b.message);
        EXPECT_EQ(kept.electrodes, layout.electrodes);
    }
}

}  // namespace
