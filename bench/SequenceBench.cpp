// A measuring sequence of 100,000 quadrupoles on a 1,000-electrode grid,
// designed and written as `vexora sequence` does; the target is 2 s.

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>

#include "core/sequence/SequenceFile.h"

namespace {

using namespace vexora;

void BM_SequenceOnA1000ElectrodeGrid(benchmark::State& state)
{
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "vexora_bench_sequence.data";
    std::size_t quadrupoles = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        MessageLog log;
        ElectrodeLayout layout;
        SequenceDesign design;
        SequenceOptions options;
        options.arrays = {ArrayKind::DipoleDipole, ArrayKind::CrossLine, ArrayKind::Equatorial, ArrayKind::Gradient};
        options.aMax = 3, options.nMax = 9, options.lineGap = 2, options.channels = 16;
        if (gridLayout(40, 25, 1.0, 2.0, layout, log) != Status::Ok ||
            designSequence(layout, options, design, log) != Status::Ok ||
            saveSequence(design, kDefaultDesignResistivity, file, log) != Status::Ok) {
            state.SkipWithError(log.plainText().c_str());
            return;
        }
        quadrupoles = design.quadrupoles.size();
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["quadrupoles"] = static_cast<double>(quadrupoles);
    std::filesystem::remove(file);
}
BENCHMARK(BM_SequenceOnA1000ElectrodeGrid)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
