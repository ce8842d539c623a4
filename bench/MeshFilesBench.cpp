// Mesh-and-model files of a mesh with 100 lines per axis (1,061,208 nodes,
// 970,299 blocks) against baselines that write or parse the same count of
// numbers with std::to_chars / std::from_chars in the same run:
//  - writing the resistivity and the IP file (text built in memory);
//  - reading them back (funImportMesh on the text, staging and all);
//  - the viewer's binary model file, built in one buffered pass;
//  - the XYZ model assignment with one point per block.

#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>

#include "core/project/ProjectStore.h"
#include "core/mesh/MeshFileFormat.h"
#include "core/mesh/MeshFileImport.h"
#include "core/mesh/NodeMesh.h"
#include "core/mesh/ViewerModelFile.h"
#include "core/mesh/XyzImport.h"

namespace {

using namespace vexora;

std::vector<double> lines(double first, double step, int count)
{
    std::vector<double> v;
    for (int i = 0; i < count; ++i) v.push_back(first + step * i);
    return v;
}

const ProjectStore& bigStore()
{
    static const ProjectStore store = [] {
        ProjectStore s;
        s.mesh.lines = {lines(0, 0.5, 100), lines(0, 0.5, 100), lines(0, -0.5, 100)};
        MessageLog log;
        (void)NodeMesh(s.mesh, s.settings, log);  // flat lines, no terrain: always Made
        s.mesh.present = true;
        const std::size_t blocks = s.mesh.elementNodes.size();
        s.models.conductivity.resize(blocks);
        s.models.ip.resize(blocks);
        for (std::size_t e = 0; e < blocks; ++e) {
            s.models.conductivity[e] = 1 / (10.0 + static_cast<double>(e % 97));
            s.models.ip[e] = static_cast<double>(e % 13) / 1000.0;
        }
        setSettingText(s.settings, Item::PlotBounds, "0 49.5 0 49.5 -49.5 0");
        return s;
    }();
    return store;
}

const std::string& meshText(MeshFileKind kind)
{
    const ProjectStore& big = bigStore();
    static const std::string rho = meshFileText(big.survey, big.mesh, big.models, MeshFileKind::Resistivity, "2026-12-07");
    static const std::string ip = meshFileText(big.survey, big.mesh, big.models, MeshFileKind::Ip, "2026-12-07");
    return kind == MeshFileKind::Ip ? ip : rho;
}

void BM_MeshFileWrite(benchmark::State& state)
{
    const auto kind = state.range(0) ? MeshFileKind::Ip : MeshFileKind::Resistivity;
    const ProjectStore& big = bigStore();
    for (auto _ : state) benchmark::DoNotOptimize(meshFileText(big.survey, big.mesh, big.models, kind, "2026-12-07"));
}
BENCHMARK(BM_MeshFileWrite)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same numbers, each converted by std::to_chars into one buffer.
void BM_MeshFileWriteBaseline(benchmark::State& state)
{
    const ProjectStore& s = bigStore();
    for (auto _ : state) {
        std::string out;
        out.reserve(s.mesh.nodeGrid.size() * 40 + s.mesh.elementNodes.size() * 90);
        char buffer[64];
        for (const NodePoint& p : s.mesh.nodeGrid)
            for (double v : {p.x, p.y, p.z}) {
                auto r = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 5);
                out.append(buffer, static_cast<std::size_t>(r.ptr - buffer));
                out += '\t';
            }
        for (std::size_t e = 0; e < s.mesh.elementNodes.size(); ++e) {
            for (std::int32_t k : s.mesh.elementNodes[e]) {
                auto r = std::to_chars(buffer, buffer + sizeof buffer, k);
                out.append(buffer, static_cast<std::size_t>(r.ptr - buffer));
                out += '\t';
            }
            auto r = std::to_chars(buffer, buffer + sizeof buffer, 1 / s.models.conductivity[e],
                                   std::chars_format::fixed, 5);
            out.append(buffer, static_cast<std::size_t>(r.ptr - buffer));
            out += '\n';
        }
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_MeshFileWriteBaseline)->Unit(benchmark::kMillisecond);

void BM_MeshFileRead(benchmark::State& state)
{
    const std::string& text = meshText(state.range(0) ? MeshFileKind::Ip : MeshFileKind::Resistivity);
    for (auto _ : state) {
        ProjectStore store;
        MessageLog log;
        if (importMeshText(text, "bench.vwer", store.settings, store.mesh, store.models, log) != MeshFileStatus::Read)
            state.SkipWithError("not read");
        benchmark::DoNotOptimize(store.mesh.nodeGrid.data());
    }
}
BENCHMARK(BM_MeshFileRead)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Every number of the same text parsed with std::from_chars into arrays of
// the final size.
void BM_MeshFileReadBaseline(benchmark::State& state)
{
    const std::string& text = meshText(MeshFileKind::Resistivity);
    const ProjectStore& s = bigStore();
    const std::size_t first = text.find("Flag\r\n") + 6;
    for (auto _ : state) {
        std::vector<double> nodes(s.mesh.nodeGrid.size() * 3);
        std::vector<std::int32_t> corners(s.mesh.elementNodes.size() * 8);
        std::vector<double> values(s.mesh.elementNodes.size());
        const char* p = text.data() + first;
        const char* end = text.data() + text.size();
        auto skip = [&] {
            while (p < end && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n' || *p == '#')) {
                if (*p == '#')
                    while (p < end && *p != '\n') ++p;
                else ++p;
            }
        };
        for (double& v : nodes) {
            skip();
            p = std::from_chars(p, end, v).ptr;
        }
        for (std::size_t e = 0; e < values.size(); ++e) {
            for (int k = 0; k < 8; ++k) {
                skip();
                p = std::from_chars(p, end, corners[e * 8 + static_cast<std::size_t>(k)]).ptr;
            }
            skip();
            p = std::from_chars(p, end, values[e]).ptr;
        }
        benchmark::DoNotOptimize(values.data());
    }
}
BENCHMARK(BM_MeshFileReadBaseline)->Unit(benchmark::kMillisecond);

void BM_ViewerModelBytes(benchmark::State& state)
{
    const ProjectStore& big = bigStore();
    for (auto _ : state) {
        std::string bytes;
        // Timed only: the model matches its mesh.
        (void)viewerModelBytes(big.settings, big.survey, big.mesh, big.models, "RHO", nullptr, {2026, 12, 7, 0, 0, 0},
                               bytes);
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(BM_ViewerModelBytes)->Unit(benchmark::kMillisecond);

// One point at every block centre, in reverse order.
void BM_XyzAssign(benchmark::State& state)
{
    const Mesh& mesh = bigStore().mesh;
    std::vector<XyzPoint> points;
    for (std::size_t e = mesh.elementNodes.size(); e-- > 0;) {
        const NodePoint& a = mesh.nodeGrid[static_cast<std::size_t>(mesh.elementNodes[e][0] - 1)];
        points.push_back({a.x + 0.25, a.y + 0.25, a.z - 0.25, 10.0 + static_cast<double>(e % 7), 0, false});
    }
    for (auto _ : state) {
        std::vector<double> conductivity;
        benchmark::DoNotOptimize(assignXyzModel(mesh, points, {0.5, 0.5, 0.5}, 100, 0, 1000, conductivity, nullptr));
    }
    state.counters["points"] = static_cast<double>(points.size());
}
BENCHMARK(BM_XyzAssign)->Unit(benchmark::kMillisecond);

}  // namespace
