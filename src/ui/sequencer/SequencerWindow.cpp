#include "ui/sequencer/SequencerWindow.h"

#include <filesystem>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "core/datafile/ScheduleLoader.h"
#include "core/sequence/SequenceFile.h"
#include "ui/log/MessageLogPanel.h"
#include "ui/platform/FileDialogs.h"
#include "ui/platform/TextConversion.h"
#include "ui/sequencer/SequenceComparePanel.h"
#include "ui/sequencer/SequencePlan.h"

namespace vexora::ui {

namespace {

constexpr const char* kSource = "VexoraSequencer";
const QString kDataFilter = QStringLiteral("Data file (*.data);;All Files (*)");

QSpinBox* spin(int low, int high, int value, const char* name)
{
    auto* box = new QSpinBox;
    box->setRange(low, high);
    box->setValue(value);
    box->setObjectName(QLatin1String(name));
    return box;
}

QDoubleSpinBox* real(double low, double high, double value, int decimals, const char* name)
{
    auto* box = new QDoubleSpinBox;
    box->setRange(low, high);
    box->setDecimals(decimals);
    box->setValue(value);
    box->setObjectName(QLatin1String(name));
    return box;
}

}  // namespace

SequencerWindow::SequencerWindow(MessageLog& log, Questions& questions, FileDialogs& fileDialogs, QWidget* parent)
    : QMainWindow(parent), log_(log), questions_(questions), fileDialogs_(fileDialogs)
{
    setWindowTitle(tr("Vexora Sequencer"));
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("Load electrodes..."), this, [this] { mnuLoadElectrodes_Click(); })
        ->setObjectName(QStringLiteral("mnuLoadElectrodes"));
    file->addAction(tr("Save sequence..."), this, [this] { mnuSave_Click(); })->setObjectName(QStringLiteral("mnuSave"));
    file->addSeparator();
    file->addAction(tr("Quit"), this, &QWidget::close)->setObjectName(QStringLiteral("mnuQuit"));
    compare_ = new SequenceComparePanel(
        log_, [this] { return design() == Status::Ok ? &design_ : nullptr; }, [this] { return resistivity_->value(); });
    QMenu* figures = menuBar()->addMenu(tr("F&igures"));
    figures->addAction(tr("Keep as sequence 1"), this, [this] { compare_->keep(); })
        ->setObjectName(QStringLiteral("mnuKeep"));
    figures->addAction(tr("Compare with sequence 1"), this, [this] { (void)compare_->compare(); })
        ->setObjectName(QStringLiteral("mnuCompare"));
    figures->addAction(tr("Show sequence 1 in the viewer"), this, [this] { compare_->showInViewer(1); })
        ->setObjectName(QStringLiteral("mnuViewer1"));
    figures->addAction(tr("Show sequence 2 in the viewer"), this, [this] { compare_->showInViewer(2); })
        ->setObjectName(QStringLiteral("mnuViewer2"));

    auto* controls = new QWidget;
    auto* column = new QVBoxLayout(controls);
    column->addWidget(buildLayoutPanel());
    column->addWidget(buildArrayPanel());
    column->addWidget(buildLimitPanel());
    auto* buttons = new QHBoxLayout;
    auto* designButton = new QPushButton(tr("Design"));
    designButton->setObjectName(QStringLiteral("cmdDesign"));
    auto* saveButton = new QPushButton(tr("Save..."));
    saveButton->setObjectName(QStringLiteral("cmdSave"));
    connect(designButton, &QPushButton::clicked, this, [this] { (void)design(); });
    connect(saveButton, &QPushButton::clicked, this, [this] { mnuSave_Click(); });
    buttons->addWidget(designButton);
    buttons->addWidget(saveButton);
    column->addLayout(buttons);
    column->addStretch();

    plan_ = new SequencePlan;
    summary_ = new QLabel(tr("Choose a layout and arrays, then Design."));
    summary_->setObjectName(QStringLiteral("lblSummary"));
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    summary_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    auto* right = new QWidget;
    auto* rightColumn = new QVBoxLayout(right);
    rightColumn->addWidget(plan_, 1);
    rightColumn->addWidget(summary_);
    rightColumn->addWidget(compare_, 1);

    auto* top = new QSplitter(Qt::Horizontal);
    top->addWidget(controls);
    top->addWidget(right);
    top->setStretchFactor(1, 1);
    auto* whole = new QSplitter(Qt::Vertical);
    whole->addWidget(top);
    whole->addWidget(new MessageLogPanel(log_, questions_, fileDialogs_));
    whole->setStretchFactor(0, 1);
    setCentralWidget(whole);
    resize(1100, 900);
}

