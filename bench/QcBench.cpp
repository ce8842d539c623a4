// Reciprocal check, histogram and cross-cable map on generated surveys: the check sorts once
// and bisects per row, so the time per quadrupole should grow only with log n.

#include <benchmark/benchmark.h>

#include <random>

#include "core/datafile/SurveyChecks.h"
#include "core/import/GeometricFactor.h"
#include "core/qc/CrossCableMap.h"
#include "core/qc/Histogram.h"
#include "core/qc/ReciprocalCheck.h"

namespace {

using namespace vexora;

// 8 cables of 128 electrodes; every measurement comes with its reciprocal,
// half of them with the dipoles written the other way round.
Survey generatedSurvey(std::size_t quadrupoles)
{
    Survey s;
    for (int c = 1; c <= 8; ++c) {
        s.cableNames.push_back("C" + std::to_string(c));
        for (int e = 1; e <= 128; ++e) s.electrodes.push_back({c, e, 2.0 * e, 10.0 * c, 0, 0, 2});
    }
    MessageLog log;
    (void)funCreateElecTable(s, log);  // the generated electrodes are valid
    std::mt19937 random(7);
    std::uniform_int_distribution<int> cable(1, 8), electrode(1, 125);
    std::normal_distribution<double> noise(0, 0.02);
    QuadrupoleTable& q = s.quadrupoles;
    q.ip.resize(1);
    auto add = [&](std::int32_t id, const ElectrodeRef (&p)[4], double value) {
        q.rows.push_back({id, {p[0], p[1], p[2], p[3]}});
        q.resistance.push_back(value);
        q.ip[0].push_back(std::abs(value));
        q.current.push_back(100);
        q.skip.push_back(0);
    };
    for (std::int32_t id = 1; q.size() + 1 < quadrupoles; id += 2) {
        const int c = cable(random), e = electrode(random);
        const ElectrodeRef p[4] = {{c, e}, {c, e + 1}, {c, e + 2 + id % 2}, {cable(random), e + 3}};
        const double value = 1 + noise(random);
        add(id, p, value);
        const ElectrodeRef r[4] = {p[2], p[3], p[0], p[1]};
        const ElectrodeRef swapped[4] = {p[3], p[2], p[0], p[1]};
        if (id % 4 == 1) add(id + 1, r, value * (1 + noise(random)));
        else add(id + 1, swapped, -value * (1 + noise(random)));
    }
    return s;
}

void BM_ReciprocalCheck(benchmark::State& state)
{
    const Survey survey = generatedSurvey(static_cast<std::size_t>(state.range(0)));
    ReciprocalResult result;
    MessageLog log;
    for (auto _ : state) {
        (void)DoReciprocalCheck(survey, ReciprocalValue::Resistance, result, log);  // timed only; the survey is valid
        benchmark::DoNotOptimize(result.pairs);
    }
    const double n = static_cast<double>(survey.quadrupoles.size());
    // Seconds per quadrupole, printed with an SI prefix ("95n" is 95 ns).
    state.counters["time_per_quadrupole"] = benchmark::Counter(
            n * static_cast<double>(state.iterations()),
            benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["pairs"] = static_cast<double>(result.pairs);
}
BENCHMARK(BM_ReciprocalCheck)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HistogramModel(benchmark::State& state)
{
    std::vector<double> values(static_cast<std::size_t>(state.range(0)));
    std::mt19937 random(5);
    std::lognormal_distribution<double> resistance(3, 1);
    for (double& v : values) v = resistance(random);
    HistogramModel model;
    MessageLog log;
    for (auto _ : state) {
        (void)funPlotHistogram(values, "V/I", model, log);  // timed only; the values are valid
        benchmark::DoNotOptimize(model.binCount);
    }
}
BENCHMARK(BM_HistogramModel)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

// One rebuild of the cross-cable map window on a large 3D survey: the map
// of one cable pair and the picture of a layer. The window takes the
// geometric factors once when shown, not at each rebuild.
void BM_CrossCableRebuild(benchmark::State& state)
{
    const Survey survey = generatedSurvey(static_cast<std::size_t>(state.range(0)));
    const std::vector<double> factors = funGeometricFactor(survey, false);
    std::size_t cells = 0;
    for (auto _ : state) {
        const CrossCableMap map = buildCrossCableMap(survey, factors, CrossCableArray::DipoleDipole, 1, 2);
        const CrossCablePicture picture = crossCablePicture(survey, factors, map, {});
        cells = map.layers.empty() ? 0 : map.layers.begin()->second.size();
        benchmark::DoNotOptimize(picture.cells.data());
    }
    state.counters["cells_layer_1"] = static_cast<double>(cells);
}
BENCHMARK(BM_CrossCableRebuild)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
