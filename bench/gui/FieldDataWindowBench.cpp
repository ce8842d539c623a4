// The field data window on the generated 1,000,000-quadrupole survey: the
// core load alone is the baseline, then the window opened on the loaded
// store with its quadrupole grid shown. Heap in use (malloc's count, not
// the resident size, which keeps what earlier iterations freed) gives the
// store alone and what the open window adds. Then, through the window's own
// commands, a sort by a value column, a sort by a pole column and one
// removal step, each through the progress road.

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <chrono>
#include <filesystem>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include "../../tests/gui/GuiTestSupport.h"
#include "../BenchSupport.h"
#include "core/datafile/ScheduleLoader.h"
#include "core/log/MessageLog.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/project/ProjectStore.h"
#include "ui/fielddata/ImportSyscal.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;

double heapMegabytes() { return static_cast<double>(mallinfo2().uordblks) / (1024.0 * 1024.0); }

void BM_FieldDataWindowOnAMillionQuadrupoles(benchmark::State& state)
{
    const fs::path file = bench::generatedSurveyFile("vexora_invwork_window_bench.data", 1000000);
    double core = 0, open = 0, valueSort = 0, poleSort = 0, removal = 0;
    double storeMB = 0, windowMB = 0;
    for (auto _ : state) {
        const double heapBefore = heapMegabytes();
        ProjectStore store;
        store.type = ProjectType::DataInversion;
        MessageLog log;
        ScriptedQuestions questions = unattendedLoadQuestions();
        auto start = std::chrono::steady_clock::now();
        if (funInputScheduleFile(store, {file, store.type}, log, questions) != LoadStatus::Loaded)
            state.SkipWithError("core load failed");
        core += bench::secondsSince(start);
        const double heapStore = heapMegabytes();
        storeMB += heapStore - heapBefore;

        ui::ImportSession session;
        vexora::test::ScriptedFileDialogs dialogs;
        start = std::chrono::steady_clock::now();
        {
            ui::ImportSyscal window(store, session, log, questions, dialogs);
            window.setMode(WindowMode::DataSet);
            window.resize(1200, 800);
            window.show();
            window.tabViews->setCurrentWidget(window.grdQuad);
            QApplication::processEvents();  // the grid painted
            const double seconds = bench::secondsSince(start);
            open += seconds;
            windowMB += heapMegabytes() - heapStore;
            state.SetIterationTime(seconds);

            start = std::chrono::steady_clock::now();
            window.funSortMeasurements(ColResistance, true, false);
            QApplication::processEvents();
            valueSort += bench::secondsSince(start);
            start = std::chrono::steady_clock::now();
            window.funSortMeasurements(ColA, true, false);
            QApplication::processEvents();
            poleSort += bench::secondsSince(start);
            window.cboQuantity->setCurrentText("abs(V/I)");
            window.txtThreshold->setText("10");
            start = std::chrono::steady_clock::now();
            window.cmdRemoveData->click();
            QApplication::processEvents();
            removal += bench::secondsSince(start);
        }
    }
    using benchmark::Counter;
    state.counters["core_load_s"] = Counter(core, Counter::kAvgIterations);
    state.counters["window_open_s"] = Counter(open, Counter::kAvgIterations);
    state.counters["open_over_load"] = open / core;
    state.counters["store_MB"] = Counter(storeMB, Counter::kAvgIterations);
    state.counters["window_MB"] = Counter(windowMB, Counter::kAvgIterations);
    state.counters["memory_over_store"] = (storeMB + windowMB) / storeMB;
    state.counters["sort_value_s"] = Counter(valueSort, Counter::kAvgIterations);
    state.counters["sort_pole_s"] = Counter(poleSort, Counter::kAvgIterations);
    state.counters["removal_step_s"] = Counter(removal, Counter::kAvgIterations);
}
BENCHMARK(BM_FieldDataWindowOnAMillionQuadrupoles)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace
