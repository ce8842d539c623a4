// VORozurire, the numerical core's manager:
//   VORozurire VexoraRUR64 SCRIPT INV|FWM|SENS
// starts the core found beside it on the script ("RUNSCRIPT SCRIPT") and
// follows the job through the files the script names: progress, log, abort.
// With a display it shows the job window; without one (neither DISPLAY nor
// WAYLAND_DISPLAY nor QT_QPA_PLATFORM set) it prints each new progress line
// ("percent<TAB>stage") on standard output. The core's own output passes
// through. Exit status: the core's; 1 when it could not be started, 2 on
// misuse.

#include <cstdlib>
#include <iostream>
#include <memory>

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>

#include "core/io/SaveTemporary.h"
#include "core/io/TextFile.h"
#include "engine/manager/JobWindow.h"
#include "core/platform/ProcessLauncher.h"
#include "engine/script/JobFiles.h"
#include "engine/script/ProgramArguments.h"

namespace {

namespace fs = std::filesystem;
using namespace vexora;

constexpr int kPollMilliseconds = 200;

bool hasDisplay()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

QString fromPath(const fs::path& path) { return QFile::decodeName(QByteArray::fromStdString(path.string())); }

// What the watcher has seen of the job's files so far.
struct JobWatch {
    JobFiles files;
    std::uintmax_t logOffset = 0;
    std::optional<ProgressState> progress;
};

}  // namespace

int main(int argc, char** argv)
{
    installSaveInterruptCleanup();
    const auto job = managerArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!job) {
        std::cerr << kManagerUsage << "\n";
        return 2;
    }
    const bool window = hasDisplay();
    std::unique_ptr<QCoreApplication> app = window ? std::make_unique<QApplication>(argc, argv)
                                                   : std::make_unique<QCoreApplication>(argc, argv);

    const fs::path applicationFolder = QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    const std::string coreName = job->core.ends_with(".exe") ? job->core : job->core + ".exe";
    const std::optional<fs::path> core = locateProgramFile(applicationFolder, coreName);
    if (!core) {
        const std::string message = (applicationFolder / coreName).string() + " not found!";
        std::cerr << message << "\n";
        if (window) QMessageBox::critical(nullptr, "VORozurire", QString::fromStdString(message));
        return 1;
    }

    JobWatch watch{scriptJobFiles(job->script), 0, std::nullopt};
    std::unique_ptr<JobWindow> view;
    if (window) {
        std::function<bool(QString&)> requestAbort;
        if (!watch.files.abort.empty())
            requestAbort = [abortFile = watch.files.abort](QString& why) {
                std::string reason;
                if (writeFileAtomically(abortFile, "Abort requested by VORozurire\r\n", &reason)) return true;
                why = QString::fromStdString(reason);
                return false;
            };
        view = std::make_unique<JobWindow>(QString::fromStdString(job->kind), fromPath(job->script.parent_path()),
                                           requestAbort);
        view->show();
    }

    const auto poll = [&] {
        if (!watch.files.log.empty() && view) {
            const std::string text = readFileFrom(watch.files.log, watch.logOffset);
            if (!text.empty()) view->appendLog(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())).remove('\r'));
        }
        if (watch.files.progress.empty()) return;
        std::uintmax_t whole = 0;
        const std::optional<ProgressState> state = lastProgressState(readFileFrom(watch.files.progress, whole));
        if (!state || state == watch.progress) return;
        watch.progress = state;
        if (view) view->showProgress(*state);
        else std::cout << state->percent << "\t" << state->stage << std::endl;
    };

    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, poll);
    int exitCode = 1;
    QObject::connect(&process, &QProcess::finished, [&](int code, QProcess::ExitStatus status) {
        timer.stop();
        poll();
        exitCode = status == QProcess::NormalExit ? code : 1;
        if (view) view->showEnd(exitCode);
        else QCoreApplication::exit(exitCode);
    });
    process.start(fromPath(*core), {"RUNSCRIPT", fromPath(job->script)});
    if (!process.waitForStarted()) {
        const QString message = fromPath(*core) + " not started: " + process.errorString();
        std::cerr << message.toStdString() << "\n";
        if (view) QMessageBox::critical(view.get(), "VORozurire", message);
        return 1;
    }
    timer.start(kPollMilliseconds);
    const int appStatus = app->exec();
    return view ? exitCode : appStatus;
}
