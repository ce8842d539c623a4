#include "ui/fielddata/ImportSyscal.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCursor>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "core/datafile/SurveyChecks.h"
#include "core/fielddata/AcceptImport.h"
#include "core/fielddata/FieldDataSave.h"
#include "core/fielddata/QuadSort.h"
#include "core/fielddata/Removal.h"
#include "core/import/GeometricFactor.h"
#include "core/import/ImportDriver.h"
#include "core/jobs/ProjectFolder.h"
#include "core/jobs/RurVexora.h"
#include "core/jobs/SensitivityWorkspace.h"
#include "core/mesh/DefaultMeshSettings.h"
#include "core/platform/Application.h"
#include "core/io/Blanks.h"
#include "core/settings/LenientNumber.h"
#include "core/settings/SettingsTable.h"
#include "ui/fielddata/FieldDataModels.h"
#include "ui/fielddata/SurveyView3DPanel.h"
#include "ui/import/Form_FileOpen.h"
#include "ui/jobs/JobFollower.h"
#include "ui/jobs/WorkspaceParts.h"
#include "ui/platform/BackgroundWork.h"
#include "ui/platform/BusyPointer.h"
#include "ui/platform/FileDialogs.h"
#include "ui/platform/RunHandler.h"
#include "ui/platform/TextConversion.h"
#include "ui/qc/frmPlots.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/ShellEnvironment.h"

namespace vexora::ui {

namespace fs = std::filesystem;

namespace {

constexpr char kDataFilter[] = "Data file (*.data)|*.data|(*.txt)|*.txt|";
constexpr char kXyzFilter[] = "XYZ file (*.xyz)|*.xyz|(*.txt)|*.txt|";

// Electrode grid columns that an edit belongs to.
enum ElectrodeColumn { ElecCable = 0, ElecX = 2, ElecY = 3, ElecZ = 4, ElecTerrain = 5, ElecType = 6, ElecRemote = 7 };

QTableView* gridView(QAbstractItemModel* model, QWidget* parent)
{
    auto* view = new QTableView(parent);
    view->setModel(model);
    view->verticalHeader()->setDefaultSectionSize(20);
    view->horizontalHeader()->setDefaultSectionSize(80);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    return view;
}

QPushButton* button(const char* text, const char* tip, QWidget* parent)
{
    auto* b = new QPushButton(QString::fromLatin1(text), parent);
    b->setToolTip(QString::fromLatin1(tip));
    return b;
}

double numberOf(const QLineEdit* box) { return lenientNumber(box->text().trimmed().toStdString()); }

}  // namespace

ImportSyscal::ImportSyscal(ProjectStore& store, ImportSession& session, MessageLog& log, Questions& questions,
                           FileDialogs& dialogs, QWidget* parent)
    : QWidget(parent), store_(store), session_(session), log_(log), questions_(questions), dialogs_(dialogs)
{
    setObjectName("ImportSyscal");
    setWindowTitle("Field data");

    cboFormat = new QComboBox(this);
    for (const ImportFormat& f : importFormats()) cboFormat->addItem(QString::fromLatin1(f.name));
    cmdImport = button("Import field data", "Load electrodes, quadrupoles and field data", this);
    cboIpWindow = new QComboBox(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel("File format:", this));
    top->addWidget(cboFormat);
    top->addWidget(cmdImport);
    top->addStretch(1);
    top->addWidget(new QLabel("IP window:", this));
    top->addWidget(cboIpWindow);

    electrodeModel_ = new ElectrodeTableModel(store_.survey, this);
    quadModel_ = new QuadTableModel({store_.survey, store_.reciprocals, values_}, this);
    grdElectrodes = gridView(electrodeModel_, this);
    grdQuad = gridView(quadModel_, this);
    grdQuad->setContextMenuPolicy(Qt::CustomContextMenu);
    tabViews = new QTabWidget(this);
    tabViews->addTab(grdElectrodes, "Electrodes");
    tabViews->addTab(grdQuad, "Quadrupoles");
    view3D = new SurveyView3DPanel(store_, log_, questions_, dialogs_, this);
    tabViews->addTab(view3D, "3D View");

    auto* body = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(buildTemporaryPanel());
    left->addWidget(tabViews, 1);
    body->addLayout(left, 1);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(buildCommands());
    scroll->setWidgetResizable(true);
    scroll->setMinimumWidth(300);
    body->addWidget(scroll);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(body, 1);
    buildQuadMenu();

    auto wire = [this](QPushButton* b, const char* source, void (ImportSyscal::*command)()) {
        connect(b, &QPushButton::clicked, this,
                [this, source, command] { runCommand(log_, questions_, source, [&] { (this->*command)(); }); });
    };
    wire(cmdImport, "cmdImport_Click", &ImportSyscal::cmdImport_Click);
    wire(cmdImportData, "cmdImportData", &ImportSyscal::cmdImportData_Click);
    wire(cmdCancel, "cmdCancel", &ImportSyscal::cmdCancel_Click);
    wire(cmdRemoveDuplicates, "cmdRemoveDuplicates", &ImportSyscal::cmdRemoveDuplicates_Click);
    wire(cmdModify, "cmdModify", &ImportSyscal::cmdModify_Click);
    wire(cmdRemoveData, "cmdRemoveData", &ImportSyscal::cmdRemoveData_Click);
    wire(cmdUndo, "cmdUndo", &ImportSyscal::cmdUndo_Click);
    wire(cmdSkipReset, "cmdSkipReset", &ImportSyscal::cmdSkipReset_Click);
    wire(cmdSaveData, "cmdSaveData", &ImportSyscal::cmdSaveData_Click);
    wire(cmdSaveXyz, "cmdSaveXYZ", &ImportSyscal::cmdSaveXyz_Click);
    wire(cmdSensitivity, "cmdSensitivity", &ImportSyscal::cmdSensitivity_Click);
    buildElectrodeMenu();
    connect(cboCable, &QComboBox::currentIndexChanged, this, [this] { fillElectrodeList(); });
    connect(cboIpWindow, &QComboBox::currentIndexChanged, this,
            [this](int index) { quadModel_->setIpWindow(std::max(index, 0)); });
    connect(grdQuad, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const int column = grdQuad->columnAt(at.x());
        if (column < 0) return;
        menuColumn_ = column;
        mnuQuadOperations_->popup(grdQuad->viewport()->mapToGlobal(at));
    });
    refreshAll();
}

QWidget* ImportSyscal::buildTemporaryPanel()
{
    fraTemp = new QGroupBox("Temp Schedule", this);
    tempQuadModel_ = new ImportGridModel(session_.grids, true, this);
    tempElecModel_ = new ImportGridModel(session_.grids, false, this);
    grdTempQuad = gridView(tempQuadModel_, fraTemp);
    grdTempElec = gridView(tempElecModel_, fraTemp);
    auto* views = new QTabWidget(fraTemp);
    views->addTab(grdTempQuad, "Field Data");
    views->addTab(grdTempElec, "Electrodes");

    auto* options = new QGroupBox("Importing Options", fraTemp);
    optNewCable = new QRadioButton("New Cable", options);
    optUseCable = new QRadioButton("Use cable:", options);
    optNewCable->setChecked(true);
    txtCableName = new QLineEdit(options);
    cboUseCable = new QComboBox(options);
    cmdImportData = button("Import", "Accept the imported electrodes and quadrupoles into the project", options);
    cmdCancel = button("Cancel", "Close the temporary grids without accepting them", options);
    auto* grid = new QGridLayout(options);
    grid->addWidget(optNewCable, 0, 0);
    grid->addWidget(new QLabel("Cable name:", options), 0, 1);
    grid->addWidget(txtCableName, 0, 2);
    grid->addWidget(optUseCable, 1, 0);
    grid->addWidget(cboUseCable, 1, 2);
    grid->addWidget(new QLabel("Remote poles on a separate cable", options), 2, 0, 1, 3);
    const char* titles[2] = {"Current pole", "Potential pole"};
    QGroupBox* frames[2];
    for (int p = 0; p < 2; ++p) {
        frames[p] = new QGroupBox(titles[p], options);
        auto* form = new QHBoxLayout(frames[p]);
        const char* axes[3] = {"x:", "y:", "z:"};
        for (int a = 0; a < 3; ++a) {
            txtRemote[p][a] = new QLineEdit(frames[p]);
            form->addWidget(new QLabel(axes[a], frames[p]));
            form->addWidget(txtRemote[p][a]);
        }
        grid->addWidget(frames[p], 3 + p, 0, 1, 3);
    }
    fraRemote1 = frames[0];
    fraRemote2 = frames[1];
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdImportData);
    buttons->addWidget(cmdCancel);
    grid->addLayout(buttons, 5, 0, 1, 3);

    auto* layout = new QHBoxLayout(fraTemp);
    layout->addWidget(views, 1);
    layout->addWidget(options);
    fraTemp->setVisible(false);
    return fraTemp;
}

