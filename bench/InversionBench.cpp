// The inversion on the sample survey's layout: synthetic data of a 10 ohm m
// and a 1000 ohm m block in 100 ohm m ground with 3 % Gaussian noise,
// inverted with the default settings. Counters: the final chi^2, the mean
// recovered resistivity inside each block and in the foreground away from
// them, the iterations, the seconds per iteration and the peak memory.
// The iteration lines of the log (with their forward / sensitivity /
// update split) are printed to stderr.

#include <benchmark/benchmark.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <random>

#include "BenchSupport.h"
#include "engine/forward/HexElement.h"
#include "engine/forward/ForwardSystem.h"
#include "engine/inversion/Inversion.h"
#include "engine/inversion/MeshInversionForward.h"
#include "engine/script/JobSteps.h"
#include "engine/forward/QuadrupolePlan.h"
#include "engine/inversion/ShareOut.h"
#include "engine/inversion/Sensitivity.h"

namespace {

using namespace vexora;

struct Region {
    double xMin, xMax, yMin, yMax, depthMin, depthMax;
    bool holds(double x, double y, double depth) const
    {
        return x > xMin && x < xMax && y > yMin && y < yMax && depth > depthMin && depth < depthMax;
    }
};
constexpr Region kConductor{12, 18, 2, 10, 1.5, 4.5};
constexpr Region kResistor{28, 34, 2, 10, 1.5, 4.5};
constexpr Region kForeground{2, 44, 1, 11, 0, 3};

// Centre of each block and its depth below the surface of its column.
struct BlockPlace {
    double x, y, depth;
};
std::vector<BlockPlace> blockPlaces(const Mesh& mesh)
{
    const std::size_t nx = static_cast<std::size_t>(mesh.nx - 1), ny = static_cast<std::size_t>(mesh.ny - 1);
    std::vector<BlockPlace> places(static_cast<std::size_t>(blockCount(mesh)));
    for (std::size_t b = 0; b < places.size(); ++b) {
        const ElementCorners3 c = blockCorners(mesh, static_cast<std::int64_t>(b));
        const ElementCorners3 top = blockCorners(mesh, static_cast<std::int64_t>(b % (nx * ny)));
        double x = 0, y = 0, z = 0, surface = 0;
        for (int s = 0; s < 8; ++s) x += c[s].x / 8, y += c[s].y / 8, z += c[s].z / 8;
        for (int s = 0; s < 4; ++s) surface += top[s].z / 4;
        places[b] = {x, y, surface - z};
    }
    return places;
}

// The measured V/I become the modelled ones of the store's model, times
// 1 + Gaussian noise of `noise`; the model goes back to `start`.
bool modelledData(ProjectStore& store, MessageLog& log, double noise, const std::vector<double>& start)
{
    if (runJobForwardModel(store, log) != Status::Ok) return false;
    std::mt19937 rng(11);
    std::normal_distribution<double> relative(0.0, noise);
    auto& q = store.survey.quadrupoles;
    for (std::size_t k = 0; k < q.size(); ++k) q.resistance[k] = q.calcResistance[k] * (1 + relative(rng));
    store.survey.present.resistanceStd = false;
    store.survey.present.calcResistance = false;
    q.calcResistance.clear();
    store.models.conductivity = start;
    return true;
}

// Loads a data file as the core does and builds its mesh and starting
// model; false (the benchmark skipped with the log) when either fails.
bool loadedAndMeshed(benchmark::State& state, ProjectStore& store, const std::filesystem::path& path)
{
    MessageLog log;
    if (loadJobDataFile(store, path, log) == Status::Ok &&
        generateJobMesh(store, log) == Status::Ok)
        return true;
    state.SkipWithError(log.plainText().c_str());
    return false;
}

// The data of the store's model with relative Gaussian noise `noise`, then
// the inversion from `start`, its log to stderr: the seconds the inversion
// took, or -1 (the benchmark skipped) after a failure.
double timedInversion(benchmark::State& state, ProjectStore& store, double noise, const std::vector<double>& start,
                      InversionOutcome& outcome)
{
    MessageLog log;
    if (!modelledData(store, log, noise, start)) {
        state.SkipWithError("forward model failed");
        return -1;
    }
    const auto begin = std::chrono::steady_clock::now();
    InversionResult result;
    const InversionStatus status =
        runInversion(store.mesh, store.models, store.survey, store.settings, log, {}, {}, result);
    std::cerr << log.plainText();
    if (status == InversionStatus::Ok) {
        const double seconds = bench::secondsSince(begin);
        store.models = std::move(result.model);
        storeCalculatedData(store.survey, std::move(result.calculated));
        outcome = result.outcome;
        return seconds;
    }
    state.SkipWithError("inversion failed");
    return -1;
}

// Argument: 0 with the default linearised trials, 1 with each of the four
// trials modelled (a forward solve each; the full step reuses the chosen one).
void BM_InversionOfTheSampleLayout(benchmark::State& state)
{
    for (auto _ : state) {
        ProjectStore store;
        if (!loadedAndMeshed(state, store, std::string(VEXORA_SAMPLES_DIR) + "/sample_survey.data")) return;
        const std::vector<BlockPlace> places = blockPlaces(store.mesh);
        const std::vector<double> start = store.models.conductivity;
        for (std::size_t b = 0; b < places.size(); ++b) {
            const BlockPlace& p = places[b];
            if (kConductor.holds(p.x, p.y, p.depth)) store.models.conductivity[b] = 0.1;
            if (kResistor.holds(p.x, p.y, p.depth)) store.models.conductivity[b] = 0.001;
        }
        setSettingText(store.settings, Item::ResNoisePercent, "3");
        setSettingText(store.settings, Item::ResNoiseConstant, "0");
        setSettingText(store.settings, Item::SaveIterations, "2");
        if (state.range(0) == 1) setSettingText(store.settings, Item::RoughnessTrials, "4 2");
        InversionOutcome outcome;
        const double seconds = timedInversion(state, store, 0.03, start, outcome);
        if (seconds < 0) return;
        double sum[3] = {0, 0, 0};
        int count[3] = {0, 0, 0};
        for (std::size_t b = 0; b < places.size(); ++b) {
            const BlockPlace& p = places[b];
            const double rho = 1 / store.models.conductivity[b];
            const bool inConductor = kConductor.holds(p.x, p.y, p.depth), inResistor = kResistor.holds(p.x, p.y, p.depth);
            const int which = inConductor ? 0 : inResistor ? 1 : -1;
            if (which >= 0) sum[which] += rho, ++count[which];
            // The background: foreground blocks at least 3 m from either block.
            const bool near = (p.x > 9 && p.x < 21) || (p.x > 25 && p.x < 37);
            if (which < 0 && !near && kForeground.holds(p.x, p.y, p.depth)) sum[2] += rho, ++count[2];
        }
        state.counters["chi2"] = outcome.chiSquared;
        state.counters["iterations"] = outcome.iterations;
        state.counters["s_per_iteration"] = seconds / std::max(outcome.iterations, 1);
        state.counters["conductor_ohm_m"] = sum[0] / std::max(count[0], 1);
        state.counters["resistor_ohm_m"] = sum[1] / std::max(count[1], 1);
        state.counters["background_ohm_m"] = sum[2] / std::max(count[2], 1);
        state.counters["peak_MB"] = bench::peakResidentMegabytes();
    }
}
BENCHMARK(BM_InversionOfTheSampleLayout)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond);

