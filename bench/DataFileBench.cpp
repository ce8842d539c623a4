// Data-file load and save against baselines measured in the same run:
//  - load baseline: read the file, split it into lines, parse every field
//    with std::from_chars;
//  - save baseline: format the same numbers with std::to_chars into one
//    buffer.
// The last benchmark reports the ratios and the peak memory of a load.

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "core/datafile/ScheduleLoader.h"
#include "core/datafile/ScheduleWriter.h"
#include "core/datafile/FormatChecks.h"
#include "core/io/TextFile.h"
#include "core/platform/ScriptedQuestions.h"
#include "../tests/support/SurveyGenerator.h"
#include "BenchSupport.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;

using bench::best;
using bench::timed;

const fs::path& surveyFile(std::size_t quadrupoles)
{
    static std::map<std::size_t, fs::path> files;
    auto it = files.find(quadrupoles);
    if (it != files.end()) return it->second;
    testing::GeneratedSurveyOptions options;
    options.quadrupoles = quadrupoles;
    options.ipWindows = 1;
    const fs::path path = fs::temp_directory_path() / ("vexora_bench_" + std::to_string(quadrupoles) + ".data");
    writeFileAtomically(path, testing::generateSurveyText(options));
    return files.emplace(quadrupoles, path).first->second;
}

int loadSurvey(ProjectStore& store, const fs::path& path)
{
    MessageLog log;
    ScriptedQuestions answers;
    answers.setDefaultAnswer(true);
    store.type = ProjectType::DataInversion;
    return static_cast<int>(funInputScheduleFile(store, {path, store.type}, log, answers));
}

double parseEveryNumber(const std::string& text)
{
    double sum = 0.0;
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        const char* eol = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        if (!eol) eol = end;
        const char* q = p;
        while (q < eol) {
            while (q < eol && (*q == '\t' || *q == ' ' || *q == '\r' || *q == ',')) ++q;
            const char* fieldEnd = q;
            while (fieldEnd < eol && *fieldEnd != '\t' && *fieldEnd != ' ' && *fieldEnd != '\r' && *fieldEnd != ',')
                ++fieldEnd;
            double v = 0.0;
            std::from_chars(q, fieldEnd, v);
            sum += v;
            q = fieldEnd;
        }
        p = eol + 1;
    }
    return sum;
}

void BM_LoadBaseline(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    const fs::path& path = surveyFile(n);
    timed(state, "baseline_load_" + std::to_string(n), [&] {
        std::string text;
        readTextFile(path, text);
        benchmark::DoNotOptimize(parseEveryNumber(text));
    });
    state.counters["ns_per_quadrupole"] = 1e9 * best()["baseline_load_" + std::to_string(n)] / static_cast<double>(n);
}

void BM_Load(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    const fs::path& path = surveyFile(n);
    timed(state, "load_" + std::to_string(n), [&] {
        ProjectStore store;
        if (loadSurvey(store, path) != 0) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(store.survey.quadrupoles.size());
    });
    state.counters["ns_per_quadrupole"] = 1e9 * best()["load_" + std::to_string(n)] / static_cast<double>(n);
    state.counters["file_MB"] = static_cast<double>(fs::file_size(path)) / 1e6;
}