QWidget* ImportSyscal::buildCommands()
{
    auto* panel = new QWidget(this);
    auto* column = new QVBoxLayout(panel);

    auto* duplicates = new QGroupBox("Duplicated electrodes", panel);
    txtToler = new QLineEdit("0.000001", duplicates);
    cmdRemoveDuplicates =
        button("Remove duplicates", "Remove duplicated electrodes on the basis of coordinates", duplicates);
    auto* dupLayout = new QHBoxLayout(duplicates);
    dupLayout->addWidget(new QLabel("Toler.", duplicates));
    dupLayout->addWidget(txtToler);
    dupLayout->addWidget(cmdRemoveDuplicates);
    column->addWidget(duplicates);

    auto* roto = new QGroupBox("Rototraslation", panel);
    auto* rotoForm = new QFormLayout(roto);
    const char* shifts[3] = {"Offset x:", "Offset y:", "Offset z:"};
    for (int a = 0; a < 3; ++a) rotoForm->addRow(shifts[a], txtShift[a] = new QLineEdit("0", roto));
    rotoForm->addRow("Angle:", txtAngle = new QLineEdit("0", roto));
    rotoForm->addRow(chkRadians = new QCheckBox("Radians", roto));
    rotoForm->addRow(cmdModify = button("Modify", "Rotate and/or shift electrodes", roto));
    column->addWidget(roto);

    auto* removal = new QGroupBox("REMOVE BAD DATA POINTS", panel);
    auto* remForm = new QGridLayout(removal);
    remForm->addWidget(new QLabel("Remove quadrupoles having:", removal), 0, 0, 1, 3);
    optElect = new QRadioButton("Elect.", removal);
    optMeas = new QRadioButton("Meas.", removal);
    optNoRec = new QRadioButton("Remove no-reciprocals data", removal);
    optDuplicated = new QRadioButton("Remove duplicated data points", removal);
    optMeas->setChecked(true);
    cboCable = new QComboBox(removal);
    cboElectrode = new QComboBox(removal);
    cboQuantity = new QComboBox(removal);
    for (const char* name : kRemovalQuantityNames) cboQuantity->addItem(name);
    cboOperator = new QComboBox(removal);
    cboOperator->addItems({"<", "=", ">"});
    cboOperator->setCurrentIndex(2);
    txtThreshold = new QLineEdit("0", removal);
    remForm->addWidget(optElect, 1, 0);
    remForm->addWidget(cboCable, 1, 1);
    remForm->addWidget(cboElectrode, 1, 2);
    remForm->addWidget(optMeas, 2, 0);
    remForm->addWidget(cboQuantity, 2, 1);
    remForm->addWidget(cboOperator, 2, 2);
    remForm->addWidget(txtThreshold, 3, 1, 1, 2);
    remForm->addWidget(optNoRec, 4, 0, 1, 3);
    remForm->addWidget(optDuplicated, 5, 0, 1, 3);
    cmdRemoveData = button("Remove data", "Set skip-flag to 1", removal);
    cmdUndo = button("Undo", "Undo last removal", removal);
    cmdSkipReset = button("Skip reset", "Set skip-flag to 0", removal);
    auto* remButtons = new QHBoxLayout;
    remButtons->addWidget(cmdRemoveData);
    remButtons->addWidget(cmdUndo);
    remButtons->addWidget(cmdSkipReset);
    remForm->addLayout(remButtons, 6, 0, 1, 3);
    lblRemoved = new QLabel(removal);
    lblPercent = new QLabel(removal);
    remForm->addWidget(lblRemoved, 7, 0, 1, 2);
    remForm->addWidget(lblPercent, 7, 2);
    column->addWidget(removal);

    auto* save = new QGroupBox("SAVE DATA", panel);
    chkRemoveSkipped = new QCheckBox("Remove skipped data from file", save);
    chkIncludeConfig = new QCheckBox("Include config.", save);
    cmdSaveData = button("Save Data", "Write the electrodes and quadrupoles as a data file", save);
    cmdSaveXyz = button("Save xyz data", "Write x, y and |I| of the kept quadrupoles as a text file", save);
    auto* saveLayout = new QVBoxLayout(save);
    saveLayout->addWidget(chkRemoveSkipped);
    saveLayout->addWidget(chkIncludeConfig);
    saveLayout->addWidget(cmdSaveData);
    saveLayout->addWidget(cmdSaveXyz);
    column->addWidget(save);

    fraSensitivity = new QGroupBox("SENSITIVITY ANALISYS", panel);
    txtSensQuad = new QLineEdit("1", fraSensitivity);
    chkSensAll = new QCheckBox("All quadrupoles", fraSensitivity);
    chkSensAbs = new QCheckBox("Absolute values", fraSensitivity);
    cmdSensitivity = button("Calculate sensitivity",
                            "Compute the sensitivity pattern of one quadrupole or of all of them in a new project folder",
                            fraSensitivity);
    auto* sensForm = new QFormLayout(fraSensitivity);
    sensForm->addRow("Quadrupole ID:", txtSensQuad);
    sensForm->addRow(chkSensAll);
    sensForm->addRow(chkSensAbs);
    sensForm->addRow(cmdSensitivity);
    connect(chkSensAll, &QCheckBox::toggled, txtSensQuad, &QWidget::setDisabled);
    fraSensitivity->setVisible(false);
    column->addWidget(fraSensitivity);
    column->addStretch(1);
    return panel;
}

void ImportSyscal::buildQuadMenu()
{
    mnuQuadOperations_ = new QMenu("&QuadOperations", this);
    QMenu* sort = mnuQuadOperations_->addMenu("Sort Data");
    struct Order {
        const char* text;
        bool increasing, absolute;
    };
    for (const Order& o : {Order{"Increasing ", true, false}, Order{"Decreasing", false, false},
                           Order{"Absolute values increasing", true, true},
                           Order{"Absolute values decreasing", false, true}})
        connect(sort->addAction(o.text), &QAction::triggered, this, [this, o] {
            runCommand(log_, questions_, "funSortMeasurements",
                       [&] { funSortMeasurements(menuColumn_, o.increasing, o.absolute); });
        });
    connect(mnuQuadOperations_->addAction("Statistics and Filtering"), &QAction::triggered, this,
            [this] { runCommand(log_, questions_, "funPlotStatistics", [&] { (void)funPlotStatistics(menuColumn_); }); });
    connect(mnuQuadOperations_->addAction("Set apparent resistivities to positive"), &QAction::triggered, this,
            [this] { runCommand(log_, questions_, "funSetToPositive", [&] { funSetToPositive(); }); });
}

void ImportSyscal::setMode(WindowMode mode)
{
    setWindowTitle(mode == WindowMode::Sensitivity ? "Survey design" : "Field data");
    fraSensitivity->setVisible(mode == WindowMode::Sensitivity);
}

void ImportSyscal::refreshAll()
{
    // Values kept for another set of rows (a data file loaded since) no longer apply.
    const std::size_t rows = store_.survey.quadrupoles.size();
    if (values_.voltage.size() != rows) values_.voltage.clear();
    if (values_.q.size() != rows) values_.q.clear();
    if (values_.factor.size() != rows) values_.factor = funGeometricFactor(store_.survey, false);
    electrodeModel_->reload();
    quadModel_->reload();
    fillCableLists();
    fillIpWindows();
    showCounters();
}

void ImportSyscal::fillCableLists()
{
    const QString chosen = cboCable->currentText();
    cboCable->blockSignals(true);
    cboCable->clear();
    cboCable->addItem("all");
    cboUseCable->clear();
    for (const std::string& name : store_.survey.cableNames) {
        cboCable->addItem(QString::fromStdString(name));
        cboUseCable->addItem(QString::fromStdString(name));
    }
    cboCable->setCurrentIndex(std::max(cboCable->findText(chosen), 0));
    cboCable->blockSignals(false);
    fillElectrodeList();
}

void ImportSyscal::fillElectrodeList()
{
    cboElectrode->clear();
    cboElectrode->addItem("all");
    const int cable = cboCable->currentIndex();  // 0: all
    std::vector<std::int32_t> numbers;
    for (const Electrode& e : store_.survey.electrodes)
        if (cable == 0 || e.cable == cable) numbers.push_back(e.number);
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    for (std::int32_t n : numbers) cboElectrode->addItem(QString::number(n));
}

void ImportSyscal::fillIpWindows()
{
    const int chosen = cboIpWindow->currentIndex();
    cboIpWindow->blockSignals(true);
    cboIpWindow->clear();
    for (std::size_t w = 0; w < store_.survey.quadrupoles.ipWindows(); ++w)
        cboIpWindow->addItem(QStringLiteral("IP%1").arg(w + 1));
    cboIpWindow->setCurrentIndex(chosen >= 0 && chosen < cboIpWindow->count() ? chosen : 0);
    cboIpWindow->blockSignals(false);
    quadModel_->setIpWindow(std::max(cboIpWindow->currentIndex(), 0));
    view3D->refresh();
}

void ImportSyscal::showCounters()
{
    const RemovalCounters counters = removalCounters(store_.survey.quadrupoles);
    lblRemoved->setText(QString::fromStdString(counters.totalText()));
    lblPercent->setText(QString::fromStdString(counters.percentText()));
}

void ImportSyscal::removalDone()
{
    quadModel_->refreshRemoval();
    view3D->refresh();
    showCounters();
}

void ImportSyscal::cmdImport_Click()
{
    auto* dialog = new Form_FileOpen(session_.set, session_.grids, log_, questions_, dialogs_, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->formatBox()->setCurrentIndex(cboFormat->currentIndex());
    connect(dialog, &QDialog::accepted, this, &ImportSyscal::showTemporary);
    dialog->open();
}

void ImportSyscal::showTemporary()
{
    tempQuadModel_->reload();
    tempElecModel_->reload();
    const RemoteProposal* proposals[2] = {&session_.grids.remote1, &session_.grids.remote2};
    QGroupBox* frames[2] = {fraRemote1, fraRemote2};
    for (int p = 0; p < 2; ++p) {
        frames[p]->setVisible(proposals[p]->shown);
        if (!proposals[p]->label.empty()) frames[p]->setTitle(QString::fromStdString(proposals[p]->label));
        const double at[3] = {proposals[p]->x, proposals[p]->y, proposals[p]->z};
        for (int a = 0; a < 3; ++a) txtRemote[p][a]->setText(valueText(at[a]));
    }
    if (txtCableName->text().trimmed().isEmpty() || !store_.survey.cableNames.empty())
        txtCableName->setText(QStringLiteral("Line%1").arg(store_.survey.cableNames.size() + 1));
    optUseCable->setEnabled(!store_.survey.cableNames.empty());
    fraTemp->setVisible(true);
}

void ImportSyscal::cmdImportData_Click()
{
    // The accept reads the grids' remote panels, not their rows: the panels
    // as typed, without copying every row's texts on the window thread.
    ImportGrids grids;
    grids.remote1 = session_.grids.remote1;
    grids.remote2 = session_.grids.remote2;
    RemoteProposal* proposals[2] = {&grids.remote1, &grids.remote2};
    for (int p = 0; p < 2; ++p) {
        proposals[p]->x = numberOf(txtRemote[p][0]);
        proposals[p]->y = numberOf(txtRemote[p][1]);
        proposals[p]->z = numberOf(txtRemote[p][2]);
    }
    CableChoice choice;
    choice.newCable = optNewCable->isChecked();
    choice.name = toWindows1252(txtCableName->text());
    choice.existing = cboUseCable->currentIndex() + 1;
    // Computed beside the project off the window thread, taken in only when Ok.
    AcceptedImport accepted;
    AcceptStatus status = AcceptStatus::Ok;
    if (readInBackground("Importing data", [&](MessageLog& workLog) {
            status = computeAcceptedImport(session_.set, grids, choice, store_, values_, accepted, workLog);
        }))
        return;  // cancelled: the project as it was
    const std::string title = std::string(kApplicationTitle);
    switch (status) {
    case AcceptStatus::Ok: break;
    case AcceptStatus::ExistingCableName:
        questions_.showMessage(title, kExistingCableName, MessageIcon::Exclamation);
        return;
    case AcceptStatus::RemoteCable:
        questions_.showMessage(title, kRemoteCableRefused, MessageIcon::Exclamation);
        return;
    case AcceptStatus::CannotUseCable:
        questions_.showMessage(title, kCannotUseCable, MessageIcon::Exclamation);
        return;
    case AcceptStatus::NothingImported:
        questions_.showMessage(title, "Nothing imported: choose a file first.", MessageIcon::Exclamation);
        return;
    case AcceptStatus::InvalidCableName:
    case AcceptStatus::ElectrodesNotLoaded: return;  // logged
    }
    takeAcceptedImport(std::move(accepted), store_, values_);
    log_.subWriteToTextBox("Imported " + std::to_string(session_.set.electrodes.size()) + " electrodes and " +
                           std::to_string(session_.set.quadrupoles.size()) + " quadrupoles from " +
                           session_.set.sourceFile + "." + kLineBreak);
    session_.set.clear();
    session_.grids = ImportGrids{};
    fraTemp->setVisible(false);
    tabViews->setCurrentWidget(grdQuad);
    refreshAll();
    emit surveyChanged();
}

void ImportSyscal::cmdCancel_Click()
{
    session_.set.clear();
    session_.grids = ImportGrids{};
    tempQuadModel_->reload();
    tempElecModel_->reload();
    fraTemp->setVisible(false);
}

void ImportSyscal::cmdRemoveDuplicates_Click()
{
    const std::size_t before = store_.survey.electrodes.size();
    const double tolerance = numberOf(txtToler);
    // The copy, its renumbering (with its questions) and the factors off the
    // window thread; the project changes only when all of it is Ok.
    Survey next;
    std::vector<double> factor;
    Status status = Status::Ok;
    if (readInBackground("Removing duplicated electrodes", [&](MessageLog& workLog) {
            next = store_.survey;
            status = funRenumberElectAndQuad(next, "AUTO", tolerance, questions_, workLog);
            if (status == Status::Ok && next.electrodes.size() != before) factor = funGeometricFactor(next, false);
        }))
        return;  // cancelled: the project as it was
    if (status != Status::Ok) {
        log_.logError("cmdRemoveDuplicates", "Error in removing duplicated electrodes.");
        return;
    }
    store_.survey = std::move(next);
    log_.subWriteToTextBox("Duplicated electrodes removed. " + std::to_string(store_.survey.electrodes.size()) +
                           " total electrodes." + kLineBreak);
    if (store_.survey.electrodes.size() != before) values_.factor = std::move(factor);
    refreshAll();
    emit surveyChanged();
}

void ImportSyscal::cmdModify_Click()
{
    double angle = numberOf(txtAngle);
    modRototraslation(store_.survey, numberOf(txtShift[0]), numberOf(txtShift[1]), numberOf(txtShift[2]), angle,
                      chkRadians->isChecked() ? "RAD" : "DEG");
    electrodeModel_->reload();
    view3D->refresh();
    const bool topography = !store_.survey.topography.empty();
    const Question question{
        QuestionId::ConfirmSettingChange,
        topography ? "Electrodes and topography points modified" : "Electrodes modified",
        topography ? "Electrodes and topography coordinates were updated. Calculate new mesh settings?"
                   : "Electrodes were updated. Calculate new mesh settings?",
        MessageIcon::Exclamation};
    emit surveyChanged();
    if (!questions_.askYesNo(question)) return;
    for (Item pads : {Item::PadsXMax, Item::PadsXMin, Item::PadsYMin, Item::PadsYMax, Item::PadsZMin})
        (void)setSettingText(store_.settings, pads, " 1 2 4 8 16 24 32 40 48 56 64");
    (void)SetDefaultMeshSettings(store_.survey, store_.settings, store_.mesh.lines, log_);
}

void ImportSyscal::cmdRemoveData_Click()
{
    RemovalRule rule;
    rule.mode = optElect->isChecked()  ? RemovalMode::Electrode
                : optNoRec->isChecked() ? RemovalMode::NoReciprocal
                : optDuplicated->isChecked() ? RemovalMode::Duplicated
                                             : RemovalMode::Measure;
    rule.cable = cboCable->currentIndex() <= 0 ? 0 : cboCable->currentIndex();
    rule.electrode = cboElectrode->currentIndex() <= 0 ? 0 : cboElectrode->currentText().toInt();
    rule.quantity = static_cast<RemovalQuantity>(std::max(cboQuantity->currentIndex(), 0));
    rule.relation = static_cast<Relation>(std::max(cboOperator->currentIndex(), 0));
    rule.threshold = numberOf(txtThreshold);
    rule.ipWindow = std::max(cboIpWindow->currentIndex(), 0);
    takeRemoval(rule);
}

void ImportSyscal::takeRemoval(const RemovalRule& rule)
{
    RemovalStep step;
    RemovalStatus status = RemovalStatus::Ok;
    if (readInBackground("Removing data", [&](MessageLog&) {
            status = computeRemovalStep(rule, store_.survey, store_.reciprocals, values_, step);
        }))
        return;
    if (status == RemovalStatus::ReciprocalsNeeded) {
        questions_.showMessage(kApplicationTitle, kReciprocalsNeeded, MessageIcon::Information);
        return;
    }
    takeRemovalStep(std::move(step), store_.survey.quadrupoles, values_);
    removalDone();
}

bool ImportSyscal::readInBackground(const char* title, const std::function<void(MessageLog&)>& work)
{
    // The work reads the tables the grids show; nothing may change them
    // until it is done.
    struct Disabled {
        QWidget* window;
        ~Disabled() { window->setEnabled(true); }
    } disabled{this};
    setEnabled(false);
    return runWithProgress(this, QString::fromLatin1(title), log_,
                           [&](const Feedback&, MessageLog& workLog) { work(workLog); });
}

void ImportSyscal::cmdUndo_Click()
{
    undoRemoval(store_.survey.quadrupoles);
    removalDone();
}

void ImportSyscal::cmdSkipReset_Click()
{
    resetRemoval(store_.survey.quadrupoles, values_);
    cboCable->setCurrentIndex(0);
    cboElectrode->setCurrentIndex(0);
    cboQuantity->setCurrentIndex(0);
    cboOperator->setCurrentIndex(2);
    removalDone();
}

QString ImportSyscal::chooseSaveFile(const QString& title, const char* filters)
{
    const QString chosen = dialogs_.saveFileName(this, title, {}, toQtFilters(filters));
    if (chosen.isEmpty()) return {};
    if (fs::exists(toFilePath(chosen)) &&
        !confirmOverwrite(questions_, "Save as", toWindows1252(chosen), MessageIcon::Exclamation))
        return {};
    return chosen;
}

void ImportSyscal::cmdSaveData_Click()
{
    if (store_.survey.quadrupoles.size() == 0) {
        questions_.showMessage(kApplicationTitle, "No data to save.", MessageIcon::Exclamation);
        return;
    }
    const QString chosen = chooseSaveFile("Save data file", kDataFilter);
    if (chosen.isEmpty()) return;
    (void)saveFieldData(store_, values_, toFilePath(chosen),
                        {chkRemoveSkipped->isChecked(), chkIncludeConfig->isChecked()}, log_);  // logged
}

void ImportSyscal::cmdSaveXyz_Click()
{
    if (store_.survey.quadrupoles.size() == 0) {
        questions_.showMessage(kApplicationTitle, "No data to save.", MessageIcon::Exclamation);
        return;
    }
    const QString chosen = chooseSaveFile("Save xyz file", kXyzFilter);
    if (chosen.isEmpty()) return;
    if (saveCurrentMap(store_.survey, toFilePath(chosen), log_) == Status::Ok)
        log_.subWriteToTextBox("XYZ file " + toWindows1252(chosen) + " saved." + kLineBreak);
}

void ImportSyscal::funSortMeasurements(int column, bool increasing, bool absolute)
{
    std::vector<std::uint32_t> order;
    if (readInBackground("Sorting", [&](MessageLog&) {
            order = quadSortOrder({store_.survey, store_.reciprocals, values_}, column,
                                  increasing ? SortDirection::Increasing : SortDirection::Decreasing, absolute,
                                  quadModel_->ipWindow());
        }))
        return;  // cancelled: the table as it was
    permuteQuadrupoles(order, store_.survey, store_.reciprocals, values_);
    quadModel_->reload();
    grdQuad->scrollToTop();
}

frmPlots* ImportSyscal::funPlotStatistics(int column)
{
    BusyPointer busy;
    std::optional<ColumnStatistics> statistics =
        columnStatistics({store_.survey, store_.reciprocals, values_}, column, quadModel_->ipWindow());
    if (!statistics) return nullptr;
    if (!plots_) {
        plots_ = new frmPlots(log_, questions_, this);
        plots_->setWindowFlag(Qt::Window);
    }
    if (plots_->funPlotHistogram(std::move(statistics->values), statistics->quantity) != Status::Ok) return nullptr;
    plots_->setApplyHandler([this, column](const FilterRequest& request) {
        runCommand(log_, questions_, "frmPlots", [&] { applyFilter(request, column); });
    });
    plots_->show();
    plots_->raise();
    return plots_;
}

void ImportSyscal::applyFilter(const FilterRequest& request, int column)
{
    RemovalRule rule;
    rule.mode = RemovalMode::Range;
    rule.column = column;
    rule.lower = request.lower;
    rule.upper = request.upper;
    rule.outside = request.mode == FilterMode::RemoveOutside;
    rule.ipWindow = quadModel_->ipWindow();
    takeRemoval(rule);  // a range needs no reciprocals
}

void ImportSyscal::funSetToPositive()
{
    if (!questions_.askYesNo({QuestionId::ConfirmSettingChange, "Set Apparent resistivities to positive",
                              "This command will force the apparent resistivities to positive values by changing the "
                              "signs of measured potentials. Do you want to continue?",
                              MessageIcon::Question}))
        return;
    BusyPointer busy;
    (void)setApparentResistivitiesPositive(store_.survey, values_);
    quadModel_->reload();
    view3D->refresh();
}

void ImportSyscal::buildElectrodeMenu()
{
    mnuElectrodes_ = new QMenu("Electrodes", this);
    struct Entry {
        const char* text;
        const char* source;
        std::function<void()> command;
    };
    const Entry entries[] = {
        {"Rename cable...", "funRenameCable", [this] { funRenameCable(); }},
        {"Modify X coordinates...", "funModifyCoordinates", [this] { funModifyCoordinates(0); }},
        {"Modify Y coordinates...", "funModifyCoordinates", [this] { funModifyCoordinates(1); }},
        {"Modify Z coordinates...", "funModifyCoordinates", [this] { funModifyCoordinates(2); }},
        {"Set Z terrain elevations...", "funSetTerrain", [this] { funSetTerrain(); }},
        {"Interpolate terrain elevation", "funInterpolateTerrain", [this] { funInterpolateTerrain(); }},
        {"Update coordinates along the profile...", "funUpdateProfileCoordinates",
         [this] { funUpdateProfileCoordinates(); }},
        {"Set type of electrodes...", "funSetElectrodeType", [this] { funSetElectrodeType(); }},
        {"Remove Remote flag", "funRemoveRemoteFlag", [this] { funRemoveRemoteFlag(); }},
    };
    for (const Entry& e : entries)
        connect(mnuElectrodes_->addAction(e.text), &QAction::triggered, this,
                [this, e] { runCommand(log_, questions_, e.source, [&] { e.command(); }); });
    grdElectrodes->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grdElectrodes, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        mnuElectrodes_->popup(grdElectrodes->viewport()->mapToGlobal(at));
    });
    const auto byColumn = [this](int column) {
        runCommand(log_, questions_, "grdElectrodes_DblClick", [&] { editElectrodeColumn(column); });
    };
    connect(grdElectrodes->horizontalHeader(), &QHeaderView::sectionDoubleClicked, this, byColumn);
    connect(grdElectrodes, &QAbstractItemView::doubleClicked, this,
            [byColumn](const QModelIndex& index) { byColumn(index.column()); });
}

std::vector<std::size_t> ImportSyscal::selectedElectrodes() const
{
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : grdElectrodes->selectionModel()->selectedRows())
        rows.push_back(static_cast<std::size_t>(index.row()));
    std::sort(rows.begin(), rows.end());
    if (rows.empty())
        for (std::size_t r = 0; r < store_.survey.electrodes.size(); ++r) rows.push_back(r);
    return rows;
}

void ImportSyscal::editElectrodeColumn(int column)
{
    switch (column) {
    case ElecCable: funRenameCable(); break;
    case ElecX: funModifyCoordinates(0); break;
    case ElecY: funModifyCoordinates(1); break;
    case ElecZ: funModifyCoordinates(2); break;
    case ElecTerrain: funSetTerrain(); break;
    case ElecType: funSetElectrodeType(); break;
    case ElecRemote: funRemoveRemoteFlag(); break;
    default: mnuElectrodes_->popup(QCursor::pos()); break;  // the ID: every edit offered
    }
}

void ImportSyscal::electrodesEdited(const std::string& title, const EditOutcome& outcome, bool geometry)
{
    if (outcome.status == EditStatus::Refused) {
        questions_.showMessage(title, outcome.message, MessageIcon::Exclamation);
        return;
    }
    if (!outcome.message.empty()) {
        log_.subWriteToTextBox(outcome.message + kLineBreak);
        questions_.showMessage(title, outcome.message, MessageIcon::Information);
    }
    if (geometry) values_.factor = funGeometricFactor(store_.survey, false);
    electrodeModel_->refresh();
    quadModel_->reload();
    fillCableLists();
    view3D->refresh();
    emit surveyChanged();
}

void ImportSyscal::funRenameCable()
{
    if (store_.survey.electrodes.empty()) return;
    const std::vector<std::size_t> rows = selectedElectrodes();
    const std::int32_t cable = store_.survey.electrodes[rows.front()].cable;
    const std::string current =
        cable >= 1 && static_cast<std::size_t>(cable) <= store_.survey.cableNames.size()
            ? store_.survey.cableNames[static_cast<std::size_t>(cable - 1)]
            : std::string();
    const std::optional<std::string> typed =
        questions_.inputText({QuestionId::NewCableName, "MODIFY CABLE NAME", "Insert NEW cable name"}, current);
    if (!typed) return;
    electrodesEdited("MODIFY CABLE NAME", renameCable(store_.survey, cable, *typed), false);
}

void ImportSyscal::funModifyCoordinates(int axis)
{
    if (store_.survey.electrodes.empty()) return;
    const char* names[3] = {"X", "Y", "Z"};
    const std::string title = std::string("Modify ") + names[axis] + " coordinates";
    const std::string text = std::string("Insert STARTING ") + names[axis] + " coordinate and STEP (ex. 0; " +
                             (axis == 2 ? "-1)" : "1)");
    const std::optional<std::string> typed =
        questions_.inputText({QuestionId::ElectrodeValues, title, text}, axis == 2 ? "0; -1" : "0; 1");
    if (!typed) return;
    const Axis which = axis == 0 ? Axis::X : axis == 1 ? Axis::Y : Axis::Z;
    electrodesEdited(title, setCoordinateSeries(store_.survey, selectedElectrodes(), which, *typed), true);
}

void ImportSyscal::funSetTerrain()
{
    if (store_.survey.electrodes.empty()) return;
    const std::optional<std::string> typed = questions_.inputText(
        {QuestionId::ElectrodeValues, "Set Z terrain elevations", "Insert common value for terrain elevation:"}, "0");
    if (!typed) return;
    electrodesEdited("Set Z terrain elevations", setTerrainElevation(store_.survey, selectedElectrodes(), *typed),
                     true);
}

void ImportSyscal::funInterpolateTerrain()
{
    if (store_.survey.electrodes.empty()) return;
    electrodesEdited("Interpolate terrain elevation",
                     interpolateTerrainElevation(store_.survey, selectedElectrodes()), true);
}

void ImportSyscal::funUpdateProfileCoordinates()
{
    if (store_.survey.electrodes.empty()) return;
    const std::string text = std::string("Select function:") + kLineBreak + "Update x and y coordinates - 1" +
                             kLineBreak + "True horizontal coordinates - 2";
    const std::optional<std::string> typed =
        questions_.inputText({QuestionId::ElectrodeValues, "Update coordinates", text}, "1");
    if (!typed) return;
    const std::string choice(trimBlanks(*typed));
    if (choice != "1" && choice != "2") {
        questions_.showMessage("Update coordinates", "Invalid input: insert 1 or 2.", MessageIcon::Exclamation);
        return;
    }
    electrodesEdited("Update coordinates",
                     updateProfileCoordinates(store_.survey, selectedElectrodes(),
                                              choice == "1" ? ProfileUpdate::OnProfile : ProfileUpdate::TrueHorizontal),
                     true);
}

void ImportSyscal::funSetElectrodeType()
{
    if (store_.survey.electrodes.empty()) return;
    const std::optional<std::string> typed =
        questions_.inputText({QuestionId::ElectrodeValues, "Set type of electrodes",
                              "Insert 1 to set electrodes to borehole type; 2 to surface type."},
                             "2");
    if (!typed) return;
    electrodesEdited("Set type of electrodes", setElectrodeType(store_.survey, selectedElectrodes(), *typed), true);
}

void ImportSyscal::funRemoveRemoteFlag()
{
    if (store_.survey.electrodes.empty()) return;
    if (!questions_.askYesNo({QuestionId::ConfirmSettingChange, std::string(kApplicationTitle),
                              "Remove Remote flag for selected electrodes?", MessageIcon::Question}))
        return;
    clearRemoteFlag(store_.survey, selectedElectrodes());
    electrodesEdited({}, {}, false);
}

void ImportSyscal::cmdSensitivity_Click()
{
    std::string request, refusal;
    if (sensitivityRequestFor(store_.survey.quadrupoles,
                              {chkSensAll->isChecked(), toWindows1252(txtSensQuad->text()), chkSensAbs->isChecked()},
                              request, refusal) != Status::Ok) {
        questions_.showMessage(kApplicationTitle, refusal, MessageIcon::Exclamation);
        return;
    }
    if (!environment_) {
        log_.logError("cmdSensitivity", "No core program to run the job.");
        return;
    }
    const fs::path folder = chooseNewProjectFolder(this, dialogs_, questions_, log_, "cmdSensitivity",
                                                   QString::fromLatin1(kSensitivityFolderTitle), kSensitivityFolderFilter);
    if (folder.empty()) return;
    {
        BusyPointer busy;
        if (funRunRurJob(store_, folder, request, environment_->applicationFolder, *environment_->launcher, log_) !=
            Status::Ok)
            return;  // logged
    }
    log_.subWriteToTextBox("Sensitivity job started in " + folder.string() + "." + kLineBreak);
    followJob(this, folder / kProgressFile,
              [this, folder](const ProgressState& end) { log_.subWriteToTextBox(sensitivityJobEndLines(folder, end)); });
}

void registerImportSyscal(MDIStart& mainWindow, ProjectStore& store, MessageLog& log, Questions& questions,
                          FileDialogs& fileDialogs)
{
    auto session = std::make_shared<ImportSession>();
    TaskWindows& windows = mainWindow.taskWindows();
    windows.registerWindow(
        TaskWindow::FieldData,
        [&mainWindow, &store, &log, &questions, &fileDialogs, session] {
            auto* window = new ImportSyscal(store, *session, log, questions, fileDialogs);
            window->setJobEnvironment(&mainWindow.environment());
            QObject::connect(window, &ImportSyscal::surveyChanged, &mainWindow, [&mainWindow] {
                mainWindow.addDataSetNode();
            });
            QObject::connect(&mainWindow, &MDIStart::dataSetViewRequested, window, [window](DataSetView view) {
                if (view == DataSetView::Electrodes) window->tabViews->setCurrentWidget(window->grdElectrodes);
                if (view == DataSetView::Quadrupoles) window->tabViews->setCurrentWidget(window->grdQuad);
            });
            return window;
        },
        [](QWidget* window, WindowMode mode) {
            auto* fieldData = static_cast<ImportSyscal*>(window);
            fieldData->setMode(mode);
            fieldData->refreshAll();
        });
    // The explorer's "Import field data": the open dialog over the window's
    // working tables; what it reads is shown in the window's temporary grids.
    windows.registerWindow(TaskWindow::BinImport, [&mainWindow, &log, &questions, &fileDialogs, session] {
        auto* dialog = new Form_FileOpen(session->set, session->grids, log, questions, fileDialogs, &mainWindow);
        QObject::connect(dialog, &QDialog::accepted, dialog, [&mainWindow] {
            auto* window = static_cast<ImportSyscal*>(mainWindow.taskWindows().show(
                TaskWindow::FieldData, WindowMode::DataSet, "Field data", true, mainWindow.taskPlacement()));
            if (window) window->showTemporary();
        });
        return dialog;
    });
}

}  // namespace vexora::ui
