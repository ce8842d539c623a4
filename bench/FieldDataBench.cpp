// The field data window's table operations on 1,000,000 quadrupoles: a sort
// by a value column, a sort by a pole column, and one removal step.

#include <benchmark/benchmark.h>

#include <random>

#include "core/datafile/SurveyChecks.h"
#include "core/fielddata/QuadSort.h"
#include "core/fielddata/Removal.h"

namespace {

using namespace vexora;

// 8 cables of 128 electrodes, random dipole-dipole-like quadrupoles.
struct Table {
    Survey survey;
    ReciprocalPairing reciprocals;
    FieldDataValues values;
};

Table generatedTable(std::size_t quadrupoles)
{
    Table t;
    Survey& s = t.survey;
    for (int c = 1; c <= 8; ++c) {
        s.cableNames.push_back("C" + std::to_string(c));
        for (int e = 1; e <= 128; ++e) s.electrodes.push_back({c, e, 2.0 * e, 10.0 * c, 0, 0, 2});
    }
    MessageLog log;
    (void)funCreateElecTable(s, log);  // the generated electrodes are valid
    std::mt19937 random(11);
    std::uniform_int_distribution<int> cable(1, 8), electrode(1, 125);
    std::lognormal_distribution<double> resistance(0, 2);
    std::uniform_real_distribution<double> sign(-0.1, 1);
    QuadrupoleTable& q = s.quadrupoles;
    q.ip.resize(1);
    for (std::size_t k = 0; k < quadrupoles; ++k) {
        const int c = cable(random), e = electrode(random);
        q.rows.push_back({static_cast<std::int32_t>(k + 1), {{c, e}, {c, e + 1}, {c, e + 2}, {cable(random), e + 3}}});
        const double r = resistance(random) * (sign(random) < 0 ? -1 : 1);
        q.resistance.push_back(r);
        q.ip[0].push_back(std::abs(r));
        q.current.push_back(100);
        q.skip.push_back(0);
        t.values.voltage.push_back(100 * r);
        t.values.q.push_back(0.5);
        t.values.factor.push_back(50);
    }
    return t;
}

void sortBench(benchmark::State& state, int column, bool absolute)
{
    Table t = generatedTable(static_cast<std::size_t>(state.range(0)));
    bool up = true;
    for (auto _ : state) {
        // Alternating directions: every pass moves the rows.
        sortQuadrupoles(t.survey, t.reciprocals, t.values, column,
                        up ? SortDirection::Increasing : SortDirection::Decreasing, absolute, 0);
        up = !up;
        benchmark::DoNotOptimize(t.survey.quadrupoles.rows.data());
    }
}

void BM_SortByValue(benchmark::State& state) { sortBench(state, ColResistance, true); }
BENCHMARK(BM_SortByValue)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SortByPole(benchmark::State& state) { sortBench(state, ColM, false); }
BENCHMARK(BM_SortByPole)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RemovalStep(benchmark::State& state)
{
    Table t = generatedTable(static_cast<std::size_t>(state.range(0)));
    RemovalRule rule;
    rule.quantity = RemovalQuantity::Rho;
    rule.relation = Relation::Less;
    rule.threshold = 0;
    for (auto _ : state) {
        (void)applyRemoval(rule, t.survey, t.reciprocals, t.values);  // always Ok: no reciprocals needed
        undoRemoval(t.survey.quadrupoles);
    }
}
BENCHMARK(BM_RemovalStep)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
