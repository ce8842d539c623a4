// The forward model's solvers on meshes of about 100,000 and 1,000,000 nodes
// with 48 current electrodes (4 lines of 12 electrodes 2 m apart, lines 4 m
// apart) over a layered model with a conductive box:
//   StencilSweep    one product with the 27-point stencil matrix (the
//                   memory-bandwidth bound of an iteration);
//   SsorPcgSource   one source by SSOR-PCG: iterations, time per iteration;
//   AllSources      every source by the chosen solver (kind 0 SSOR-PCG,
//                   1 CHOLMOD) and thread count; at 1,000,000 nodes SSOR-PCG
//                   runs 4 sources and reports the time for 48 pro rata.
// Every case reports the process's peak memory so far (VmHWM).

#include <benchmark/benchmark.h>

#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "datafile/SurveyChecks.h"
#include "forward/PoleFields.h"
#include "mesh/DefaultMeshSettings.h"
#include "mesh/MeshBuild.h"
#include "solver/SolverChoice.h"
#include "solver/SsorPcg.h"

using namespace vexora;

namespace {

double peakMegabytes()
{
    std::ifstream in("/proc/self/status");
    std::string key;
    double kb = 0;
    while (in >> key)
        if (key == "VmHWM:" && in >> kb) return kb / 1024;
    return 0;
}

struct Problem {
    ProjectStore store;
    std::vector<double> sigma;
    ForwardSystem system;
    std::vector<MeshPoint> sources;
};

// Interior element size for about 100,000 (0) or 1,000,000 (1) nodes.
Problem& problem(int size)
{
    static std::map<int, std::unique_ptr<Problem>> made;
    if (auto it = made.find(size); it != made.end()) return *it->second;
    auto p = std::make_unique<Problem>();
    Survey& s = p->store.survey;
    s.cableNames = {"L1", "L2", "L3", "L4"};
    for (int c = 1; c <= 4; ++c)
        for (int i = 1; i <= 12; ++i) {
            Electrode e;
            e.cable = c, e.number = i, e.x = 2.0 * (i - 1), e.y = 4.0 * (c - 1), e.type = 2;
            s.electrodes.push_back(e);
        }
    MessageLog log;
    funCreateElecTable(s, log);
    SetDefaultMeshSettings(s, p->store.settings, p->store.mesh.lines, log);
    const char* h = size == 0 ? "0.4" : "0.13";
    for (Item item : {Item::GridSizeX, Item::GridSizeY, Item::GridSizeZ}) setSettingText(p->store.settings, item, h);
    MeshBuildOutcome outcome;
    applyMeshSettings(p->store, log);
    funMakeMesh(p->store, log, outcome);
    const Mesh& mesh = p->store.mesh;
    p->sigma.resize(p->store.models.conductivity.size());
    for (std::size_t e = 0; e < p->sigma.size(); ++e) {
        NodePoint c;
        for (std::int32_t n : mesh.elementNodes[e]) {
            const NodePoint& q = mesh.nodeGrid[static_cast<std::size_t>(n - 1)];
            c.x += q.x / 8, c.y += q.y / 8, c.z += q.z / 8;
        }
        const bool box = c.x > 8 && c.x < 14 && c.y > 2 && c.y < 10 && c.z > -3 && c.z < -1;
        p->sigma[e] = box ? 0.1 : c.z < -3.5 ? 0.02 : 0.01;
    }
    assembleForwardSystem(mesh, p->sigma, ForwardSettings{}.faces, {11, 6, 0}, 2, p->system);
    for (const Electrode& e : s.electrodes) {
        MeshPoint at;
        double raised = 0;
        locateInMesh(mesh, {e.x, e.y, e.z}, at, raised);
        p->sources.push_back(at);
    }
    return *(made[size] = std::move(p));
}

void addCommon(benchmark::State& state, const Problem& p)
{
    const Mesh& m = p.store.mesh;
    state.counters["nodes"] = static_cast<double>(m.nx) * m.ny * m.nz;
    state.counters["peakMB"] = peakMegabytes();
}

void StencilSweep(benchmark::State& state)
{
    Problem& p = problem(static_cast<int>(state.range(0)));
    const std::size_t n = static_cast<std::size_t>(p.system.system.gridPoints());
    std::vector<double> x(n, 1.0), y(n);
    for (auto _ : state) {
        multiply(p.system.system, x, y);
        benchmark::DoNotOptimize(y.data());
    }
    addCommon(state, p);
}

void SsorPcgSource(benchmark::State& state)
{
    Problem& p = problem(static_cast<int>(state.range(0)));
    const std::size_t n = static_cast<std::size_t>(p.system.system.gridPoints());
    std::vector<double> up(n), b(n), x(n);
    const PoleSource source = poleSourceAt(p.sources[17], p.sigma);
    primaryPotential(p.store.mesh, source, p.sources[17], up);
    secondaryRightHandSide(p.store.mesh, p.system, p.sigma, source, p.sources[17], up, b);
    SolveReport report;
    for (auto _ : state) report = ssorPcg(p.system.system, IterationSettings{}, b, x);
    state.counters["iterations"] = report.iterations;
    state.counters["secondsPerIteration"] = benchmark::Counter(
        report.iterations, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    addCommon(state, p);
}

void AllSources(benchmark::State& state)
{
    Problem& p = problem(static_cast<int>(state.range(0)));
    const bool direct = state.range(1) == 1;
    const int threads = static_cast<int>(state.range(2));
    const std::size_t count = state.range(0) == 1 && !direct ? 4 : p.sources.size();
    PoleRun run;
    std::string why;
    double sum = 0;
    for (auto _ : state) {
        // The direct path may take a factor of up to 4 GB.
        const auto solver = makeLinearSolver(p.system.system, IterationSettings{}, threads, 8ull << 30, 48,
                                             direct ? SolverKind::Direct : SolverKind::SsorPcg, why);
        if (!solver) {
            state.SkipWithError(why.c_str());
            return;
        }
        run = solvePoleFields(p.store.mesh, p.system, *solver, {p.sources.data(), count}, p.sigma, threads,
                              [&](std::size_t j, const PoleSource& s, std::span<const double> us) {
                                  if (j != 40) sum += totalPotential(s, us, p.sources[40]);
                              },
                              {}, {});
    }
    state.SetLabel(why);
    state.counters["sources"] = static_cast<double>(count);
    state.counters["maxIterations"] = run.worst.iterations;
    state.counters["checksum"] = sum / static_cast<double>(state.iterations());
    addCommon(state, p);
}

}  // namespace

BENCHMARK(StencilSweep)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(SsorPcgSource)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(AllSources)
    ->Args({0, 0, 1})
    ->Args({0, 0, 2})
    ->Args({0, 1, 1})
    ->Args({0, 1, 2})
    ->Args({1, 0, 1})
    ->Args({1, 0, 2})
    ->Args({1, 1, 2})
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
