#include "ui/jobs/ParallelRunFrame.h"

#include <algorithm>

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "core/jobs/ParallelRun.h"
#include "core/platform/AvailableMemory.h"
#include "engine/inversion/InversionMemory.h"
#include "ui/jobs/WorkspaceParts.h"
#include "ui/platform/FileDialogs.h"
#include "ui/platform/TextConversion.h"

namespace vexora::ui {

namespace {

constexpr const char* kHostFileFilter = "Host file (*.*)|*.*|";

}  // namespace

std::string inversionMemoryNote(const ProjectStore& store, const CoreProcesses& processes,
                                std::uint64_t availableBytes)
{
    if (!store.mesh.present) return "Memory: the estimate comes once the mesh is built.";
    const InversionSize size = inversionSizeOf(store.mesh, store.survey, store.settings);
    const int ranks = std::max(1, processes.count);
    const InversionMemory memory = inversionMemoryPerRank(size, ranks, availableBytes);
    std::string note = "Memory: " + inversionMemoryText(memory, ranks);
    // Without a host file every rank runs here and they share this memory.
    const int here = processes.hostFile.empty() ? ranks : 1;
    if (availableBytes == 0 || memory.total() * static_cast<std::uint64_t>(here) <= availableBytes) return note;
    note += "; more than the " + std::to_string(availableBytes >> 20) + " MB available" +
            (here > 1 ? " to " + std::to_string(here) + " ranks on this machine" : std::string()) + ". ";
    const int fit = ranksThatFit(size, availableBytes, kMostCoreProcesses);
    if (fit == 1) return note + "It fits as one process.";
    return note + (fit > 1 ? "It fits on " + std::to_string(fit) + " ranks (machines with this much memory each)."
                           : "More ranks do not help: use a coarser mesh.");
}

ParallelRunFrame::ParallelRunFrame(const ProjectStore& store, UserSettings& userSettings, FileDialogs& fileDialogs,
                                   Questions& questions, QWidget* parent)
    : QGroupBox(tr("Parallel run"), parent),
      store_(store),
      userSettings_(userSettings),
      fileDialogs_(fileDialogs),
      questions_(questions),
      processes_(new QSpinBox),
      hostFile_(new QLineEdit),
      browse_(new QPushButton(tr("..."))),
      estimate_(new QLabel)
{
    setObjectName(QStringLiteral("fraParallelRun"));
    processes_->setObjectName(QStringLiteral("spnProcesses"));
    hostFile_->setObjectName(QStringLiteral("txtHostFile"));
    browse_->setObjectName(QStringLiteral("cmdBrowseHostFile"));
    estimate_->setObjectName(QStringLiteral("lblMemoryEstimate"));
    processes_->setRange(1, kMostCoreProcesses);
    processes_->setToolTip(tr("How many processes (MPI ranks) run the inversion; 1 runs it as one process"));
    hostFile_->setToolTip(tr("The machines the processes run on (an OpenMPI host file); empty: all on this one"));
    browse_->setToolTip(tr("Choose the host file"));
    browse_->setMaximumWidth(32);
    estimate_->setWordWrap(true);

    const CoreProcesses saved = savedCoreProcesses(userSettings_);
    processes_->setValue(saved.count);
    hostFile_->setText(fromFilePath(saved.hostFile));

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(tr("Processes")), 0, 0);
    layout->addWidget(processes_, 0, 1);
    layout->addWidget(new QLabel(tr("Host file")), 0, 2);
    layout->addWidget(hostFile_, 0, 3);
    layout->addWidget(browse_, 0, 4);
    layout->addWidget(estimate_, 1, 0, 1, 5);
    layout->setColumnStretch(3, 1);

    connect(processes_, &QSpinBox::valueChanged, this, [this] {
        keepChoice();
        refreshEstimate();
    });
    connect(hostFile_, &QLineEdit::textChanged, this, [this] {
        keepChoice();
        refreshEstimate();
    });
    connect(browse_, &QPushButton::clicked, this, [this] { chooseHostFile(); });
    refreshEstimate();
}

CoreProcesses ParallelRunFrame::processes() const
{
    const int count = processes_->value();
    return {count, count > 1 ? toFilePath(hostFile_->text().trimmed()) : std::filesystem::path()};
}

void ParallelRunFrame::refreshEstimate()
{
    const bool several = processes_->value() > 1;
    hostFile_->setEnabled(several);
    browse_->setEnabled(several);
    estimate_->setText(toQString(inversionMemoryNote(store_, processes(), availableMemoryBytes())));
}

void ParallelRunFrame::chooseHostFile()
{
    const std::filesystem::path chosen =
        chooseExistingFile(this, fileDialogs_, questions_, tr("Choose host file"), kHostFileFilter);
    if (!chosen.empty()) hostFile_->setText(fromFilePath(chosen));
}

void ParallelRunFrame::keepChoice()
{
    saveCoreProcesses(userSettings_, {processes_->value(), toFilePath(hostFile_->text().trimmed())});
}

}  // namespace vexora::ui
