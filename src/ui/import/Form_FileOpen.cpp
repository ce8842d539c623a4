#include "ui/import/Form_FileOpen.h"


#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/import/schedule/SequenceLinks.h"
#include "core/import/tables/ImportFill.h"
#include "core/log/MessageLog.h"
#include "core/settings/LenientNumber.h"
#include "core/platform/Application.h"
#include "core/platform/Questions.h"
#include "ui/platform/BackgroundWork.h"
#include "ui/platform/FileDialogs.h"
#include "ui/platform/RunHandler.h"
#include "ui/platform/TextConversion.h"

namespace vexora::ui {

namespace {

std::string titled(std::string_view suffix) { return std::string(kApplicationTitle) + std::string(suffix); }

// The numbering options and the start they stand for.
constexpr const char* kStartNames[4] = {"Xmin", "Xmax", "Ymin ", "Ymax"};
constexpr int kStartValues[4] = {1, -1, 2, -2};

}  // namespace

Form_FileOpen::Form_FileOpen(ImportSet& set, ImportGrids& grids, MessageLog& log, Questions& questions,
                             FileDialogs& fileDialogs, QWidget* parent)
    : QDialog(parent),
      set_(set),
      grids_(grids),
      log_(log),
      questions_(questions),
      fileDialogs_(fileDialogs),
      cboFormat_(new QComboBox(this)),
      txtBin_(new QLineEdit(this)),
      txtSequence_(new QLineEdit(this)),
      txtConversion_(new QLineEdit(this)),
      chkSnake_(new QCheckBox(QStringLiteral("Snake"), this)),
      txtSpacing_(new QLineEdit(QStringLiteral("0"), this)),
      spnLineElectrodes_(new QSpinBox(this)),
      txtElectrodes_(new QLineEdit(this)),
      chkReverse_(new QCheckBox(QStringLiteral("Reverse cable"), this))
{
    setObjectName(QStringLiteral("Form_FileOpen"));
    setWindowTitle(QStringLiteral("IRIS Syscal Bin file import"));
    txtBin_->setMinimumWidth(380);

    auto* formatRow = new QHBoxLayout;
    formatRow->addWidget(new QLabel(QStringLiteral("File format:"), this));
    for (const ImportFormat& f : importFormats()) cboFormat_->addItem(QString::fromLatin1(f.name));
    cboFormat_->setToolTip(QStringLiteral("Load electrodes, quadrupoles and field data"));
    formatRow->addWidget(cboFormat_, 1);
    connect(cboFormat_, &QComboBox::currentIndexChanged, this, &Form_FileOpen::showFormat);

    binFrame_ = new QGroupBox(QStringLiteral("1. Select BIN file"), this);
    auto* binFrame = binFrame_;
    auto* binLayout = new QGridLayout(binFrame);
    cmdBin_ = new QPushButton(QStringLiteral("Select Bin file"), binFrame);
    auto* cmdBin = cmdBin_;
    binLabel_ = new QLabel(QStringLiteral("Bin file name"), binFrame);
    binLayout->addWidget(binLabel_, 0, 0);
    binLayout->addWidget(txtBin_, 0, 1);
    binLayout->addWidget(cmdBin, 0, 2);
    cmdBin->setToolTip(QStringLiteral("Choose the instrument's data file"));
    connect(cmdBin, &QPushButton::clicked, this, &Form_FileOpen::cmdSelectBin_Click);

    modeFrame_ = new QGroupBox(QStringLiteral("2. Importing options"), this);
    auto* modeFrame = modeFrame_;
    auto* modeLayout = new QGridLayout(modeFrame);
    const char* modeNames[4] = {"Link Bin file to Electre II sequence TXT file",
                                "Link Bin file to Conversion Table for electrodes", "2D profile import",
                                "3D grid import"};
    for (int m = 0; m < 4; ++m) {
        optMode_[m] = new QRadioButton(QString::fromLatin1(modeNames[m]), modeFrame);
        connect(optMode_[m], &QRadioButton::toggled, this, &Form_FileOpen::enableByMode);
    }
    auto* sequenceLabel = new QLabel(QStringLiteral("TXT Sequence file name"), modeFrame);
    auto* cmdSequence = new QPushButton(QStringLiteral("Select TXT sequence file"), modeFrame);
    cmdSequence->setToolTip(QStringLiteral("Choose the sequence text file that gives the electrodes' positions"));
    connect(cmdSequence, &QPushButton::clicked, this, &Form_FileOpen::cmdSelectSequence_Click);
    auto* conversionFrame = new QGroupBox(
        QStringLiteral("Conversion Table for electrodes: elec_ID, XBin, YBin, ZBin, XNew, YNew, ZNew"), modeFrame);
    auto* conversionLayout = new QGridLayout(conversionFrame);
    auto* cmdConversion = new QPushButton(QStringLiteral("Select Conversion Table"), conversionFrame);
    cmdConversion->setToolTip(QStringLiteral("Choose the table that renumbers and moves the electrodes"));
    connect(cmdConversion, &QPushButton::clicked, this, &Form_FileOpen::cmdSelectConversion_Click);
    conversionLayout->addWidget(new QLabel(QStringLiteral("Conversion Table file name"), conversionFrame), 0, 0);
    conversionLayout->addWidget(txtConversion_, 0, 1);
    conversionLayout->addWidget(cmdConversion, 0, 2);
    modeLayout->addWidget(optMode_[0], 0, 0, 1, 3);
    modeLayout->addWidget(sequenceLabel, 1, 0);
    modeLayout->addWidget(txtSequence_, 1, 1);
    modeLayout->addWidget(cmdSequence, 1, 2);
    modeLayout->addWidget(optMode_[1], 2, 0, 1, 3);
    modeLayout->addWidget(conversionFrame, 3, 0, 1, 3);
    modeLayout->addWidget(optMode_[2], 4, 0, 1, 3);
    modeLayout->addWidget(optMode_[3], 5, 0, 1, 2);
    modeLayout->addWidget(chkSnake_, 5, 2);
    sequenceControls_[0] = txtSequence_;
    sequenceControls_[1] = cmdSequence;
    conversionControls_[0] = txtConversion_;
    conversionControls_[1] = cmdConversion;

    startFrame_ = new QGroupBox(QStringLiteral("3. Numbering options"), this);
    auto* startFrame = startFrame_;
    auto* startLayout = new QGridLayout(startFrame);
    startLayout->addWidget(new QLabel(QStringLiteral("Start numbering along:"), startFrame), 0, 0, 1, 4);
    for (int k = 0; k < 4; ++k) {
        optStart_[k] = new QRadioButton(QString::fromLatin1(kStartNames[k]), startFrame);
        startLayout->addWidget(optStart_[k], 1, k);
    }
    optStart_[0]->setChecked(true);
    optMode_[2]->setChecked(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setToolTip(QStringLiteral("Import the file with the options chosen"));
    buttons->button(QDialogButtonBox::Cancel)->setToolTip(QStringLiteral("Close without importing"));
    connect(buttons, &QDialogButtonBox::accepted, this, &Form_FileOpen::cmdOK_Click);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    textFrame_ = new QGroupBox(QStringLiteral("Text file options"), this);
    auto* textLayout = new QGridLayout(textFrame_);
    txtSpacing_->setToolTip(QStringLiteral("Electrode spacing in metres for files that give electrode numbers; "
                                           "0 takes the spacing the file's header gives"));
    spnLineElectrodes_->setRange(0, 100000);
    spnLineElectrodes_->setToolTip(QStringLiteral("Electrodes per line of a 3D block file; 0 takes the number "
                                                  "its protocol name gives"));
    auto* cmdElectrodes = new QPushButton(QStringLiteral("Select electrode file"), textFrame_);
    cmdElectrodes->setToolTip(QStringLiteral("Choose the x,y,z electrode positions of a .stg survey; empty takes "
                                             "STEM_elec.csv beside the file when there is one"));
    connect(cmdElectrodes, &QPushButton::clicked, this, &Form_FileOpen::cmdSelectElectrodes_Click);
    textLayout->addWidget(new QLabel(QStringLiteral("Electrode spacing (m)"), textFrame_), 0, 0);
    textLayout->addWidget(txtSpacing_, 0, 1);
    textLayout->addWidget(new QLabel(QStringLiteral("Electrodes per line (3D)"), textFrame_), 1, 0);
    textLayout->addWidget(spnLineElectrodes_, 1, 1);
    textLayout->addWidget(new QLabel(QStringLiteral("Electrode file (.stg)"), textFrame_), 2, 0);
    textLayout->addWidget(txtElectrodes_, 2, 1);
    textLayout->addWidget(cmdElectrodes, 2, 2);
    electrodeControls_[0] = txtElectrodes_;
    electrodeControls_[1] = cmdElectrodes;

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(formatRow);
    layout->addWidget(binFrame);
    layout->addWidget(modeFrame);
    layout->addWidget(startFrame);
    layout->addWidget(textFrame_);
    chkReverse_->setToolTip(QStringLiteral("The cable was laid the other way round: electrode n of N becomes "
                                           "N + 1 - n, positions kept"));
    layout->addWidget(chkReverse_);
    layout->addWidget(buttons);
    showFormat();
}

const ImportFormat& Form_FileOpen::format() const
{
    const int index = cboFormat_->currentIndex();
    const auto& formats = importFormats();
    return formats[index >= 0 && static_cast<std::size_t>(index) < formats.size() ? static_cast<std::size_t>(index) : 0];
}

TextImportOptions Form_FileOpen::textOptions() const
{
    TextImportOptions o;
    const TextOptionUse use = textOptionsOf(format().kind);
    if (use.spacing) o.spacing = lenientNumber(txtSpacing_->text().trimmed().toStdString());
    if (use.lineElectrodes) o.lineElectrodes = spnLineElectrodes_->value();
    if (use.electrodeFile) o.electrodeFile = toFilePath(txtElectrodes_->text().trimmed());
    return o;
}

// The binary file keeps its own texts; a text format names itself.
void Form_FileOpen::showFormat()
{
    const ImportFormat& f = format();
    const bool binary = f.kind == ImportFormatKind::SyscalBin;
    // "ABEM file" names itself a file already.
    const QString name = QString::fromLatin1(f.name);
    const QString file = name.endsWith(QStringLiteral(" file")) ? name : name + QStringLiteral(" file");
    setWindowTitle(file + QStringLiteral(" import"));
    binFrame_->setTitle(binary ? QStringLiteral("1. Select BIN file") : QStringLiteral("1. Select ") + file);
    binLabel_->setText(binary ? QStringLiteral("Bin file name") : QStringLiteral("File name"));
    cmdBin_->setText(binary ? QStringLiteral("Select Bin file") : QStringLiteral("Select file"));
    modeFrame_->setEnabled(binary);
    startFrame_->setEnabled(binary);
    textFrame_->setEnabled(!binary);
    // Only what the format reads can be edited.
    const TextOptionUse use = textOptionsOf(f.kind);
    txtSpacing_->setEnabled(use.spacing);
    spnLineElectrodes_->setEnabled(use.lineElectrodes);
    for (QWidget* w : electrodeControls_) w->setEnabled(use.electrodeFile);
    enableByMode();
}

BinImportOptions Form_FileOpen::options() const
{
    BinImportOptions o;
    int mode = 3;
    for (int m = 0; m < 4; ++m)
        if (optMode_[m]->isChecked()) mode = m + 1;
    o.mode = static_cast<ImportMode>(mode);
    o.binFile = toFilePath(txtBin_->text().trimmed());
    o.sequenceFile = toFilePath(txtSequence_->text().trimmed());
    o.conversionFile = toFilePath(txtConversion_->text().trimmed());
    o.isProfile = mode == 3;
    o.snake = mode == 3 ? false : chkSnake_->isChecked();
    for (int k = 0; k < 4; ++k)
        if (optStart_[k]->isChecked()) o.numberingStart = kStartValues[k];
    return o;
}

void Form_FileOpen::enableByMode()
{
    const bool sequence = optMode_[0]->isChecked(), conversion = optMode_[1]->isChecked();
    const bool numbering = optMode_[2]->isChecked() || optMode_[3]->isChecked();
    for (QWidget* w : sequenceControls_) w->setEnabled(sequence);
    for (QWidget* w : conversionControls_) w->setEnabled(conversion);
    for (QRadioButton* o : optStart_) o->setEnabled(numbering);
    chkSnake_->setEnabled(optMode_[3]->isChecked());
}

void Form_FileOpen::browse(QLineEdit* box, const char* title, const char* filter, std::string_view extension)
{
    runHandler(log_, "Form_FileOpen", [&] {
        const QString chosen = fileDialogs_.openFileName(this, QString::fromLatin1(title), toQtFilters(filter));
        if (chosen.isEmpty()) return;  // cancelled
        const std::string name = toFilePath(chosen).string();
        if (const auto refused = checkImportFileChoice(name, extension)) {
            const bool badFormat = refused->starts_with(kInvalidFileFormat);
            questions_.showMessage(titled(" - Warning"), *refused,
                                   badFormat ? MessageIcon::Exclamation : MessageIcon::Critical);
            return;
        }
        box->setText(chosen);
    });
}

void Form_FileOpen::cmdSelectBin_Click()
{
    const ImportFormat& f = format();
    if (f.kind == ImportFormatKind::SyscalBin) return browse(txtBin_, "Open Bin file", "Bin (*.bin)|*.bin|", "bin");
    const std::string name = f.name;
    const std::string title = "Open " + (name.ends_with(" file") ? name : name + " file");
    const std::string filter = std::string(f.filter) + " All (*.*)|*.*|";
    browse(txtBin_, title.c_str(), filter.c_str(), f.extension);
}

void Form_FileOpen::cmdSelectElectrodes_Click()
{
    browse(txtElectrodes_, "Open electrode file", "csv (*.csv)|*.csv| All (*.*)|*.*|", "");
}

void Form_FileOpen::cmdSelectSequence_Click()
{
    browse(txtSequence_, "Open sequence TXT file", "Txt (*.txt)|*.txt|", "txt");
}

void Form_FileOpen::cmdSelectConversion_Click()
{
    browse(txtConversion_, "Open Conversion Table TXT file", "Txt (*.txt)|*.txt| All (*.*)|*.*|", "");
}

void Form_FileOpen::fail(std::string_view text)
{
    log_.logError("Form_FileOpen", text);
    questions_.showMessage(titled(" - Error"), text, MessageIcon::Critical);
}

void Form_FileOpen::cmdOK_Click()
{
    runHandler(log_, "cmdOK_Click", [&] {
        const ImportFormat& chosen = format();
        if (chosen.kind != ImportFormatKind::SyscalBin) return importText(chosen);
        const BinImportOptions o = options();
        if (o.binFile.empty()) return fail("Invalid BIN file name.");
        if (o.mode == ImportMode::Sequence && o.sequenceFile.empty()) return fail("Invalid TXT sequence file name.");
        if (o.mode == ImportMode::ConversionTable && o.conversionFile.empty())
            return fail("Invalid Conversion Table file name.");

        // Read aside: a cancelled import leaves the tables as they were; a
        // finished one, failed or not, replaces them (emptied on failure).
        ImportSet set;
        ImportGrids grids;
        ImportStatus status = ImportStatus::Failed;
        const bool cancelled =
            runWithProgress(this, tr("Import"), log_, [&](const Feedback& feedback, MessageLog& importLog) {
                status = funImportBinFile(o, set, grids, importLog, feedback);
            });
        if (cancelled) return;
        status = reverseWhenAsked(set, grids, status);
        set_ = std::move(set);
        grids_ = std::move(grids);
        if (status == ImportStatus::SequenceTooFewElectrodes || status == ImportStatus::SequenceQuadrupoleCount)
            questions_.showMessage(titled(" - Warning"),
                                   status == ImportStatus::SequenceTooFewElectrodes ? kSequenceElectrodesWarning
                                                                                    : kSequenceQuadrupolesWarning,
                                   MessageIcon::Exclamation);
        if (status != ImportStatus::Ok) return fail(kImportFailedMessage);
        accept();
    });
}

void Form_FileOpen::importText(const ImportFormat& chosen)
{
    const std::filesystem::path file = toFilePath(txtBin_->text().trimmed());
    if (file.empty()) return fail("Invalid file name.");
    if (const auto refused = checkImportFileChoice(file.string(), chosen.extension)) return fail(*refused);
    const TextImportOptions o = textOptions();
    if (!(o.spacing >= 0)) return fail("Invalid electrode spacing.");
    ImportSet set;
    ImportGrids grids;
    ImportStatus status = ImportStatus::Failed;
    const bool cancelled =
        runWithProgress(this, tr("Import"), log_, [&](const Feedback& feedback, MessageLog& importLog) {
            status = importTextFile(chosen.kind, file, set, grids, importLog, feedback, o);
        });
    if (cancelled) return;
    status = reverseWhenAsked(set, grids, status);
    set_ = std::move(set);
    grids_ = std::move(grids);
    if (status != ImportStatus::Ok) return fail(kImportFailedMessage);
    accept();
}

ImportStatus Form_FileOpen::reverseWhenAsked(ImportSet& set, ImportGrids& grids, ImportStatus status)
{
    if (status != ImportStatus::Ok || !chkReverse_->isChecked()) return status;
    // The grids show the numbers as reversed.
    if (reverseImportedCable(set, log_) == Status::Ok) return subFillImportTables(set, grids, log_);
    set.clear();  // a failed import leaves empty tables
    grids = ImportGrids{};
    return ImportStatus::Failed;
}

}  // namespace vexora::ui
