#include "ui/sequencer/SequenceComparePanel.h"

#include <QCoreApplication>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/sequence/SequenceFile.h"
#include "core/shell/ExternalPrograms.h"
#include "ui/platform/BackgroundWork.h"
#include "ui/platform/TextConversion.h"

namespace vexora::ui {

namespace {

constexpr const char* kSource = "VexoraSequencer";

QDoubleSpinBox* real(double low, double high, double value, const char* name)
{
    auto* box = new QDoubleSpinBox;
    box->setRange(low, high);
    box->setDecimals(2);
    box->setValue(value);
    box->setObjectName(QLatin1String(name));
    return box;
}

QString keptText(const SequenceSummary& s)
{
    return QObject::tr("Sequence 1: %1 quadrupoles, %2 current injections").arg(s.quadrupoles).arg(s.injections);
}

}  // namespace

SequenceComparePanel::SequenceComparePanel(MessageLog& log, std::function<const SequenceDesign*()> current,
                                           std::function<double()> resistivity, QWidget* parent)
    : QGroupBox(tr("Compare two sequences on this layout"), parent), log_(log), current_(std::move(current)),
      resistivity_(std::move(resistivity))
{
    auto* column = new QVBoxLayout(this);
    kept_ = new QLabel(tr("Sequence 1: none kept. Design one and keep it, then design sequence 2."));
    kept_->setObjectName(QStringLiteral("lblKept"));
    kept_->setWordWrap(true);
    column->addWidget(kept_);

    auto* form = new QFormLayout;
    targetTop_ = real(0, 1e5, 0, "txtTargetTop");
    targetBottom_ = real(0, 1e5, 2, "txtTargetBottom");
    lambda_ = real(0.01, 1e6, 10, "txtRoughness");
    auto* depths = new QWidget;
    auto* h = new QHBoxLayout(depths);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(targetTop_);
    h->addWidget(new QLabel(tr("to")));
    h->addWidget(targetBottom_);
    form->addRow(tr("Target depth (m)"), depths);
    form->addRow(tr("Roughness factor"), lambda_);
    column->addLayout(form);

    auto* buttons = new QHBoxLayout;
    const auto button = [&](const QString& text, const char* name, auto slot) {
        auto* b = new QPushButton(text);
        b->setObjectName(QLatin1String(name));
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
    };
    button(tr("Keep as sequence 1"), "cmdKeep", [this] { keep(); });
    button(tr("Compare"), "cmdCompare", [this] { (void)compare(); });
    button(tr("Viewer: 1"), "cmdViewer1", [this] { showInViewer(1); });
    button(tr("Viewer: 2"), "cmdViewer2", [this] { showInViewer(2); });
    column->addLayout(buttons);

    table_ = new QTableWidget(0, 3);
    table_->setObjectName(QStringLiteral("tblCompare"));
    table_->setHorizontalHeaderLabels({tr("Figure"), tr("Sequence 1"), tr("Sequence 2")});
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    column->addWidget(table_, 1);
    verdict_ = new QLabel;
    verdict_->setObjectName(QStringLiteral("lblVerdict"));
    verdict_->setWordWrap(true);
    column->addWidget(verdict_);
}

void SequenceComparePanel::setViewerStart(ProcessLauncher* launcher, std::filesystem::path applicationFolder)
{
    launcher_ = launcher;
    applicationFolder_ = std::move(applicationFolder);
}

void SequenceComparePanel::keep()
{
    const SequenceDesign* design = current_();
    if (!design) return;
    first_ = *design;
    kept_->setText(keptText(first_->summary));
    log_.subWriteToTextBox("Sequence 1 kept: " + std::to_string(first_->summary.quadrupoles) + " quadrupoles." +
                           kLineBreak);
}

Status SequenceComparePanel::compare()
{
    if (!first_) return log_.error(kSource, "Keep a sequence as sequence 1 first, then design the second one.");
    if (!(targetBottom_->value() >= targetTop_->value()))
        return log_.error(kSource, "The target's bottom depth must not be above its top.");
    if (!comparer_) return log_.error(kSource, "No sensitivity computation is available to this window.");
    const SequenceDesign* second = current_();
    if (!second) return Status::Error;

    // Both sequences as data files in a folder of this session, where the
    // viewer files stay for the viewer to open.
    const std::filesystem::path folder =
        toFilePath(QDir::temp().filePath(QStringLiteral("VexoraSequencer-%1").arg(QCoreApplication::applicationPid())));
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const std::filesystem::path files[2] = {folder / "sequence_1.data", folder / "sequence_2.data"};
    if (saveSequence(*first_, resistivity_(), files[0], log_) != Status::Ok ||
        saveSequence(*second, resistivity_(), files[1], log_) != Status::Ok)
        return Status::Error;

    log_.subWriteToTextBox(std::string("Comparing the two sequences: sensitivities and resolution on one mesh...") +
                           kLineBreak);
    ComparedSequences compared;
    Status status = Status::Error;
    const double lambda = lambda_->value();
    const bool cancelled =
        runWithProgress(this, tr("Design figures"), log_, [&](const Feedback& feedback, MessageLog& workLog) {
            status = comparer_(files[0], files[1], folder / "figures", lambda, compared, workLog, feedback);
        });
    if (cancelled || status != Status::Ok) return Status::Error;

    const SequenceFigures a{&first_->summary, compared.sensitivity[0], compared.resolution[0]},
        b{&second->summary, compared.sensitivity[1], compared.resolution[1]};
    const TargetDepth target{targetTop_->value(), targetBottom_->value()};
    const std::vector<FigureRow> rows = comparisonRows(compared.mesh, a, b, target);
    if (rows.empty()) return log_.error(kSource, "The sensitivities do not fit the mesh: nothing to compare.");
    const std::string verdict = targetVerdict(compared.mesh, a, b, target);
    compared_ = std::move(compared);
    table_->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::string* cells[3] = {&rows[r].label, &rows[r].first, &rows[r].second};
        for (int c = 0; c < 3; ++c)
            table_->setItem(static_cast<int>(r), c, new QTableWidgetItem(toQString(*cells[c])));
    }
    table_->resizeColumnsToContents();
    table_->resizeRowsToContents();
    verdict_->setText(toQString(verdict));
    log_.subWriteToTextBox(verdict + " Figures for the viewer: " + compared_.viewerFiles[0].string() + ", " +
                           compared_.viewerFiles[1].string() + "." + kLineBreak);
    return Status::Ok;
}

void SequenceComparePanel::showInViewer(int k)
{
    const std::filesystem::path& file = compared_.viewerFiles[k - 1];
    if (file.empty()) {
        (void)log_.error(kSource, "Compare the sequences first: the viewer shows their figures.");
        return;
    }
    const std::optional<std::filesystem::path> program =
        launcher_ ? locateProgramFile(applicationFolder_, kViewerProgram) : std::nullopt;
    std::string why;
    if (!program) {
        (void)log_.error(kSource, std::string(kViewerProgram) + " not found beside the sequencer.");
        return;
    }
    if (!launcher_->startDetached(*program, {file.string(), "--quantity", "Resolution"}, applicationFolder_, &why))
        (void)log_.error(kSource, std::string(kViewerProgram) + " could not be started: " + why);
}

}  // namespace vexora::ui
