#pragma once
// What the benchmarks share: generated survey files written once per run,
// wall-clock seconds, the fastest time of each operation and peak memory.

#include <sys/resource.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <map>
#include <string>

#include <benchmark/benchmark.h>

#include "core/io/TextFile.h"
#include "../tests/support/SurveyGenerator.h"

namespace vexora::bench {

// A generated survey of `quadrupoles` rows in the temporary folder under
// `name`; written on the first call with that name.
inline std::filesystem::path generatedSurveyFile(const std::string& name, std::size_t quadrupoles)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() / name;
    if (!std::filesystem::exists(path)) {
        testing::GeneratedSurveyOptions options;
        options.quadrupoles = quadrupoles;
        writeFileAtomically(path, testing::generateSurveyText(options));
    }
    return path;
}

inline double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Fastest iteration of each measured operation of this run, in seconds, by
// name: ratios between operations are taken from it.
inline std::map<std::string, double>& best()
{
    static std::map<std::string, double> times;
    return times;
}

// Times each iteration of `fn` by hand (for UseManualTime) and keeps the
// fastest under `name`.
template <class Fn>
void timed(benchmark::State& state, const std::string& name, Fn&& fn)
{
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        fn();
        const double seconds = secondsSince(start);
        state.SetIterationTime(seconds);
        auto [it, added] = best().try_emplace(name, seconds);
        if (!added && seconds < it->second) it->second = seconds;
    }
}

// The process's peak resident memory so far.
inline double peakResidentMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace vexora::bench
