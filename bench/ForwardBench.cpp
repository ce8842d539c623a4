// The forward model's solvers on meshes of about 100,000 and 1,000,000 nodes
// with 48 current electrodes (4 lines of 12 electrodes 2 m apart, lines 4 m
// apart) over a layered model with a conductive box:
//   StencilSweep    one product with the 27-point stencil matrix (the
//                   memory-bandwidth bound of an iteration);
//   SsorPcgSource   one source by plain or Eisenstat SSOR-PCG, or a lockstep
//                   batch of 8 by SSOR-PCG or multigrid PCG: iterations,
//                   time per iteration (per source), and for multigrid the
//                   levels and the time to build them on one thread;
//   AllSources      every source by one solution path (see kPlain below) and
//                   thread count; at 1,000,000 nodes the paths that solve one
//                   source at a time run 4 sources, secondsFor48 pro rata.
// Every case reports the process's peak memory so far (VmHWM).

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include "core/project/ProjectStore.h"
#include "core/datafile/SurveyChecks.h"
#include "engine/forward/PoleFields.h"
#include "core/mesh/DefaultMeshSettings.h"
#include "core/mesh/MeshBuild.h"
#include "engine/solver/CholmodSolver.h"
#include "engine/solver/MultigridPcg.h"
#include "engine/solver/SolverChoice.h"
#include "engine/solver/SsorPcg.h"

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

// Interior element size for about 95,000 (0), 1,000,000 (1), 229,000 (2) or 420,000 (3) nodes.
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
    // The generated line is valid: these steps cannot fail.
    (void)funCreateElecTable(s, log);
    (void)SetDefaultMeshSettings(s, p->store.settings, p->store.mesh.lines, log);
    const char* h = size == 0 ? "0.4" : size == 1 ? "0.13" : size == 2 ? "0.25" : "0.2";
    for (Item item : {Item::GridSizeX, Item::GridSizeY, Item::GridSizeZ}) setSettingText(p->store.settings, item, h);
    MeshBuildOutcome outcome;
    (void)applyMeshSettings(p->store.settings, p->store.mesh, log);
    (void)funMakeMesh(p->store.settings, p->store.survey, p->store.mesh, p->store.models, log, outcome);
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

// The right-hand side of source j.
std::vector<double> sourceRightHandSide(const Problem& p, std::size_t j)
{
    const std::size_t n = static_cast<std::size_t>(p.system.system.gridPoints());
    std::vector<double> up(n), b(n);
    const PoleSource source = poleSourceAt(p.store.mesh, p.sources[j], p.sigma);
    primaryPotential(p.store.mesh, source, p.sources[j], up);
    secondaryRightHandSide(p.store.mesh, p.system, p.sigma, source, p.sources[j], up, b);
    return b;
}

// Paths of range(1): 0 plain (textbook) SSOR-PCG one source at a time,
// 1 Eisenstat's form one source at a time, 2 Eisenstat's form in lockstep
// batches, 3 CHOLMOD, 4 multigrid PCG in lockstep batches, 5 the automatic
// choice.
constexpr int kPlain = 0, kEisenstat = 1, kBatched = 2, kDirect = 3, kMultigrid = 4, kChosen = 5;

