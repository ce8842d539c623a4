// What the inversion workspace adds to the load of the generated
// 1,000,000-quadrupole survey: the sequence-file check, the default mesh
// settings, the configuration read again and the mesh dimensions. The
// core load is measured beside it as the baseline; the counters give the
// addition in seconds.

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>

#include "core/datafile/ScheduleLoader.h"
#include "core/io/TextFile.h"
#include "core/jobs/InversionWorkspace.h"
#include "core/mesh/MeshDimensions.h"
#include "core/platform/ScriptedQuestions.h"
#include "BenchSupport.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;

const fs::path& millionSurvey()
{
    static const fs::path file = bench::generatedSurveyFile("vexora_invwork_bench.data", 1000000);
    return file;
}


void BM_InvWorkLoadOfAMillionQuadrupoles(benchmark::State& state)
{
    const fs::path& file = millionSurvey();
    double core = 0, added = 0;
    for (auto _ : state) {
        ProjectStore store;
        store.type = ProjectType::DataInversion;
        MessageLog log;
        ScriptedQuestions questions;
        // The same load without and with the workspace's completion.
        auto start = std::chrono::steady_clock::now();
        if (funInputScheduleFile(store, {file, store.type}, log, questions) != LoadStatus::Loaded)
            state.SkipWithError("load failed");
        core = bench::secondsSince(start);

        start = std::chrono::steady_clock::now();
        if (funInputScheduleFile(store, {file, store.type, true, true}, log, questions) != LoadStatus::Loaded)
            state.SkipWithError("load failed");
        added = bench::secondsSince(start) - core;
        start = std::chrono::steady_clock::now();
        MeshDimensions dimensions;
        (void)CalculateMeshDimensions(store.settings, dimensions, log);  // timed: the labels show either outcome
        benchmark::DoNotOptimize(meshDimensionLabels(dimensions));
        added += bench::secondsSince(start);
        state.SetIterationTime(core + added);
    }
    state.counters["core_load_s"] = core;
    state.counters["workspace_added_s"] = added;
}
BENCHMARK(BM_InvWorkLoadOfAMillionQuadrupoles)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