// Formats the values the writer writes, in the same widths, with to_chars.
void BM_SaveBaseline(benchmark::State& state)
{
    ProjectStore store;
    loadSurvey(store, surveyFile(1000000));
    const Survey& s = store.survey;
    const QuadrupoleTable& q = s.quadrupoles;
    timed(state, "baseline_save", [&] {
        std::string out;
        out.reserve(q.size() * 120);
        char buffer[64];
        auto put = [&](auto value, auto... format) {
            auto r = std::to_chars(buffer, buffer + sizeof buffer, value, format...);
            out.append(buffer, static_cast<std::size_t>(r.ptr - buffer));
            out += '\t';
        };
        for (std::size_t k = 0; k < q.size(); ++k) {
            put(q.rows[k].id);
            for (const ElectrodeRef& ref : q.rows[k].pole) {
                out += s.cableNames[static_cast<std::size_t>(ref.cable - 1)];
                out += '\t';
                put(ref.number);
            }
            put(q.resistance[k], std::chars_format::fixed, 8);
            put(q.ip[0][k], std::chars_format::fixed, 8);
            put(q.current[k], std::chars_format::fixed, 3);
            put(static_cast<int>(q.skip[k]));
            put(q.resistanceStd[k], std::chars_format::fixed, 8);
            put(q.ipStd[0][k], std::chars_format::fixed, 8);
            out += "\r\n";
        }
        benchmark::DoNotOptimize(out.data());
    });
}

void BM_Save(benchmark::State& state)
{
    ProjectStore store;
    loadSurvey(store, surveyFile(1000000));
    ScheduleLayouts layouts;
    MessageLog log;
    // The generated survey's layouts are always valid.
    (void)funCheckFormatCfgForOutput(store.settings, store.survey.present, store.survey.quadrupoles.ipWindows(),
                                     layouts.electrodes, layouts.data, layouts.topography, log);
    timed(state, "save_text", [&] {
        std::string text = scheduleBlocksText(store.survey, layouts, 0, false);
        benchmark::DoNotOptimize(text.data());
    });
}

void BM_SaveFile(benchmark::State& state)
{
    ProjectStore store;
    loadSurvey(store, surveyFile(1000000));
    const fs::path out = fs::temp_directory_path() / "vexora_bench_out.data";
    MessageLog log;
    timed(state, "save_file", [&] {
        if (saveDataFile(store, out, false, log) != Status::Ok) state.SkipWithError("save failed");
    });
    fs::remove(out);
}

// Peak resident memory of one load, in a child process so that nothing
// else of the benchmark counts.
double loadPeakBytes(const fs::path& path)
{
    int pipeFd[2];
    if (pipe(pipeFd) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        auto status = [](const char* key) {
            std::ifstream in("/proc/self/status");
            std::string line;
            while (std::getline(in, line))
                if (line.rfind(key, 0) == 0) return std::stod(line.substr(std::strlen(key))) * 1024.0;
            return 0.0;
        };
        { std::ofstream("/proc/self/clear_refs") << "5"; }  // restart the peak counter
        const double before = status("VmRSS:");
        ProjectStore store;
        loadSurvey(store, path);
        const double peak = status("VmHWM:") - before;
        if (write(pipeFd[1], &peak, sizeof peak) != sizeof peak) _exit(1);
        _exit(0);
    }
    double peak = -1;
    if (read(pipeFd[0], &peak, sizeof peak) != sizeof peak) peak = -1;
    waitpid(child, nullptr, 0);
    close(pipeFd[0]);
    close(pipeFd[1]);
    return peak;
}

void BM_Ratios(benchmark::State& state)
{
    const fs::path& path = surveyFile(1000000);
    const double peak = loadPeakBytes(path);
    for (auto _ : state) {
    }
    auto& t = best();
    state.counters["load_over_baseline_1M"] = t["load_1000000"] / t["baseline_load_1000000"];
    state.counters["load_over_baseline_100k"] = t["load_100000"] / t["baseline_load_100000"];
    state.counters["save_text_over_baseline"] = t["save_text"] / t["baseline_save"];
    state.counters["save_file_over_baseline"] = t["save_file"] / t["baseline_save"];
    state.counters["per_quad_1M_over_100k"] = (t["load_1000000"] / 1e6) / (t["load_100000"] / 1e5);
    state.counters["peak_load_memory_over_file"] = peak / static_cast<double>(fs::file_size(path));
}

BENCHMARK(BM_LoadBaseline)->Arg(100000)->Arg(1000000)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->Arg(100000)->Arg(1000000)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveBaseline)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveFile)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Ratios)->Iterations(1);

}  // namespace
