// The 3D viewer on a 1,000,000-block model (100 x 100 x 100 cubes, written
// by the programs' own viewer-file writer): opening the file to the first
// picture drawn, and moving a section plane to the picture redrawn. Draws
// with OpenGL, so it runs under Xvfb (Mesa's llvmpipe, software):
//   xvfb-run -a build/bench/vexora_viewer_bench

#include <benchmark/benchmark.h>

#include <filesystem>

#include <QApplication>
#include <QOpenGLContext>
#include <QQuickWidget>
#include <QTest>

#include "../../tests/viewer/ViewerTestSupport.h"
#include "ui/viewer/ViewerWindow.h"

namespace {

namespace fs = std::filesystem;
using namespace vexora;

constexpr int kBlocks = 100;

const fs::path& largeModel()
{
    static const fs::path file = [] {
        const fs::path path = fs::temp_directory_path() / "vexora_viewer_bench.vwer";
        MessageLog log;
        if (!fs::exists(path) && !vexora::testing::writeLayeredModel(path, kBlocks, log)) std::fputs(log.plainText().c_str(), stderr);
        return path;
    }();
    return file;
}

bool canDraw(benchmark::State& state)
{
    QOpenGLContext context;
    if (context.create()) return true;
    state.SkipWithError("no OpenGL here: run under xvfb-run");
    return false;
}

void BM_ViewerOpenToFirstPicture(benchmark::State& state)
{
    if (!canDraw(state)) return;
    const fs::path& file = largeModel();
    for (auto _ : state) {
        MessageLog log;
        ui::ViewerWindow window(log);
        if (window.open(file) != Status::Ok) {
            state.SkipWithError("model not read");
            return;
        }
        window.show();
        (void)QTest::qWaitForWindowExposed(&window);
        benchmark::DoNotOptimize(window.viewImage());
        state.counters["blocks"] = static_cast<double>(window.input().model.blocks.size());
    }
}
BENCHMARK(BM_ViewerOpenToFirstPicture)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_ViewerMoveSectionPlane(benchmark::State& state)
{
    if (!canDraw(state)) return;
    MessageLog log;
    ui::ViewerWindow window(log);
    if (window.open(largeModel()) != Status::Ok) {
        state.SkipWithError("model not read");
        return;
    }
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    (void)window.viewImage();
    int step = 0;
    for (auto _ : state) {
        window.setSectionAt(static_cast<SectionAxis>(step % 3), 10.5 + (step % 7) * 10);
        benchmark::DoNotOptimize(window.viewImage());
        ++step;
    }
}
BENCHMARK(BM_ViewerMoveSectionPlane)->Unit(benchmark::kMillisecond)->Iterations(12);

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
