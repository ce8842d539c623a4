#include "ui/import/Form_DataMerge.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "core/merge/DataMerge.h"
#include "core/merge/MergeSummary.h"
#include "core/settings/LenientNumber.h"
#include "core/settings/NumberText.h"
#include "ui/import/MergeElectrodeModel.h"
#include "ui/platform/BackgroundWork.h"
#include "ui/platform/FileDialogs.h"
#include "ui/platform/RunHandler.h"
#include "ui/platform/TextConversion.h"

namespace vexora::ui {

namespace {

constexpr std::string_view kMergeFilter =
        "Data file (*.data)|*.data|Text (*.txt)|*.txt|CSV File(*.csv)|*.csv|Dat File(*.dat)|*.dat|All Files (*.*)|*.*";

double typedNumber(const QLineEdit* box) { return lenientNumber(toWindows1252(box->text().trimmed())); }

}  // namespace

Form_DataMerge::Form_DataMerge(ProjectStore& store, MessageLog& log, Questions& questions, FileDialogs& fileDialogs,
                               QWidget* parent)
    : QDialog(parent), store_(store), log_(log), questions_(questions), fileDialogs_(fileDialogs)
{
    setObjectName(QStringLiteral("Form_DataMerge"));
    setWindowTitle(QStringLiteral("Multiple data import"));

    // File Manager: the files, checked for the merge.
    auto* files = frames_[0] = new QGroupBox(QStringLiteral("File Manager"), this);
    lstFiles = new QListWidget(files);
    lstFiles->setToolTip(QStringLiteral("Checked files are merged, in this order; select one to inspect it"));
    cmdAddFiles = new QPushButton(QStringLiteral("Add new data files"), files);
    cmdAddFiles->setToolTip(QStringLiteral("Load one or more data files into the list"));
    lblLoading = new QLabel(QStringLiteral("Loading files..."), this);
    prgLoading = new QProgressBar(this);
    lblLoading->hide();
    prgLoading->hide();
    auto* filesLayout = new QVBoxLayout(files);
    filesLayout->addWidget(cmdAddFiles);
    filesLayout->addWidget(lstFiles, 1);

    // File Inspector: the summary and electrodes of the selected file, and
    // the changes to its electrodes.
    auto* inspector = frames_[1] = new QGroupBox(QStringLiteral("File Inspector"), this);
    auto* details = new QGroupBox(QStringLiteral("Measurements details"), inspector);
    txtDetails = new QPlainTextEdit(details);
    txtDetails->setReadOnly(true);
    txtDetails->setMaximumHeight(150);
    model_ = new MergeElectrodeModel(this);
    grdElectrodes = new QTableView(details);
    grdElectrodes->setModel(model_);
    grdElectrodes->verticalHeader()->setVisible(false);
    grdElectrodes->verticalHeader()->setDefaultSectionSize(20);
    grdElectrodes->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grdElectrodes->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdElectrodes->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* detailsLayout = new QVBoxLayout(details);
    detailsLayout->addWidget(txtDetails);
    detailsLayout->addWidget(grdElectrodes, 1);

    auto* manage = new QGroupBox(QStringLiteral("Manage electrodes"), inspector);
    auto* modify = new QGroupBox(QStringLiteral("Modify set of electrodes"), manage);
    auto* modifyLayout = new QGridLayout(modify);
    modifyLayout->addWidget(new QLabel(QStringLiteral("Shift electrodes"), modify), 0, 0, 1, 6);
    const char* axes[3] = {"X(m)", "Y(m)", "Z(m)"};
    for (int a = 0; a < 3; ++a) {
        txtShift[a] = new QLineEdit(QStringLiteral("0"), modify);
        modifyLayout->addWidget(new QLabel(QString::fromLatin1(axes[a]), modify), 1, 2 * a);
        modifyLayout->addWidget(txtShift[a], 1, 2 * a + 1);
    }
    txtAngle = new QLineEdit(QStringLiteral("0"), modify);
    chkRadians = new QCheckBox(QStringLiteral("Radians"), modify);
    txtOffset = new QLineEdit(QStringLiteral("0"), modify);
    txtAngle->setToolTip(QStringLiteral("Counter-clockwise about the origin, applied before the shift"));
    txtOffset->setToolTip(QStringLiteral("Added to every electrode number of the file and of its quadrupoles"));
    modifyLayout->addWidget(new QLabel(QStringLiteral("XY plane rotation (angle)"), modify), 2, 0, 1, 3);
    modifyLayout->addWidget(txtAngle, 2, 3);
    modifyLayout->addWidget(chkRadians, 2, 4, 1, 2);
    modifyLayout->addWidget(new QLabel(QStringLiteral("Add offset to electrode numbers"), modify), 3, 0, 1, 3);
    modifyLayout->addWidget(txtOffset, 3, 3);
    cmdModify = new QPushButton(QStringLiteral("Modify"), modify);
    cmdModify->setToolTip(QStringLiteral("Rotate, shift and renumber the electrodes of the selected file"));
    modifyLayout->addWidget(cmdModify, 4, 0, 1, 6);
    cmdReverse = new QPushButton(QStringLiteral("Reverse cable"), manage);
    cmdReverse->setToolTip(QStringLiteral("The file was recorded with the cable turned round: electrode n of N "
                                          "becomes N + 1 - n in its quadrupoles, positions kept (again to undo)"));
    auto* manageLayout = new QVBoxLayout(manage);
    manageLayout->addWidget(modify);
    manageLayout->addWidget(cmdReverse);
    manageLayout->addStretch(1);

    manage->setMaximumWidth(420);  // the electrode grid takes the rest
    auto* inspectorLayout = new QHBoxLayout(inspector);
    inspectorLayout->addWidget(details, 1);
    inspectorLayout->addWidget(manage);

    // Merge and load selected files.
    auto* merge = frames_[2] = new QGroupBox(QStringLiteral("Merge and load selected files"), this);
    txtTolerance = new QLineEdit(toQString(formatFixed(kDefaultMergeTolerance, 6)), merge);
    chkRemoveDuplicates = new QCheckBox(QStringLiteral("Remove duplicated electrodes"), merge);
    chkRemoveDuplicates->setToolTip(QStringLiteral("Fuse electrodes closer than the tolerance; no quadrupole is dropped"));
    cmdImport = new QPushButton(QStringLiteral("Import"), merge);
    cmdImport->setToolTip(QStringLiteral("Merge the checked files into the project's data set"));
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), merge);
    cmdCancel->setToolTip(QStringLiteral("Close without merging"));
    auto* mergeLayout = new QHBoxLayout(merge);
    mergeLayout->addWidget(new QLabel(QStringLiteral("Tolerance (m):"), merge));
    mergeLayout->addWidget(txtTolerance);
    mergeLayout->addWidget(chkRemoveDuplicates);
    mergeLayout->addStretch(1);
    mergeLayout->addWidget(cmdImport);
    mergeLayout->addWidget(cmdCancel);

    auto* left = new QVBoxLayout;
    left->addWidget(files, 1);
    left->addWidget(lblLoading);
    left->addWidget(prgLoading);
    auto* top = new QHBoxLayout;
    top->addLayout(left);
    top->addWidget(inspector, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(merge);
    resize(1200, 640);

    connect(cmdAddFiles, &QPushButton::clicked, this, &Form_DataMerge::cmdAddFiles_Click);
    connect(lstFiles, &QListWidget::currentRowChanged, this, &Form_DataMerge::lstFiles_Click);
    connect(cmdModify, &QPushButton::clicked, this, &Form_DataMerge::cmdModify_Click);
    connect(cmdReverse, &QPushButton::clicked, this, &Form_DataMerge::cmdReverse_Click);
    connect(grdElectrodes, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.column() == MergeElectrodeModel::Cable) grdElectrodes_DblClick(index.row());
    });
    connect(cmdImport, &QPushButton::clicked, this, &Form_DataMerge::cmdImport_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    showSelected();
}

