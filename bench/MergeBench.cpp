// Merge of ten 100,000-quadrupole data files against loading the same ten
// files, measured in the same run: the merge loads each file as a block,
// then joins the blocks (with and without the fusion of coinciding
// electrodes). The last benchmark reports the ratios.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "core/datafile/ScheduleLoader.h"
#include "core/merge/DataMerge.h"
#include "core/platform/ScriptedQuestions.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;

constexpr int kFiles = 10;
constexpr std::size_t kQuadrupoles = 100000;

using bench::best;
using bench::timed;

// The ten files are the same generated survey: the merge does not look at
// what the files share except in the orientation check and the fusion.
std::vector<fs::path> files()
{
    const fs::path one = bench::generatedSurveyFile("vexora_bench_merge_100k.data", kQuadrupoles);
    return std::vector<fs::path>(kFiles, one);
}

ScriptedQuestions yesToAll()
{
    ScriptedQuestions answers;
    answers.setDefaultAnswer(true);
    return answers;
}

void BM_LoadTen(benchmark::State& state)
{
    const std::vector<fs::path> paths = files();
    timed(state, "load", [&] {
        for (const fs::path& path : paths) {
            MessageLog log;
            ScriptedQuestions answers = yesToAll();
            ProjectStore store;
            store.type = ProjectType::DataInversion;
            if (funInputScheduleFile(store, {path, store.type}, log, answers) != LoadStatus::Loaded)
                state.SkipWithError("load failed");
            benchmark::DoNotOptimize(store.survey.quadrupoles.size());
        }
    });
}

void mergeTen(benchmark::State& state, const std::string& name, bool removeDuplicates)
{
    const std::vector<fs::path> paths = files();
    double join = HUGE_VAL;
    timed(state, name, [&] {
        MessageLog log;
        ScriptedQuestions answers = yesToAll();
        std::vector<MergeBlock> blocks(paths.size());
        for (std::size_t b = 0; b < paths.size(); ++b)
            if (loadMergeBlock(paths[b], static_cast<int>(b + 1), blocks[b], log, answers) != Status::Ok)
                state.SkipWithError("block load failed");
        const auto start = std::chrono::steady_clock::now();
        ProjectStore store;
        MergeOptions options;
        options.removeDuplicates = removeDuplicates;
        if (mergeBlocks(blocks, options, store, log) != Status::Ok) state.SkipWithError("merge failed");
        benchmark::DoNotOptimize(store.survey.quadrupoles.size());
        join = std::min(join, bench::secondsSince(start));
    });
    state.counters["join_ms"] = 1000 * join;  // the blocks joined, after their loads
}

void BM_MergeTen(benchmark::State& state) { mergeTen(state, "merge", false); }
void BM_MergeTenFused(benchmark::State& state) { mergeTen(state, "merge_fused", true); }

void BM_MergeRatios(benchmark::State& state)
{
    for (auto _ : state) {
    }
    auto& t = best();
    state.counters["merge_over_load"] = t["merge"] / t["load"];
    state.counters["merge_fused_over_load"] = t["merge_fused"] / t["load"];
}

BENCHMARK(BM_LoadTen)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MergeTen)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MergeTenFused)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MergeRatios)->Iterations(1);

}  // namespace
