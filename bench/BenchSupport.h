#pragma once
// What the benchmarks share: generated survey files written once per run,
// wall-clock seconds and peak memory.

#include <sys/resource.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>

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

// The process's peak resident memory so far.
inline double peakResidentMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace vexora::bench