void SsorPcgSource(benchmark::State& state)
{
    Problem& p = problem(static_cast<int>(state.range(0)));
    const int path = static_cast<int>(state.range(1));
    const std::size_t n = static_cast<std::size_t>(p.system.system.gridPoints());
    const std::size_t width = path == kBatched || path == kMultigrid ? kSsorBatchWidth : 1;
    std::vector<double> b, x(width * n);
    for (std::size_t j = 0; j < width; ++j) {
        const std::vector<double> bj = sourceRightHandSide(p, 17 + j);
        b.insert(b.end(), bj.begin(), bj.end());
    }
    std::vector<SolveReport> reports(width);
    const auto built = std::chrono::steady_clock::now();
    const MultigridHierarchy hierarchy =
        path == kMultigrid ? makeMultigridHierarchy(p.system.system, 1) : MultigridHierarchy{};
    if (path == kMultigrid) {
        state.counters["levels"] = static_cast<double>(hierarchy.levels.size());
        state.counters["hierarchySeconds"] =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - built).count();
    }
    for (auto _ : state) {
        if (path == kPlain)
            reports[0] = plainSsorPcg(p.system.system, IterationSettings{}, b, x);
        else if (path == kMultigrid)
            multigridPcgBatch(hierarchy, IterationSettings{}, b, x, reports);
        else
            ssorPcgBatch(p.system.system, IterationSettings{}, b, x, reports);
    }
    int iterations = 0, total = 0;
    for (const SolveReport& r : reports) iterations = std::max(iterations, r.iterations), total += r.iterations;
    state.counters["iterations"] = iterations;  // a lockstep batch runs as long as its slowest system
    state.counters["meanIterations"] = static_cast<double>(total) / static_cast<double>(width);
    state.counters["secondsPerIteration"] = benchmark::Counter(
        iterations, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["secondsPerIterationPerSource"] = benchmark::Counter(
        static_cast<double>(iterations * width),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    addCommon(state, p);
}

// The textbook path behind the solver interface: one source at a time per thread.
class PlainSsorPcgSolver final : public LinearSolver {
public:
    PlainSsorPcgSolver(const StencilMatrix& a, int threads) : a_(a), threads_(threads) {}
    SolveReport solve(std::span<const double> b, std::span<double> x, int count) const override
    {
        const std::size_t n = static_cast<std::size_t>(a_.gridPoints());
        std::vector<SolveReport> reports(static_cast<std::size_t>(count));
        {
            std::vector<std::jthread> workers;
            for (int t = 0; t < threads_; ++t)
                workers.emplace_back([&, t] {
                    for (int j = t; j < count; j += threads_) {
                        const std::size_t at = static_cast<std::size_t>(j) * n;
                        reports[static_cast<std::size_t>(j)] =
                            plainSsorPcg(a_, IterationSettings{}, b.subspan(at, n), x.subspan(at, n));
                    }
                });
        }
        SolveReport worst;
        for (const SolveReport& r : reports) worst.iterations = std::max(worst.iterations, r.iterations);
        return worst;
    }
    int preferredBatch() const override { return threads_; }
    std::string name() const override { return "plain SSOR-PCG"; }

private:
    const StencilMatrix& a_;
    int threads_;
};

std::unique_ptr<LinearSolver> makePath(const Problem& p, int path, int threads, std::string& why)
{
    const StencilMatrix& a = p.system.system;
    why = path == kPlain ? "plain SSOR-PCG, one source at a time"
          : path == kEisenstat ? "SSOR-PCG (Eisenstat), one source at a time"
                               : "";
    if (path == kPlain) return std::make_unique<PlainSsorPcgSolver>(a, threads);
    if (path == kEisenstat) return std::make_unique<SsorPcgSolver>(a, IterationSettings{}, threads, 1);
    // The direct path may take a factor of up to 4 GB.
    const SolverKind kind = path == kBatched     ? SolverKind::SsorPcg
                            : path == kDirect    ? SolverKind::Direct
                            : path == kMultigrid ? SolverKind::Multigrid
                                                 : SolverKind::Automatic;
    return makeLinearSolver(a, IterationSettings{}, threads, 8ull << 30, 48, kind, why);
}

void AllSources(benchmark::State& state)
{
    Problem& p = problem(static_cast<int>(state.range(0)));
    const int path = static_cast<int>(state.range(1));
    const int threads = static_cast<int>(state.range(2));
    // One source at a time at 1,000,000 nodes takes minutes: 4 sources, the 48 pro rata.
    const std::size_t count = state.range(0) == 1 && path <= kEisenstat ? 4 : p.sources.size();
    PoleRun run;
    std::string why;
    double sum = 0, seconds = 0;
    for (auto _ : state) {
        const auto started = std::chrono::steady_clock::now();
        const auto solver = makePath(p, path, threads, why);
        if (!solver) {
            state.SkipWithError(why.c_str());
            return;
        }
        run = solvePoleFields(p.store.mesh, p.system, *solver, {p.sources.data(), count}, p.sigma, threads,
                              [&](std::size_t j, const PoleSource& s, std::span<const double> us) {
                                  if (j < 4) sum += totalPotential(s, us, p.sources[40]);  // what every path solves
                              },
                              {}, {});
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    }
    const double rounds = static_cast<double>(state.iterations());
    state.SetLabel(why);
    state.counters["sources"] = static_cast<double>(count);
    state.counters["maxIterations"] = run.worst.iterations;
    state.counters["secondsFor48"] = seconds / rounds * 48 / static_cast<double>(count);
    state.counters["checksum"] = sum / rounds;
    addCommon(state, p);
}

// The rates behind the automatic solver choice, on one thread: the direct
// path's factorisation and solves (flops from its analysis) and one
// multigrid PCG iteration per node and source; the estimates of both paths
// for the 48 sources beside what they took.
void SolverCost(benchmark::State& state)
{
    Problem& p = problem(static_cast<int>(state.range(0)));
    const StencilMatrix& a = p.system.system;
    const std::int64_t nodes = static_cast<std::int64_t>(a.nx) * a.ny * a.nz;
    const std::size_t n = static_cast<std::size_t>(a.gridPoints());
    std::vector<double> b;
    for (std::size_t j = 0; j < p.sources.size(); ++j) {
        const std::vector<double> bj = sourceRightHandSide(p, j);
        b.insert(b.end(), bj.begin(), bj.end());
    }
    std::vector<double> x(b.size());
    const int count = static_cast<int>(p.sources.size());
    using Clock = std::chrono::steady_clock;
    const auto since = [](Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); };
    for (auto _ : state) {
        std::shared_ptr<SolverAnalysis> analysis;
        DirectFactorCost factor;
        std::string why;
        auto t = Clock::now();
        if (!directFactorCost(a, analysis, factor, why)) {
            state.SkipWithError(why.c_str());
            return;
        }
        state.counters["analysisSeconds"] = since(t);
        t = Clock::now();
        const auto direct = makeCholmodSolver(a, 1, 16ull << 30, why, &analysis);
        const double factorSeconds = since(t);
        t = Clock::now();
        for (int first = 0; first < count; first += direct->preferredBatch()) {
            const int width = std::min(direct->preferredBatch(), count - first);
            (void)direct->solve({b.data() + first * n, width * n}, {x.data() + first * n, width * n}, width);
        }
        const double solveSeconds = since(t);
        t = Clock::now();
        const MultigridHierarchy hierarchy = makeMultigridHierarchy(a, 1);
        const double hierarchySeconds = since(t);
        std::vector<SolveReport> reports(kMultigridBatchWidth);
        t = Clock::now();
        multigridPcgBatch(hierarchy, IterationSettings{}, {b.data(), kMultigridBatchWidth * n},
                          {x.data(), kMultigridBatchWidth * n}, reports);
        const double batchSeconds = since(t);
        int iterations = 0;
        for (const SolveReport& r : reports) iterations = std::max(iterations, r.iterations);
        state.counters["factorGflops"] = factor.flops / 1e9;
        state.counters["factorMB"] = factor.bytes / 1048576;
        state.counters["factorFlopsPerSecond"] = factor.flops / factorSeconds;
        state.counters["solveFlopsPerSecond"] = count * 4 * factor.entries / solveSeconds;
        state.counters["directSeconds"] = factorSeconds + solveSeconds;
        state.counters["directEstimate"] = directSecondsEstimate(factor, count);
        state.counters["multigridIterations"] = iterations;
        state.counters["multigridSecondsPerNodeIteration"] =
            batchSeconds / (iterations * kMultigridBatchWidth * static_cast<double>(nodes));
        state.counters["multigridSeconds"] = hierarchySeconds + batchSeconds * count / kMultigridBatchWidth;
        state.counters["multigridEstimate"] = multigridSecondsEstimate(nodes, count, 1);
    }
    addCommon(state, p);
}

}  // namespace

BENCHMARK(SolverCost)->Arg(0)->Arg(2)->Arg(3)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK(StencilSweep)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(SsorPcgSource)
    ->ArgsProduct({{0, 1}, {kPlain, kEisenstat, kBatched, kMultigrid}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(AllSources)
    ->ArgsProduct({{0}, {kPlain, kEisenstat, kBatched, kDirect, kMultigrid, kChosen}, {1, 2}})
    ->ArgsProduct({{1}, {kPlain, kEisenstat, kBatched, kMultigrid, kChosen}, {1, 2}})
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1);
