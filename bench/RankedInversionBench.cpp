// One inversion job of the sample survey run by the core's program as one
// process of two threads and as two MPI ranks of one thread each (the
// manager's mpirun command line): the seconds per iteration from the job's
// own log, the rows of J each process holds and the largest process's peak
// memory. Skipped when the core is built without MPI or mpirun is missing.

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "core/io/TextFile.h"
#include "core/jobs/RurVexora.h"
#include "core/platform/ChildProcess.h"
#include "engine/script/JobSteps.h"
#include "engine/script/ProgramArguments.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;

// The sample's inversion job for `threads` threads and three iterations in
// a fresh folder; its script, or nothing when it cannot be prepared.
std::optional<fs::path> sampleJob(const std::string& name, int threads)
{
    ProjectStore store;
    MessageLog log;
    if (loadJobDataFile(store, std::string(VEXORA_SAMPLES_DIR) + "/sample_survey.data", log) != Status::Ok)
        return std::nullopt;
    setSettingText(store.settings, Item::CpuThreads, std::to_string(threads));
    setSettingText(store.settings, Item::MaxIterationsRho, "3");
    setSettingText(store.settings, Item::SaveIterations, "2");
    const fs::path folder = fs::temp_directory_path() / (name + ".VXRprj");
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::path script;
    if (prepareRurJob(store, folder, "INV", script, log) != Status::Ok) return std::nullopt;
    return script;
}

// Seconds of each "Iteration N: roughness ..., 10.8 s (forward ..." line.
std::vector<double> iterationSeconds(const std::string& log)
{
    std::vector<double> seconds;
    for (std::size_t at = 0; (at = log.find("Iteration ", at)) != std::string::npos; ++at) {
        const std::size_t end = log.find(" s (forward", at), line = log.find('\n', at);
        if (end == std::string::npos || end > line) continue;
        const std::size_t start = log.rfind(", ", end);
        seconds.push_back(std::stod(log.substr(start + 2, end - start - 2)));
    }
    return seconds;
}

// Arguments: ranks, threads per rank.
void BM_InversionOfTheSampleOnRanks(benchmark::State& state)
{
    const int ranks = static_cast<int>(state.range(0)), threads = static_cast<int>(state.range(1));
    for (auto _ : state) {
        const std::optional<fs::path> script =
            sampleJob("vexora_bench_ranks_" + std::to_string(ranks) + "x" + std::to_string(threads), threads);
        if (!script) return state.SkipWithError("the sample job could not be prepared");
        std::string why;
        const std::optional<CoreCommand> command =
            coreCommand(fs::path(VEXORA_APP_DIR) / kCoreName, *script, {ranks, {}}, why);
        if (!command) return state.SkipWithError(why.c_str());
        // A fresh child waits for the job, so that its children's peak is
        // this job's largest process (mpirun reaps the ranks).
        int pipe[2];
        if (::pipe(pipe) != 0) return state.SkipWithError("no pipe");
        const pid_t child = fork();
        if (child == 0) {
            const std::optional<int> core = startChildProcess(command->program, command->arguments, {}, &why);
            std::optional<ProcessEnd> end;
            while (core && !(end = childProcessEnd(*core))) std::this_thread::sleep_for(std::chrono::milliseconds(50));
            rusage usage{};
            getrusage(RUSAGE_CHILDREN, &usage);
            const long peakKilobytes = end && *end == ProcessEnd{} ? usage.ru_maxrss : -1;
            _exit(write(pipe[1], &peakKilobytes, sizeof peakKilobytes) == sizeof peakKilobytes ? 0 : 1);
        }
        close(pipe[1]);
        long peakKilobytes = -1;
        if (read(pipe[0], &peakKilobytes, sizeof peakKilobytes) != sizeof peakKilobytes) peakKilobytes = -1;
        close(pipe[0]);
        waitpid(child, nullptr, 0);
        std::string log;
        readTextFile(script->parent_path() / kInvLogFile, log);
        const std::vector<double> seconds = iterationSeconds(log);
        if (peakKilobytes < 0 || seconds.empty()) return state.SkipWithError(("the job failed:\n" + log).c_str());
        state.counters["peak_MB_largest_process"] = static_cast<double>(peakKilobytes) / 1024;
        double sum = 0;
        for (double s : seconds) sum += s;
        state.counters["s_per_iteration"] = sum / static_cast<double>(seconds.size());
        // "Memory: about ... sensitivity matrix 590 MB)": this process's share of J.
        const std::size_t memory = log.find("Memory: about "), matrix = log.find("sensitivity matrix ", memory);
        if (memory != std::string::npos) state.counters["estimate_MB"] = std::stod(log.substr(memory + 14));
        if (matrix != std::string::npos) state.counters["J_MB_per_rank"] = std::stod(log.substr(matrix + 19));
    }
}
BENCHMARK(BM_InversionOfTheSampleOnRanks)->Args({1, 2})->Args({2, 1})->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
