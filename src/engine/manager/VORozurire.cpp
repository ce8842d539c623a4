// VORozurire, the numerical core's manager:
//   VORozurire VexoraRUR64 SCRIPT INV|FWM|SENS [--processes N] [--hostfile FILE]
// starts the core found beside it on the script ("RUNSCRIPT SCRIPT"), as N
// ranks under mpirun when N is above 1, and
// follows the job through the files the script names: progress, log, abort.
// With a display it shows the job window; without one (neither DISPLAY nor
// WAYLAND_DISPLAY nor QT_QPA_PLATFORM set) it prints each new progress line
// ("percent<TAB>stage") on standard output. The core's own output passes
// through. The script's folder stays locked for the job's life: a second
// manager there refuses to start. When the core does not complete, the
// manager adds how it ended to the log and progress files. Exit status: the
// core's, 128 + the signal that ended it; 1 when it could not be started,
// 2 on misuse.
//
// Paths stay bytes from the command line to the core's: a folder name that
// is no valid text in any encoding still names the same folder.

#include <cstdlib>
#include <iostream>
#include <memory>

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTimer>

#include "core/io/SaveTemporary.h"
#include "core/io/TextFile.h"
#include "core/platform/ChildProcess.h"
#include "core/platform/FolderLock.h"
#include "core/platform/ProcessLauncher.h"
#include "engine/manager/JobWindow.h"
#include "engine/script/JobEnd.h"
#include "engine/script/JobFiles.h"
#include "engine/script/ManagerWatch.h"
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

// For display only: the window shows what the bytes say as best it can.
QString shown(const std::string& text) { return QFile::decodeName(QByteArray::fromStdString(text)); }

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
    const auto refuse = [window](const std::string& message) {
        std::cerr << message << "\n";
        if (window) QMessageBox::critical(nullptr, "VORozurire", shown(message));
        return 1;
    };

    const fs::path applicationFolder = programFolder();
    const std::string coreName = job->core.ends_with(".exe") ? job->core : job->core + ".exe";
    const std::optional<fs::path> core = locateProgramFile(applicationFolder, coreName);
    if (!core) return refuse((applicationFolder / coreName).string() + " not found!");

    // Held until this process and the core have ended; nothing of a running
    // job's files is touched before it is taken.
    const fs::path jobFolder = job->script.has_parent_path() ? job->script.parent_path() : fs::path(".");
    int lock = -1;
    std::string why;
    switch (lockFolder(jobFolder, lock, &why)) {
    case FolderLockStatus::Locked: break;
    case FolderLockStatus::Busy:
        return refuse("A job is already running in " + jobFolder.string() + ": this one was not started.");
    case FolderLockStatus::Failed: return refuse("Job folder " + jobFolder.string() + " not locked: " + why);
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
        view = std::make_unique<JobWindow>(QString::fromStdString(job->kind), shown(jobFolder.string()), requestAbort);
        view->show();
    }

    const auto poll = [&] {
        if (!watch.files.log.empty() && view) {
            const std::string text = readFileFrom(watch.files.log, watch.logOffset);
            if (!text.empty()) view->appendLog(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())).remove('\r'));
        }
        if (watch.files.progress.empty()) return;
        const std::optional<ProgressState> state = readProgressFile(watch.files.progress);
        if (!state || state == watch.progress) return;
        watch.progress = state;
        if (view) view->showProgress(*state);
        else std::cout << state->percent << "\t" << state->stage << std::endl;
    };

    const std::optional<CoreCommand> command = coreCommand(*core, job->script, job->processes, why);
    if (!command) return refuse(why);
    const std::optional<int> coreProcess =
        startChildProcess(command->program, command->arguments, {managerProcessEntry()}, &why);
    if (!coreProcess) return refuse(command->program.string() + " not started: " + why);

    int exitCode = 1;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const std::optional<ProcessEnd> end = childProcessEnd(*coreProcess);
        if (!end) {
            poll();
            return;
        }
        timer.stop();
        recordJobEnd(watch.files, *end, &std::cerr);
        poll();
        exitCode = end->signal != 0 ? 128 + end->signal : end->exitStatus;
        if (view) view->showEnd(*end);
        else QCoreApplication::exit(exitCode);
    });
    timer.start(kPollMilliseconds);
    const int appStatus = app->exec();
    return view ? exitCode : appStatus;
}
