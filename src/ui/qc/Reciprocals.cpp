#include "ui/qc/Reciprocals.h"

#include <filesystem>

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include "core/platform/Application.h"
#include "core/qc/ReciprocalFile.h"
#include "core/settings/NumberText.h"
#include "ui/platform/BackgroundWork.h"
#include "ui/platform/FileDialogs.h"
#include "ui/platform/RunHandler.h"
#include "ui/platform/TextConversion.h"
#include "ui/qc/ReciprocalTableModel.h"
#include "ui/shell/MainWindow.h"

namespace vexora::ui {

Reciprocals::Reciprocals(ProjectStore& store, MessageLog& log, Questions& questions, FileDialogs& dialogs,
                         QWidget* parent)
    : QWidget(parent), store_(store), log_(log), questions_(questions), dialogs_(dialogs)
{
    setObjectName("Reciprocals");
    setWindowTitle("Reciprocals");

    optDataResistance = new QRadioButton("V/I", this);
    optDataIp = new QRadioButton("IP (first window)", this);
    optDataResistance->setChecked(true);
    auto* data = new QGroupBox("Data", this);
    auto* dataLayout = new QVBoxLayout(data);
    dataLayout->addWidget(optDataResistance);
    dataLayout->addWidget(optDataIp);

    cmbTable = new QComboBox(this);
    cmbTable->addItems({"original ID", "TX-RX", "% Rec Diff", "Abs Rec Diff"});
    cmbTable->setCurrentIndex(2);
    cmdCalculate = new QPushButton("Calculate", this);
    cmdSave = new QPushButton("Save", this);
    cmdCalculate->setToolTip("Pair each measurement with its reciprocal and compare them");
    cmdSave->setToolTip("Write the reciprocal table, in the order chosen, to a text file");
    txtStatistics = new QPlainTextEdit(this);
    txtStatistics->setReadOnly(true);
    txtStatistics->setMinimumWidth(230);

    auto* side = new QVBoxLayout;
    side->addWidget(data);
    side->addWidget(new QLabel("Table order:", this));
    side->addWidget(cmbTable);
    side->addWidget(cmdCalculate);
    side->addWidget(cmdSave);
    side->addWidget(txtStatistics, 1);

    model_ = new ReciprocalTableModel(this);
    grdTable = new QTableView(this);
    grdTable->setModel(model_);
    grdTable->verticalHeader()->setVisible(false);
    grdTable->verticalHeader()->setDefaultSectionSize(20);
    grdTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdTable->setSelectionMode(QAbstractItemView::SingleSelection);
    grdTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

    lblQuad = new QLabel("Not calculated", this);
    lblQuad->setMinimumHeight(40);
    VScrQuad = new QScrollBar(Qt::Horizontal, this);
    VScrQuad->setRange(0, 0);
    VScrQuad->setEnabled(false);
    auto* browse = new QGroupBox("Browse quadrupoles", this);
    auto* browseLayout = new QVBoxLayout(browse);
    browseLayout->addWidget(lblQuad);
    browseLayout->addWidget(VScrQuad);

    auto* right = new QVBoxLayout;
    right->addWidget(grdTable, 1);
    right->addWidget(browse);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(side);
    layout->addLayout(right, 1);
    resize(900, 560);

    connect(cmdCalculate, &QPushButton::clicked, this, [this] { cmdCalculate_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmbTable, &QComboBox::currentIndexChanged, this, [this] { cmbTable_Click(); });
    connect(VScrQuad, &QScrollBar::valueChanged, this, [this](int position) { VScrQuad_Change(position); });
}

ReciprocalOrder Reciprocals::chosenOrder() const
{
    switch (cmbTable->currentIndex()) {
    case 0: return ReciprocalOrder::OriginalId;
    case 1: return ReciprocalOrder::TxRx;
    case 3: return ReciprocalOrder::AbsoluteDiff;
    default: return ReciprocalOrder::PercentDiff;
    }
}

void Reciprocals::cmdCalculate_Click()
{
    runCommand(log_, questions_, "cmdCalculate_Click", [&] {
        const ReciprocalValue compared = optDataIp->isChecked() ? ReciprocalValue::FirstIp : ReciprocalValue::Resistance;
        ReciprocalResult result;
        Status status = Status::Error;
        const bool cancelled =
            runWithProgress(this, tr("Reciprocal check"), log_, [&](const Feedback& feedback, MessageLog& checkLog) {
                status = DoReciprocalCheck(store_.survey, compared, result, checkLog, feedback);
            });
        if (cancelled || status != Status::Ok) return;
        model_->show(nullptr, {}, model_->percent());  // the old result goes away below
        result_ = std::move(result);
        calculated_ = true;
        storePairing(result_, store_.survey.quadrupoles.size(), store_.reciprocals);
        cmbTable_Click();
        txtStatistics->setPlainText(toQString(reciprocalStatisticsText(result_)).replace("\r\n", "\n"));
        VScrQuad->setRange(0, static_cast<int>(result_.rows.size()) - 1);
        VScrQuad->setEnabled(true);
        VScrQuad->setValue(0);
        VScrQuad_Change(0);
        emit pairingChanged();
    });
}

void Reciprocals::cmbTable_Click()
{
    if (!calculated_) return;
    switch (chosenOrder()) {
    case ReciprocalOrder::PercentDiff: FillPerc(); break;
    case ReciprocalOrder::AbsoluteDiff: FillABS(); break;
    default: fill(chosenOrder(), model_->percent()); break;
    }
    VScrQuad_Change(VScrQuad->value());
}

void Reciprocals::FillPerc() { fill(ReciprocalOrder::PercentDiff, true); }
void Reciprocals::FillABS() { fill(ReciprocalOrder::AbsoluteDiff, false); }

void Reciprocals::fill(ReciprocalOrder order, bool percent)
{
    model_->show(&result_, reciprocalOrder(result_, order), percent);
}

void Reciprocals::VScrQuad_Change(int position)
{
    if (!calculated_ || position < 0 || position >= model_->rowCount()) return;
    const ReciprocalRow& row = result_.rows[model_->workingRow(position)];
    QString text = QString("%1 of %2:  ID %3   A %4  B %5  M %6  N %7\n")
                           .arg(position + 1)
                           .arg(model_->rowCount())
                           .arg(row.id)
                           .arg(poleText(row.pole[A]), poleText(row.pole[B]), poleText(row.pole[M]),
                                poleText(row.pole[N]));
    if (row.paired())
        text += QString("Rec. ID %1   %2 % Diff.   %3 Abs Diff. ")
                        .arg(row.partnerId)
                        .arg(differenceText(row, true), differenceText(row, false));
    else
        text += "No Rec.";
    lblQuad->setText(text);
    grdTable->selectRow(position);
}

void Reciprocals::cmdSave_Click()
{
    runCommand(log_, questions_, "cmdSave_Click", [&] {
        if (!calculated_) {
            questions_.showMessage(kApplicationTitle, "Reciprocals not calculated.", MessageIcon::Information);
            return;
        }
        const QString chosen = dialogs_.saveFileName(this, "Save reciprocals", QString(),
                                                     toQtFilters("Text (*.txt)|*.txt|All Files (*.*)|*.*"));
        if (chosen.isEmpty()) return;  // cancelled
        const std::filesystem::path path = toFilePath(chosen);
        std::error_code error;
        if (std::filesystem::exists(path, error) &&
            !confirmOverwrite(questions_, "Save as", toWindows1252(chosen), MessageIcon::Question))
            return;
        (void)writeReciprocalFile(path, result_, chosenOrder(), log_);  // a failure is logged; nothing follows
    });
}

void registerReciprocals(MDIStart& mainWindow, ProjectStore& store, MessageLog& log, Questions& questions,
                         FileDialogs& fileDialogs)
{
    mainWindow.taskWindows().registerWindow(
        TaskWindow::ReciprocalCheck,
        [&store, &log, &questions, &fileDialogs] { return new Reciprocals(store, log, questions, fileDialogs); },
        [&store](QWidget* window, WindowMode) {
            // Opened on loaded data, the check shows its result at once, with
            // the options as they stand; "Calculate" repeats it.
            auto* check = static_cast<Reciprocals*>(window);
            if (!check->calculated() && store.survey.quadrupoles.size() > 0) check->cmdCalculate->click();
        });
}

}  // namespace vexora::ui
