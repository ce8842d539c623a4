// Binary instrument import of a generated file: read, schedule extraction,
// profile renumbering and the fill step with geometric factors. The time per
// record at 200,000 records must stay within 1.5 times that at 20,000: the
// electrodes grow with the records (one per ten), so any search of earlier
// electrodes would show as a growing ratio.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <unistd.h>

#include "../tests/core/ImportTestSupport.h"
#include "core/import/ImportDriver.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;

std::map<std::int64_t, double>& perRecord()
{
    static std::map<std::int64_t, double> seconds;
    return seconds;
}

// Records on a grid of lines 1 m apart, 50 electrodes a line; `records` / 10
// electrodes in all, each used by several dipole-dipoles.
fs::path generatedFile(std::int64_t records)
{
    const fs::path path = fs::temp_directory_path() /
                          ("vexora_import_bench_" + std::to_string(records) + "_" + std::to_string(::getpid()) + ".bin");
    if (fs::exists(path)) return path;
    const std::int64_t electrodes = records / 10;
    std::string bytes = testing::binHeader();
    bytes.reserve(1029 + static_cast<std::size_t>(records) * 304);
    for (std::int64_t k = 0; k < records; ++k) {
        testing::BinRecord r;
        for (int p = 0; p < 4; ++p) {
            const std::int64_t e = (k + p * 7 + (k / electrodes) * 3) % electrodes;
            r.pole[p] = {static_cast<float>(e % 50), static_cast<float>(e / 50), 0};
        }
        r.v = static_cast<float>(k % 1000) - 500.0f;
        r.i = 100;
        testing::appendRecord(bytes, r);
    }
    testing::writeScratch(path.parent_path(), path.filename().string(), bytes);
    return path;
}

void BM_ImportBinary(benchmark::State& state)
{
    const std::int64_t records = state.range(0);
    const fs::path path = generatedFile(records);
    BinImportOptions options;
    options.binFile = path;
    double fastest = 1e300;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        ImportSet set;
        ImportGrids grids;
        MessageLog log;
        if (funImportBinFile(options, set, grids, log) != ImportStatus::Ok) state.SkipWithError("import failed");
        benchmark::DoNotOptimize(grids.quadrupoles.data());
        fastest = std::min(fastest, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    perRecord()[records] = fastest / static_cast<double>(records);
    state.counters["us_per_record"] = fastest / static_cast<double>(records) * 1e6;
    state.SetItemsProcessed(state.iterations() * records);
    fs::remove(path);
}
BENCHMARK(BM_ImportBinary)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_ImportBinaryScaling(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(perRecord().size());
    if (perRecord().count(20000) && perRecord().count(200000))
        state.counters["ratio_200k_to_20k"] = perRecord()[200000] / perRecord()[20000];
}
BENCHMARK(BM_ImportBinaryScaling)->Iterations(1);

}  // namespace