Form_DataMerge::~Form_DataMerge() = default;

const MergeBlock* Form_DataMerge::block(int entry) const
{
    if (entry < 0 || static_cast<std::size_t>(entry) >= entries_.size() || !entries_[static_cast<std::size_t>(entry)])
        return nullptr;
    return &*entries_[static_cast<std::size_t>(entry)];
}

MergeBlock* Form_DataMerge::selectedBlock() { return const_cast<MergeBlock*>(block(lstFiles->currentRow())); }

void Form_DataMerge::setBusy(bool busy)
{
    for (QGroupBox* frame : frames_) frame->setEnabled(!busy);
    lblLoading->setVisible(busy);
    prgLoading->setVisible(busy);
}

void Form_DataMerge::cmdAddFiles_Click()
{
    const QStringList chosen =
            fileDialogs_.openFileNames(this, QStringLiteral("Load multiple data files"), toQtFilters(kMergeFilter));
    if (!chosen.isEmpty()) addFiles(chosen);
}

void Form_DataMerge::addFiles(const QStringList& files)
{
    runCommand(log_, questions_, "cmdAddFiles_Click", [&] {
        setBusy(true);
        prgLoading->setRange(0, static_cast<int>(files.size()));
        prgLoading->setValue(0);
        for (const QString& file : files) {
            const std::filesystem::path path = toFilePath(file);
            const int number = static_cast<int>(entries_.size()) + 1;  // the file's place in the list
            MergeBlock loaded;
            Status status = Status::Error;
            const bool cancelled = runWithProgress(this, tr("Loading %1").arg(file), log_,
                                                   [&](const Feedback& feedback, MessageLog& loadLog) {
                                                       status = loadMergeBlock(path, number, loaded, loadLog,
                                                                               questions_, feedback);
                                                   });
            const QString name = fromFilePath(path.filename());
            auto* item = new QListWidgetItem(lstFiles);
            if (!cancelled && status == Status::Ok) {
                item->setText(name);
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
                item->setCheckState(Qt::Checked);
                item->setToolTip(file);
                entries_.emplace_back(std::move(loaded));
            } else {
                item->setText(QStringLiteral("Error on ") + name);
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                item->setToolTip(file);
                entries_.emplace_back(std::nullopt);
            }
            prgLoading->setValue(prgLoading->value() + 1);
        }
        setBusy(false);
        if (lstFiles->currentRow() < 0 && lstFiles->count() > 0) lstFiles->setCurrentRow(0);
        else showSelected();
    });
}

void Form_DataMerge::lstFiles_Click() { showSelected(); }

void Form_DataMerge::showSelected()
{
    const int row = lstFiles->currentRow();
    const MergeBlock* shown = block(row);
    model_->show(shown);
    QStringList lines;
    if (shown != nullptr)
        for (const std::string& line : mergeBlockSummary(*shown, row + 1)) lines << toQString(line);
    else if (row >= 0)
        lines << lstFiles->item(row)->text() << QStringLiteral("The file did not load: the message log says why.");
    txtDetails->setPlainText(lines.join(QLatin1Char('\n')));
    for (QWidget* control : {static_cast<QWidget*>(cmdModify), static_cast<QWidget*>(cmdReverse)})
        control->setEnabled(shown != nullptr);
}

void Form_DataMerge::cmdModify_Click()
{
    runCommand(log_, questions_, "cmdModify_Click", [&] {
        MergeBlock* selected = selectedBlock();
        if (selected == nullptr) return;
        BlockModification m;
        m.shiftX = typedNumber(txtShift[0]);
        m.shiftY = typedNumber(txtShift[1]);
        m.shiftZ = typedNumber(txtShift[2]);
        m.angle = typedNumber(txtAngle);
        m.radians = chkRadians->isChecked();
        m.numberOffset = typedNumber(txtOffset);
        if (modifyMergeBlock(*selected, m, log_) != Status::Ok) return;  // logged; the block is as it was
        showSelected();
    });
}

void Form_DataMerge::cmdReverse_Click()
{
    runCommand(log_, questions_, "cmdReverse_Click", [&] {
        MergeBlock* selected = selectedBlock();
        if (selected == nullptr || reverseMergeBlock(*selected, log_) != Status::Ok) return;
        log_.subWriteToTextBox(selected->file.filename().string() +
                               (selected->reversed ? ": cables reversed." : ": cables back as recorded.") + "\r\n");
        showSelected();
    });
}

void Form_DataMerge::grdElectrodes_DblClick(int row)
{
    runCommand(log_, questions_, "grdElectrodes_DblClick", [&] {
        MergeBlock* selected = selectedBlock();
        if (selected == nullptr || row < 0 || static_cast<std::size_t>(row) >= selected->survey.electrodes.size())
            return;
        const std::int32_t cable = selected->survey.electrodes[static_cast<std::size_t>(row)].cable;
        const std::string current = mergeElectrodeRow(*selected, static_cast<std::size_t>(row))[0];
        const std::optional<std::string> name =
                questions_.inputText({QuestionId::NewCableName, "MODIFY CABLE NAME", "Insert NEW cable name"}, current);
        if (!name || *name == current) return;
        if (renameMergeCable(*selected, cable, *name, log_) != Status::Ok) return;  // the box says why
        showSelected();
    });
}

void Form_DataMerge::cmdImport_Click()
{
    runCommand(log_, questions_, "cmdImport_Click", [&] {
        bool found = false;
        const double tolerance = lenientNumber(toWindows1252(txtTolerance->text().trimmed()), found);
        if (!found || !(tolerance >= 0)) {
            log_.logError("cmdImport_Click", "Invalid tolerance: a distance in metres, 0 or more.");
            return;
        }
        std::vector<MergeBlock> checked;
        for (int row = 0; row < lstFiles->count(); ++row)
            if (lstFiles->item(row)->checkState() == Qt::Checked && block(row) != nullptr) checked.push_back(*block(row));
        if (checked.empty()) {
            log_.logError("cmdImport_Click", "No files checked to merge.");
            return;
        }
        const MergeOptions options{tolerance, chkRemoveDuplicates->isChecked()};
        if (mergeBlocks(checked, options, store_, log_) != Status::Ok) return;  // logged; the project is as it was
        emit merged(fromFilePath(checked.front().file));
        accept();
    });
}

}  // namespace vexora::ui