QWidget* SequencerWindow::buildLayoutPanel()
{
    auto* group = new QGroupBox(tr("Electrode layout"));
    auto* form = new QVBoxLayout(group);
    layoutBox_ = new QComboBox;
    layoutBox_->setObjectName(QStringLiteral("cboLayout"));
    layoutBox_->addItems({tr("Cable line"), tr("Grid"), tr("Electrodes of a data file")});
    form->addWidget(layoutBox_);
    layoutPages_ = new QStackedWidget;

    auto* linePage = new QWidget;
    auto* lineForm = new QFormLayout(linePage);
    cables_ = spin(1, 1000, 1, "txtCables");
    perCable_ = spin(1, kMaxLayoutElectrodes, 24, "txtElectrodesPerCable");
    spacing_ = real(0.01, 10000, 2, 2, "txtSpacing");
    lineForm->addRow(tr("Cables"), cables_);
    lineForm->addRow(tr("Electrodes per cable"), perCable_);
    lineForm->addRow(tr("Spacing (m)"), spacing_);

    auto* gridPage = new QWidget;
    auto* gridForm = new QFormLayout(gridPage);
    nx_ = spin(1, kMaxLayoutElectrodes, 6, "txtNx");
    ny_ = spin(1, kMaxLayoutElectrodes, 6, "txtNy");
    dx_ = real(0.01, 10000, 2, 2, "txtDx");
    dy_ = real(0.01, 10000, 2, 2, "txtDy");
    gridForm->addRow(tr("Electrodes per row (x)"), nx_);
    gridForm->addRow(tr("Rows (y)"), ny_);
    gridForm->addRow(tr("Spacing along x (m)"), dx_);
    gridForm->addRow(tr("Row spacing (m)"), dy_);

    auto* filePage = new QWidget;
    auto* fileColumn = new QVBoxLayout(filePage);
    fileLabel_ = new QLabel(tr("No data file loaded"));
    fileLabel_->setWordWrap(true);
    auto* loadButton = new QPushButton(tr("Load electrodes..."));
    loadButton->setObjectName(QStringLiteral("cmdLoadElectrodes"));
    connect(loadButton, &QPushButton::clicked, this, [this] { mnuLoadElectrodes_Click(); });
    fileColumn->addWidget(fileLabel_);
    fileColumn->addWidget(loadButton);

    layoutPages_->addWidget(linePage);
    layoutPages_->addWidget(gridPage);
    layoutPages_->addWidget(filePage);
    connect(layoutBox_, &QComboBox::currentIndexChanged, layoutPages_, &QStackedWidget::setCurrentIndex);
    form->addWidget(layoutPages_);
    return group;
}

QWidget* SequencerWindow::buildArrayPanel()
{
    auto* group = new QGroupBox(tr("Arrays"));
    auto* grid = new QGridLayout(group);
    for (int k = 0; k < kArrayKinds; ++k) {
        const QString name = QString::fromLatin1(arrayName(static_cast<ArrayKind>(k)));
        auto* box = new QCheckBox(name.left(1).toUpper() + name.mid(1));
        box->setObjectName(QStringLiteral("chkArray") + QString::number(k));
        arrays_[static_cast<std::size_t>(k)] = box;
        grid->addWidget(box, k / 2, k % 2);
    }
    arrays_[static_cast<std::size_t>(ArrayKind::DipoleDipole)]->setChecked(true);
    return group;
}

QWidget* SequencerWindow::buildLimitPanel()
{
    auto* group = new QGroupBox(tr("Dipoles and instrument limits"));
    auto* form = new QFormLayout(group);
    aMin_ = spin(1, 1000, 1, "txtAMin");
    aMax_ = spin(1, 1000, 1, "txtAMax");
    nMin_ = spin(1, 1000, 1, "txtNMin");
    nMax_ = spin(1, 1000, 6, "txtNMax");
    auto pairRow = [&](QSpinBox* low, QSpinBox* high) {
        auto* row = new QWidget;
        auto* h = new QHBoxLayout(row);
        h->setContentsMargins(0, 0, 0, 0);
        h->addWidget(low);
        h->addWidget(new QLabel(tr("to")));
        h->addWidget(high);
        return row;
    };
    lineGap_ = spin(1, 1000, 1, "txtLineGap");
    channels_ = spin(1, 1000, 8, "txtChannels");
    minK_ = real(0, 1e9, 0, 1, "txtMinK");
    maxK_ = real(0, 1e9, 0, 1, "txtMaxK");
    minK_->setSpecialValueText(tr("none"));
    maxK_->setSpecialValueText(tr("none"));
    reciprocals_ = new QCheckBox(tr("Add the reciprocal set"));
    reciprocals_->setObjectName(QStringLiteral("chkReciprocals"));
    resistivity_ = real(0.001, 1e7, kDefaultDesignResistivity, 3, "txtResistivity");
    form->addRow(tr("Dipole length a (spacings)"), pairRow(aMin_, aMax_));
    form->addRow(tr("Separation n"), pairRow(nMin_, nMax_));
    form->addRow(tr("Line gap (grid arrays)"), lineGap_);
    form->addRow(tr("Channels per injection"), channels_);
    form->addRow(tr("Minimum |K| (m)"), minK_);
    form->addRow(tr("Maximum |K| (m)"), maxK_);
    form->addRow(reciprocals_);
    form->addRow(tr("Ground resistivity (ohm m)"), resistivity_);
    return group;
}