// The update's products on a J of 1,000 rows and 295,000 columns (the
// default mesh of a large survey), k = 4 for the four trials in lockstep;
// argument: threads. Each case also times one plain pass reading J with as
// many threads, the least any product can cost, and reports its time in
// such passes (`J_passes`). J is made per case and let go after it, so the
// peak memory of the cases that follow is their own.
constexpr std::size_t kProductRows = 1000, kProductCols = 295000;

Jacobian productJacobian()
{
    Jacobian m{kProductRows, kProductCols, {}};
    m.values.resize(m.rows * m.cols);
    std::uint32_t state = 12345;
    for (float& v : m.values) {
        state = state * 1664525u + 1013904223u;
        v = static_cast<float>(state >> 8) / 16777216.0f - 0.5f;
    }
    return m;
}

// One pass reading J, as its bits: nothing to compute, only memory.
double streamPassSeconds(const Jacobian& j, int threads)
{
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(std::max(threads, 1)), 0);
    const auto begin = std::chrono::steady_clock::now();
    shareOut(j.values.size(), threads, [&](std::size_t part, std::size_t first, std::size_t last) {
        std::uint32_t bits = 0;
        for (std::size_t c = first; c < last; ++c) bits ^= std::bit_cast<std::uint32_t>(j.values[c]);
        sums[part] = bits;
    });
    const double seconds = bench::secondsSince(begin);
    benchmark::DoNotOptimize(sums);
    return seconds;
}

