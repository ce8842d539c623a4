#pragma once
// The inversion workspace's "Parallel run" frame: how many processes run
// the core and the host file that spreads them over machines, both kept
// per user, and the estimate of the memory each process will take.

#include <cstdint>
#include <string>

#include <QGroupBox>

#include "core/jobfiles/CorePrograms.h"
#include "core/platform/Questions.h"
#include "core/platform/UserSettings.h"
#include "core/project/ProjectStore.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace vexora::ui {

class FileDialogs;

// "Memory: about ... per rank on N ranks (...)" for an inversion of the
// project on `processes`, with what is `available` (0: unknown); once the
// ranks on this machine need more, how many machines of this memory it
// fits on. Without a mesh, that the estimate comes once it is built.
std::string inversionMemoryNote(const ProjectStore& store, const CoreProcesses& processes,
                                std::uint64_t availableBytes);

class ParallelRunFrame : public QGroupBox {
    Q_OBJECT
public:
    ParallelRunFrame(const ProjectStore& store, UserSettings& userSettings, FileDialogs& fileDialogs,
                     Questions& questions, QWidget* parent = nullptr);

    // The chosen processes; one process names no host file.
    CoreProcesses processes() const;
    // Estimates again with the project as it is now.
    void refreshEstimate();

    QSpinBox* processBox() const { return processes_; }
    QLineEdit* hostFileEdit() const { return hostFile_; }
    QLabel* estimateLabel() const { return estimate_; }

private:
    void chooseHostFile();
    void keepChoice();

    const ProjectStore& store_;
    UserSettings& userSettings_;
    FileDialogs& fileDialogs_;
    Questions& questions_;
    QSpinBox* processes_;
    QLineEdit* hostFile_;
    QPushButton* browse_;
    QLabel* estimate_;
};

}  // namespace vexora::ui