SequenceOptions SequencerWindow::options() const
{
    SequenceOptions o;
    for (int k = 0; k < kArrayKinds; ++k)
        if (arrays_[static_cast<std::size_t>(k)]->isChecked()) o.arrays.push_back(static_cast<ArrayKind>(k));
    o.aMin = aMin_->value(), o.aMax = aMax_->value();
    o.nMin = nMin_->value(), o.nMax = nMax_->value();
    o.lineGap = lineGap_->value();
    o.channels = channels_->value();
    o.minAbsK = minK_->value(), o.maxAbsK = maxK_->value();
    o.reciprocals = reciprocals_->isChecked();
    return o;
}

Status SequencerWindow::buildLayout(ElectrodeLayout& layout)
{
    switch (layoutBox_->currentIndex()) {
    case CableLine: return cableLineLayout(cables_->value(), perCable_->value(), spacing_->value(), layout, log_);
    case Grid: return gridLayout(nx_->value(), ny_->value(), dx_->value(), dy_->value(), layout, log_);
    default:
        if (fileSurvey_.electrodes.empty()) return log_.error(kSource, "Load the electrodes of a data file first.");
        return surveyLayout(fileSurvey_, layout, log_);
    }
}

Status SequencerWindow::design()
{
    ElectrodeLayout layout;
    SequenceDesign designed;
    const bool ok = buildLayout(layout) == Status::Ok && designSequence(layout, options(), designed, log_) == Status::Ok;
    hasDesign_ = ok;
    design_ = ok ? std::move(designed) : SequenceDesign{};
    plan_->setDesign(ok ? &design_ : nullptr);
    if (!ok) {
        summary_->setText(tr("No sequence: see the message log."));
        return Status::Error;
    }
    QStringList lines;
    for (const std::string& line : summaryLines(design_.summary)) lines << QString::fromStdString(line);
    summary_->setText(lines.join(QLatin1Char('\n')));
    return Status::Ok;
}

void SequencerWindow::mnuLoadElectrodes_Click()
{
    const QString chosen = fileDialogs_.openFileName(this, tr("Load electrodes"), kDataFilter);
    if (!chosen.isEmpty()) loadElectrodes(chosen);
}

void SequencerWindow::loadElectrodes(const QString& chosen)
{
    ProjectStore store;
    const DataLoadRequest request{toFilePath(chosen), ProjectType::SurveyDesign, false, false};
    if (funInputScheduleFile(store, request, log_, questions_) != LoadStatus::Loaded) return;
    fileSurvey_ = std::move(store.survey);
    fileLabel_->setText(tr("%1: %2 electrodes on %3 cables")
                            .arg(QString::fromStdString(toFilePath(chosen).filename().string()))
                            .arg(fileSurvey_.electrodes.size())
                            .arg(fileSurvey_.cableNames.size()));
    layoutBox_->setCurrentIndex(FileElectrodes);
    (void)design();
}

void SequencerWindow::mnuSave_Click()
{
    if (design() != Status::Ok) return;
    const QString chosen = fileDialogs_.saveFileName(this, tr("Save sequence"), QStringLiteral("sequence.data"), kDataFilter);
    if (chosen.isEmpty()) return;
    const std::filesystem::path path = toFilePath(chosen);
    if (std::filesystem::exists(path) &&
        !confirmOverwrite(questions_, "Save as", toWindows1252(chosen), MessageIcon::Exclamation))
        return;
    if (saveSequence(design_, resistivity_->value(), path, log_) != Status::Ok) return;
    log_.subWriteToTextBox("Sequence saved: " + std::to_string(design_.quadrupoles.size()) + " quadrupoles in " +
                           toWindows1252(chosen) + "." + kLineBreak);
}

}  // namespace vexora::ui