template <class Product>
void timeProduct(benchmark::State& state, Product&& product)
{
    const Jacobian j = productJacobian();
    const int threads = static_cast<int>(state.range(0));
    const double stream = streamPassSeconds(j, threads);
    double total = 0;
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        product(j, threads);
        total += bench::secondsSince(begin);
    }
    state.counters["stream_pass_s"] = stream;
    state.counters["J_passes"] = total / static_cast<double>(state.iterations()) / stream;
}

void BM_JacobianNormalProduct(benchmark::State& state)
{
    const std::size_t k = 4;
    std::vector<double> x(kProductCols * k, 0.01), y(x.size()), d(kProductRows, 2.0);
    timeProduct(state, [&](const Jacobian& j, int threads) { multiplyNormal(j, d, x, y, k, threads); });
}
BENCHMARK(BM_JacobianNormalProduct)->Arg(1)->Arg(2)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_JacobianProduct(benchmark::State& state)
{
    const std::size_t k = 4;
    std::vector<double> x(kProductCols * k, 0.01), y(kProductRows * k);
    timeProduct(state, [&](const Jacobian& j, int threads) { multiply(j, x, y, k, threads); });
}
BENCHMARK(BM_JacobianProduct)->Arg(1)->Arg(2)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_JacobianTransposedProduct(benchmark::State& state)
{
    std::vector<double> x(kProductCols), y(kProductRows, 0.01);
    timeProduct(state, [&](const Jacobian& j, int threads) { multiplyTransposed(j, y, x, 1, threads); });
}
BENCHMARK(BM_JacobianTransposedProduct)->Arg(1)->Arg(2)->Iterations(3)->Unit(benchmark::kMillisecond);

// The sensitivities of the first cable's 625 quadrupoles of the generated
// 5,000 (about ten to a current pair, as in the whole survey) on its default
// mesh (295,260 blocks), with made-up electrode fields (the cost does not
// depend on their values); argument: threads. Counters: the time per row,
// and `J_writes`, the time in plain fills of J.
void BM_SensitivityAssembly(benchmark::State& state)
{
    ProjectStore store;
    if (!loadedAndMeshed(state, store, bench::generatedSurveyFile("vexora_inversion_5000.data", 5000))) return;
    const QuadrupolePlan plan = planQuadrupoles(store.survey, false);
    ElectrodeFields fields;
    fields.gridPoints = store.mesh.nodeGrid.size();
    fields.values.resize(plan.electrodes.size() * fields.gridPoints);
    for (std::size_t v = 0; v < fields.values.size(); ++v) fields.values[v] = static_cast<float>(1.0 / (1.0 + v % 977));
    const std::vector<float> stiffness = blockStiffnesses(store.mesh);
    std::vector<std::size_t> rows;
    for (std::size_t q = 0; q < plan.pole.size(); q += 8) rows.push_back(q);
    const std::vector<double> resistance(plan.pole.size(), 1.0);
    const int threads = static_cast<int>(state.range(0));
    Jacobian j;
    double total = 0, fill = 0;
    for (auto _ : state) {
        auto begin = std::chrono::steady_clock::now();
        assembleJacobian(store.mesh, store.models.conductivity, plan, fields, stiffness, rows, resistance, threads, j);
        total += bench::secondsSince(begin);
        begin = std::chrono::steady_clock::now();
        j.values.assign(j.values.size(), 1.0f);
        fill += bench::secondsSince(begin);
        benchmark::DoNotOptimize(j.values.data());
    }
    state.counters["blocks"] = static_cast<double>(j.cols);
    state.counters["ms_per_row"] = 1e3 * total / static_cast<double>(state.iterations() * rows.size());
    state.counters["J_writes"] = total / fill;
}
BENCHMARK(BM_SensitivityAssembly)->Arg(1)->Arg(2)->Iterations(2)->Unit(benchmark::kMillisecond);

// The generated survey of 5,000 quadrupoles (8 cables of 64 electrodes) on
// its default mesh, two threads, every current electrode modelled; false
// (the benchmark skipped) when it does not load or mesh.
bool loadedGenerated5000(benchmark::State& state, ProjectStore& store)
{
    if (!loadedAndMeshed(state, store, bench::generatedSurveyFile("vexora_inversion_5000.data", 5000))) return false;
    setSettingText(store.settings, Item::CpuThreads, "2");
    setSettingText(store.settings, Item::SkipTxWithoutRx, "2");
    return true;
}
constexpr Region kConductive5000{40, 60, 10, 25, 2, 8};

// Two iterations on a generated survey of 5,000 quadrupoles (8 cables of 64
// electrodes) on its default mesh, two threads, over a homogeneous model
// with one conductive block: the cost of an iteration at that size. Errors
// of 1 % without robust weights keep the noise-free data from being fitted
// after one iteration (robust weights cap the block's own data as outliers).
void BM_InversionOf5000Quadrupoles(benchmark::State& state)
{
    for (auto _ : state) {
        ProjectStore store;
        if (!loadedGenerated5000(state, store)) return;
        setSettingText(store.settings, Item::MaxIterationsRho, "2");
        setSettingText(store.settings, Item::ResNoisePercent, "1");
        setSettingText(store.settings, Item::UseRobustInversion, "2");
        setSettingText(store.settings, Item::SaveIterations, "2");
        const std::vector<BlockPlace> places = blockPlaces(store.mesh);
        const std::vector<double> start = store.models.conductivity;
        for (std::size_t b = 0; b < places.size(); ++b)
            if (kConductive5000.holds(places[b].x, places[b].y, places[b].depth)) store.models.conductivity[b] = 0.1;
        InversionOutcome outcome;
        const double seconds = timedInversion(state, store, 0.0, start, outcome);
        if (seconds < 0) return;
        state.counters["blocks"] = static_cast<double>(places.size());
        state.counters["data"] = static_cast<double>(store.survey.quadrupoles.size());
        state.counters["iterations"] = outcome.iterations;
        state.counters["s_per_iteration"] = seconds / std::max(outcome.iterations, 1);
        state.counters["peak_MB"] = bench::peakResidentMegabytes();
    }
}
BENCHMARK(BM_InversionOf5000Quadrupoles)->Iterations(1)->Unit(benchmark::kSecond);

// The inversion's forward model on the same 5,000 quadrupoles and mesh, two
// threads: the first model (the mesh's analysis, the factor, every
// electrode's field) and then two more, each with the model changed as an
// update changes it. The later ones reuse the analysis and the buffers of
// the first; `later_over_first` is the slower of them over the first.
void BM_LaterForwardModelsOf5000Quadrupoles(benchmark::State& state)
{
    for (auto _ : state) {
        ProjectStore store;
        if (!loadedGenerated5000(state, store)) return;
        MessageLog log;
        const ComputeControl control;
        MeshInversionForward forward(store.mesh, store.models, store.survey, store.settings, control, "bench", log);
        if (forward.prepare() != Status::Ok) {
            state.SkipWithError(log.plainText().c_str());
            return;
        }
        const std::vector<BlockPlace> places = blockPlaces(store.mesh);
        std::vector<double> sigma = store.models.conductivity, resistance;
        double seconds[3] = {0, 0, 0};
        for (int m = 0; m < 3; ++m) {
            for (std::size_t b = 0; b < places.size(); ++b)
                if (kConductive5000.holds(places[b].x, places[b].y, places[b].depth)) sigma[b] *= 1.5;
            const auto begin = std::chrono::steady_clock::now();
            if (forward.model(sigma, {}, resistance) != Status::Ok) {
                state.SkipWithError(log.plainText().c_str());
                return;
            }
            seconds[m] = bench::secondsSince(begin);
        }
        std::cerr << log.plainText();
        state.counters["nodes"] = static_cast<double>(store.mesh.nodeGrid.size());
        state.counters["first_s"] = seconds[0];
        state.counters["second_s"] = seconds[1];
        state.counters["third_s"] = seconds[2];
        state.counters["later_over_first"] = std::max(seconds[1], seconds[2]) / seconds[0];
        state.counters["peak_MB"] = bench::peakResidentMegabytes();
    }
}
BENCHMARK(BM_LaterForwardModelsOf5000Quadrupoles)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
