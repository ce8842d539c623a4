// What the inversion workspace window adds to the load of the generated
// 1,000,000-quadrupole survey: the "Load data file" command runs the core
// load, then refreshes the settings grid, derives the default mesh
// settings, sets the dimension labels and adds the explorer's "Data Set"
// entry. The core load alone, on a store of its own, is the baseline; the
// counters give both and the seconds the window adds. While the window
// loads, a thread of its own posts an event to the window thread every
// 10 ms; the delays until each is answered give the window's latency (the
// load runs off the window thread). Runs on Qt's offscreen platform unless
// another is named.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include <QApplication>
#include <QPushButton>

#include "../../tests/gui/GuiTestSupport.h"
#include "core/datafile/ScheduleLoader.h"
#include "core/io/TextFile.h"
#include "core/log/MessageLog.h"
#include "core/platform/FileSystemRoots.h"
#include "core/platform/ScriptedProcessLauncher.h"
#include "../BenchSupport.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/platform/UserSettings.h"
#include "core/project/ProjectStore.h"
#include "ui/jobs/InvWork.h"
#include "ui/platform/TextConversion.h"
#include "ui/shell/MainWindow.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;

const fs::path& millionSurvey()
{
    static const fs::path file = bench::generatedSurveyFile("vexora_invwork_window_bench.data", 1000000);
    return file;
}


void answerLoadQuestions(ScriptedQuestions& questions)
{
    questions.answer(QuestionId::GeometricFactorsWithZ, true);
    questions.answer(QuestionId::InvertSyntheticResistance, false);
    questions.answer(QuestionId::InvertSyntheticIp, false);
}

// Posts a call to `receiver`'s thread every 10 ms until stopped and keeps
// how long each waited for that thread.
class LatencyProbe {
public:
    explicit LatencyProbe(QObject* receiver)
        : poster_([this, receiver] {
              while (!stop_) {
                  const auto posted = std::chrono::steady_clock::now();
                  QMetaObject::invokeMethod(
                      receiver,
                      [this, posted] {
                          const std::lock_guard lock(mutex_);
                          delays_.push_back(bench::secondsSince(posted) * 1000.0);
                      },
                      Qt::QueuedConnection);
                  std::this_thread::sleep_for(std::chrono::milliseconds(10));
              }
          })
    {
    }
    ~LatencyProbe() { stopAndJoin(); }
    void stopAndJoin()
    {
        stop_ = true;
        if (poster_.joinable()) poster_.join();
    }
    // The delays answered so far, in milliseconds.
    std::vector<double> delays()
    {
        const std::lock_guard lock(mutex_);
        return delays_;
    }

private:
    std::atomic<bool> stop_ = false;
    std::mutex mutex_;
    std::vector<double> delays_;
    std::thread poster_;
};

double percentile(std::vector<double> values, double p)
{
    if (values.empty()) return 0;
    const auto at = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at), values.end());
    return values[at];
}

void BM_InvWorkWindowLoadOfAMillionQuadrupoles(benchmark::State& state)
{
    const fs::path& file = millionSurvey();
    const fs::path folder = fs::temp_directory_path() / "vexora_invwork_window_bench";
    fs::create_directories(folder);
    double core = 0, window = 0;  // seconds, summed over the iterations
    // Peak resident sizes after the first core load and the first window
    // load: later iterations cannot go above what the process already had.
    double corePeak = 0, windowPeak = 0;
    std::vector<double> delays;  // ms, of every iteration
    for (auto _ : state) {
        {
            ProjectStore store;
            store.type = ProjectType::DataInversion;
            MessageLog log;
            ScriptedQuestions questions;
            answerLoadQuestions(questions);
            const auto start = std::chrono::steady_clock::now();
            if (funInputScheduleFile(store, {file, store.type}, log, questions) != LoadStatus::Loaded) state.SkipWithError("core load failed");
            core += bench::secondsSince(start);
            if (corePeak == 0) corePeak = bench::peakResidentMegabytes();
        }

        ProjectStore store;
        MessageLog log;
        ScriptedQuestions questions;
        answerLoadQuestions(questions);
        MemoryUserSettings settings;
        vexora::test::ScriptedFileDialogs dialogs;
        ScriptedProcessLauncher launcher;
        FixedFileSystemRoots roots{{folder}};
        ui::MDIStart main(store, log, questions, settings, dialogs,
                          ui::ShellEnvironment{folder, folder / "user", &launcher, &roots});
        ui::registerInvWork(main, store, log, questions, settings, dialogs);
        main.show();
        main.mnuNewProject_Click(ProjectType::DataInversion);
        main.LinkMenusToTreeView("DI workspace");
        auto* work = qobject_cast<ui::InvWork*>(main.taskWindows().window(TaskWindow::InvWork));
        QApplication::processEvents();
        dialogs.queue(ui::fromFilePath(file));

        const auto start = std::chrono::steady_clock::now();
        LatencyProbe probe(&main);
        work->findChild<QPushButton*>(QStringLiteral("cmdInputSchedFile"))->click();
        QApplication::processEvents();  // the grid and labels painted
        const double seconds = bench::secondsSince(start);
        probe.stopAndJoin();
        QApplication::processEvents();  // the last probes answered
        const std::vector<double> answered = probe.delays();
        delays.insert(delays.end(), answered.begin(), answered.end());
        window += seconds;
        if (windowPeak == 0) windowPeak = bench::peakResidentMegabytes();
        if (!store.survey.dataLoaded) state.SkipWithError("window load failed");
        state.SetIterationTime(seconds);
    }
    using benchmark::Counter;
    state.counters["core_load_s"] = Counter(core, Counter::kAvgIterations);
    state.counters["window_load_s"] = Counter(window, Counter::kAvgIterations);
    state.counters["window_added_s"] = Counter(window - core, Counter::kAvgIterations);
    state.counters["window_over_core"] = window / core;
    state.counters["probes"] = static_cast<double>(delays.size());
    state.counters["latency_p50_ms"] = percentile(delays, 0.50);
    state.counters["latency_p99_ms"] = percentile(delays, 0.99);
    state.counters["latency_max_ms"] = percentile(delays, 1.0);
    // Equal peaks: the window held no second copy of the survey's tables.
    state.counters["core_peak_MB"] = corePeak;
    state.counters["window_peak_MB"] = windowPeak;
    fs::remove_all(folder);
}
BENCHMARK(BM_InvWorkWindowLoadOfAMillionQuadrupoles)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
