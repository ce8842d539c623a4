// Mesh generation at the sizes real 3D surveys need, against baselines
// measured in the same run:
//  - NodeMesh on 100 lines per axis (1,061,208 nodes with the halo) against
//    filling arrays of the same sizes, and the number of allocations it makes;
//  - AdaptGridToElectrodes with 1,000 electrodes on that mesh against the
//    full scan of every node for every electrode;
//  - BinandSort with the triangulation and interpolation of 10,000 and
//    100,000 scattered points onto a 200 x 200 grid (time per point);
//  - the pad extension for a far remote electrode and dUnique on 100,000
//    values, which must stay far from quadratic.

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <new>

#include "core/mesh/AdaptGrid.h"
#include "core/mesh/ArrayUtilities.h"
#include "core/mesh/DefaultMeshSettings.h"
#include "core/mesh/NodeMesh.h"
#include "core/mesh/NodeSearch.h"
#include "core/mesh/Topography.h"

namespace {
std::atomic<long> allocations{0};
}

// Every allocation of the program is counted, so that a benchmark can tell
// how many one call makes. Kept out of line: inlined, GCC pairs the malloc
// and free inside them with the new and delete expressions and warns.
[[gnu::noinline]] void* operator new(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace vexora;
using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::vector<double> evenLines(double first, double step, int count)
{
    std::vector<double> lines;
    for (int i = 0; i < count; ++i) lines.push_back(first + step * i);
    return lines;
}

std::uint32_t nextRandom(std::uint32_t& seed) { return seed = seed * 1664525u + 1013904223u; }
double uniform(std::uint32_t& seed, double lo, double hi) { return lo + (hi - lo) * (nextRandom(seed) >> 8) / 16777216.0; }

// 100 lines per axis, 1 m apart, following a gently rolling terrain with a
// flat bottom at -50 m.
const SettingsTable& meshSettings()
{
    static const SettingsTable table = [] {
        SettingsTable t = defaultSettingsTable();
        setSettingText(t, Item::ForegroundZMin, "-50");
        setSettingText(t, Item::ForegroundZMax, "0");
        return t;
    }();
    return table;
}

Mesh linesOfMillionNodeMesh()
{
    Mesh m;
    m.lines = {evenLines(0, 1, 100), evenLines(0, 1, 100), evenLines(0, -1, 100)};
    m.followsTerrain = true;
    for (int ix = 0; ix < 100; ++ix)
        for (int iy = 0; iy < 100; ++iy) m.terrainSurface.push_back(2 * std::sin(ix / 15.0) * std::cos(iy / 20.0));
    return m;
}

const Mesh& millionNodeMesh()
{
    static const Mesh mesh = [] {
        Mesh m = linesOfMillionNodeMesh();
        MessageLog log;
        (void)NodeMesh(m, meshSettings(), log);  // flat lines, no terrain: always Made
        return m;
    }();
    return mesh;
}

void BM_NodeMesh(benchmark::State& state)
{
    const Mesh lines = linesOfMillionNodeMesh();
    long made = 0;
    for (auto _ : state) {
        Mesh m = lines;
        MessageLog log;
        const long before = allocations.load();
        const auto start = Clock::now();
        if (NodeMesh(m, meshSettings(), log) != NodeMeshStatus::Made) state.SkipWithError("NodeMesh failed");
        state.SetIterationTime(seconds(start));
        made = allocations.load() - before;
        benchmark::DoNotOptimize(m.nodeGrid.data());
    }
    state.counters["allocations"] = static_cast<double>(made);
    state.counters["nodes"] = 102.0 * 102 * 102;
}

// The least any node mesh of this size costs: four arrays of the same sizes
// allocated and filled with constants.
void BM_NodeMeshBaseline(benchmark::State& state)
{
    const std::size_t nodes = 102 * 102 * 102, elements = 99 * 99 * 99;
    for (auto _ : state) {
        const auto start = Clock::now();
        std::vector<NodePoint> grid(nodes, NodePoint{1, 2, 3});
        std::vector<std::int16_t> flags(nodes, -1);
        std::vector<ElementCorners> corners(elements, ElementCorners{1, 2, 3, 4, 5, 6, 7, 8});
        std::vector<std::int16_t> boundary(elements, 5);
        state.SetIterationTime(seconds(start));
        benchmark::DoNotOptimize(grid.data());
        benchmark::DoNotOptimize(flags.data());
        benchmark::DoNotOptimize(corners.data());
        benchmark::DoNotOptimize(boundary.data());
    }
}

// 1,000 electrodes on a 40 x 25 grid 2 m apart, jittered, on the terrain.
const Survey& thousandElectrodes()
{
    static const Survey survey = [] {
        Survey s;
        s.cableNames = {"L"};
        std::uint32_t seed = 5;
        const Mesh& m = millionNodeMesh();
        for (int i = 0; i < 1000; ++i) {
            Electrode e;
            e.cable = 1;
            e.number = i + 1;
            e.x = 10 + 2 * (i % 40) + uniform(seed, -0.3, 0.3);
            e.y = 20 + 2 * (i / 40) + uniform(seed, -0.3, 0.3);
            const std::int64_t top = nodeNumber(m, static_cast<std::int64_t>(e.x) + 1, static_cast<std::int64_t>(e.y) + 1, 1);
            e.z = e.elevation = m.nodeGrid[static_cast<std::size_t>(top - 1)].z + uniform(seed, -0.2, 0.2);
            e.type = 2;
            s.electrodes.push_back(e);
        }
        return s;
    }();
    return survey;
}

void BM_AdaptGrid(benchmark::State& state)
{
    Mesh m = millionNodeMesh();
    const Survey& survey = thousandElectrodes();
    Status result = Status::Ok;
    for (auto _ : state) {
        m.nodeGrid = millionNodeMesh().nodeGrid;
        std::string warning;
        const auto start = Clock::now();
        result = AdaptGridToElectrodes(m, survey, {1, 1, 1}, warning);
        state.SetIterationTime(seconds(start));
    }
    state.counters["result"] = static_cast<int>(result);
}

// The nearest node of every electrode by the scan the structured search
// replaces: every real node for every electrode.
std::vector<std::int32_t> fullScan(const Mesh& m, const Survey& survey)
{
    std::vector<std::int32_t> nearest;
    nearest.reserve(survey.electrodes.size());
    for (const Electrode& e : survey.electrodes) {
        double best = 1e30;
        std::int32_t found = 0;
        for (int iz = 1; iz <= m.nz; ++iz)
            for (int iy = 1; iy <= m.ny; ++iy)
                for (int ix = 1; ix <= m.nx; ++ix) {
                    const std::int64_t k = nodeNumber(m, ix, iy, iz);
                    const NodePoint& n = m.nodeGrid[static_cast<std::size_t>(k - 1)];
                    const double d = (e.x - n.x) * (e.x - n.x) + (e.y - n.y) * (e.y - n.y) + (e.z - n.z) * (e.z - n.z);
                    if (d < best) best = d, found = static_cast<std::int32_t>(k);
                }
        nearest.push_back(found);
    }
    return nearest;
}

void BM_AdaptGridFullScan(benchmark::State& state)
{
    const Mesh& m = millionNodeMesh();
    const Survey& survey = thousandElectrodes();
    std::vector<NodePoint> points;
    for (const Electrode& e : survey.electrodes) points.push_back({e.x, e.y, e.z});
    for (auto _ : state) {
        const auto start = Clock::now();
        const std::vector<std::int32_t> scanned = fullScan(m, survey);
        state.SetIterationTime(seconds(start));
        if (scanned != nearestRealNodes(m, points, 1, m.nz, false)) state.SkipWithError("searches disagree");
    }
}

const std::vector<TopographyPoint>& scatteredPoints(std::size_t count)
{
    static std::map<std::size_t, std::vector<TopographyPoint>> cache;
    auto [it, added] = cache.try_emplace(count);
    if (added) {
        std::uint32_t seed = 17;
        for (std::size_t i = 0; i < count; ++i) {
            const double x = uniform(seed, -10, 1010), y = uniform(seed, -10, 1010);
            it->second.push_back({x, y, 20 * std::sin(x / 90) + 10 * std::cos(y / 70)});
        }
    }
    return it->second;
}

// 200 x 200 grid lines over 1 km, elements of 5 m: bins of 1.25 m.
void BM_TerrainSurface(benchmark::State& state)
{
    const std::size_t count = static_cast<std::size_t>(state.range(0));
    const std::vector<TopographyPoint>& points = scatteredPoints(count);
    const double step = 1000.0 / 199;
    const MeshLines lines{evenLines(0, step, 200), evenLines(0, step, 200), {0}};
    double best = 1e30;
    for (auto _ : state) {
        std::vector<TopographyPoint> prepared = points;
        std::vector<double> surface;
        MessageLog log;
        const auto start = Clock::now();
        if (BinandSort(prepared, lines, 5, 5, log) != TopographyStatus::Ready ||
            InterpolateTerrainSurface(prepared, lines, surface, log) != TopographyStatus::Ready)
            state.SkipWithError("terrain failed");
        const double t = seconds(start);
        state.SetIterationTime(t);
        best = std::min(best, t);
    }
    state.counters["ns_per_point"] = 1e9 * best / static_cast<double>(count);
}

// A remote electrode 70 km beyond the lines: 8,753 pad values appended.
void BM_RemotePadExtension(benchmark::State& state)
{
    Survey survey;
    survey.cableNames = {"L", "R"};
    for (int i = 0; i < 20; ++i) {
        Electrode e;
        e.cable = 1, e.number = i + 1, e.x = 2.0 * i, e.type = 2;
        survey.electrodes.push_back(e);
    }
    Electrode remote;
    remote.cable = 2, remote.number = 1, remote.x = 70000, remote.type = -2;
    survey.electrodes.push_back(remote);
    for (auto _ : state) {
        SettingsTable table = defaultSettingsTable();
        MeshLines lines;
        MessageLog log;
        const auto start = Clock::now();
        (void)SetDefaultMeshSettings(survey, table, lines, log);  // the generated survey has electrodes
        state.SetIterationTime(seconds(start));
        state.counters["pads_text_kB"] = static_cast<double>(settingText(table, Item::PadsXMax).size()) / 1e3;
    }
}

void BM_Unique(benchmark::State& state)
{
    std::uint32_t seed = 23;
    std::vector<double> values;
    for (int i = 0; i < 100000; ++i) values.push_back(uniform(seed, 0, 1000));
    for (auto _ : state) benchmark::DoNotOptimize(dUnique(values, 0.001).size());
}

BENCHMARK(BM_NodeMeshBaseline)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NodeMesh)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AdaptGrid)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AdaptGridFullScan)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_TerrainSurface)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemotePadExtension)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Unique)->Unit(benchmark::kMillisecond);

}  // namespace
