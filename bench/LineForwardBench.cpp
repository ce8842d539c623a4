// The 2.5D forward model against the 3D one on a line of 48 electrodes 1 m
// apart over two layers (100 over 10 ohm m at 5 m): dipole-dipole spreads
// n = 1..40 (1020 quadrupoles), both through runJobForwardModel on the same
// store, with their errors against the image series.
//
//   vexora_bench --benchmark_filter=LineForward

#include <benchmark/benchmark.h>

#include "../tests/engine/ForwardTestSupport.h"
#include "BenchSupport.h"

namespace vexora {
namespace {

using namespace vexora::testing;

std::vector<Quad> wideDipoleDipole(int count, int widest)
{
    std::vector<Quad> q;
    for (int n = 1; n <= widest; ++n)
        for (int i = 1; i + n + 2 <= count; ++i) q.push_back({i, i + 1, i + n + 1, i + n + 2});
    return q;
}

void LineForward(benchmark::State& state)
{
    const auto dimension = state.range(0) == 2 ? ForwardDimension::Two : ForwardDimension::Three;
    const std::vector<Quad> quads = wideDipoleDipole(48, 40);
    ProjectStore store = lineSurvey(48, 1.0, quads);
    setSettingText(store.settings, Item::ForegroundZMin, "-5.000");
    setSettingText(store.settings, Item::CpuThreads, "2");
    MessageLog log;
    if (buildMesh(store, log) != Status::Ok) {
        state.SkipWithError(log.plainText().c_str());
        return;
    }
    setTwoLayers(store, 100, 10, 5);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (runJobForwardModel(store, log, {}, dimension) != Status::Ok) {
            state.SkipWithError(log.plainText().c_str());
            return;
        }
        state.counters["seconds"] = bench::secondsSince(start);
    }
    const std::vector<double> error = twoLayerErrors(store, quads, 100, 10, 5);
    state.counters["medianErrorPercent"] = 100 * median(error);
    state.counters["maxErrorPercent"] = 100 * *std::max_element(error.begin(), error.end());
    state.counters["blocks3D"] = static_cast<double>(store.models.conductivity.size());
    state.counters["peakMB"] = bench::peakResidentMegabytes();
}
BENCHMARK(LineForward)->Arg(2)->Arg(3)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace vexora
