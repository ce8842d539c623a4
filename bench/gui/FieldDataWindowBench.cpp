// The field data window on the generated 1,000,000-quadrupole survey: the
// core load alone is the baseline, then the window opened on the loaded
// store with its quadrupole grid shown. Heap in use (malloc's count, not
// the resident size, which keeps what earlier iterations freed) gives the
// store alone and what the open window adds. Then, through the window's own
// commands, a sort by a value column, a sort by a pole column and one
// removal step, each through the progress road. Last, a 1,000,000-quadrupole
// import accepted through the window's Import button.

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
#include "core/import/tables/ImportFill.h"
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

// Dipole-dipole rounds of growing dipole length on one line, 1 m apart,
// up to `count` quadrupoles.
ImportSet dipoleDipoleImport(std::size_t count)
{
    constexpr int kElectrodes = 830;
    ImportSet set;
    for (int e = 1; e <= kElectrodes; ++e) set.electrodes.push_back({e, e - 1.0, 0, 0});
    for (int s = 1; s < kElectrodes / 2; ++s)
        for (int a = 1; a + s <= kElectrodes; ++a)
            for (int m = a + s + 1; m + s <= kElectrodes; ++m) {
                if (set.quadrupoles.size() == count) return set;
                set.quadrupoles.push_back({a, a + s, m, m + s});
                set.values.push_back({100.0f / static_cast<float>(m - a), 100.0f, 0.5f, 0});
            }
    return set;
}

void BM_FieldDataAcceptAMillionQuadrupoleImport(benchmark::State& state)
{
    constexpr std::size_t kCount = 1000000;
    const ImportSet generated = dipoleDipoleImport(kCount);
    for (auto _ : state) {
        ProjectStore store;
        store.type = ProjectType::DataInversion;
        MessageLog log;
        ScriptedQuestions questions = unattendedLoadQuestions();
        ui::ImportSession session;
        session.set = generated;
        if (subFillImportTables(session.set, session.grids, log) != ImportStatus::Ok)
            state.SkipWithError("import tables not filled");
        vexora::test::ScriptedFileDialogs dialogs;
        ui::ImportSyscal window(store, session, log, questions, dialogs);
        window.setMode(WindowMode::DataSet);
        window.resize(1200, 800);
        window.show();
        window.showTemporary();
        window.txtCableName->setText("Line1");
        QApplication::processEvents();
        const auto start = std::chrono::steady_clock::now();
        window.cmdImportData->click();
        QApplication::processEvents();  // the grids shown
        state.SetIterationTime(bench::secondsSince(start));
        if (store.survey.quadrupoles.size() != kCount) state.SkipWithError("import not accepted");
    }
}
BENCHMARK(BM_FieldDataAcceptAMillionQuadrupoleImport)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace
