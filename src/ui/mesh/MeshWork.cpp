#include "ui/mesh/MeshWork.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include "core/jobs/InversionWorkspace.h"
#include "core/mesh/MeshOfLines.h"
#include "core/mesh/MeshPreview.h"
#include "core/platform/Application.h"
#include "core/platform/AvailableMemory.h"
#include "core/project/ProjectStore.h"
#include "core/settings/LenientNumber.h"
#include "core/shell/ExplorerTree.h"
#include "ui/jobs/WorkspaceParts.h"
#include "ui/log/MessageLogPanel.h"
#include "ui/mesh/MeshPreviewView.h"
#include "ui/mesh/MeshWorkModels.h"
#include "ui/model/MeshViewing.h"
#include "ui/platform/FileDialogs.h"
#include "ui/platform/RunHandler.h"
#include "ui/platform/TextConversion.h"
#include "ui/shell/MainWindow.h"

namespace vexora::ui {

namespace {


std::string text(const QLineEdit* field) { return toWindows1252(field->text()); }

}  // namespace

MeshWork::MeshWork(ProjectStore& store, MessageLog& log, Questions& questions, UserSettings& userSettings,
                   FileDialogs& fileDialogs, MDIStart& mainWindow, QWidget* parent)
    : QWidget(parent),
      store_(store),
      log_(log),
      questions_(questions),
      userSettings_(userSettings),
      fileDialogs_(fileDialogs),
      mainWindow_(mainWindow)
{
    setObjectName(QStringLiteral("MeshWork"));
    setWindowTitle(tr("Mesh Workspace"));
    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(settingsPanel());
    splitter->addWidget(linesPanel());
    splitter->addWidget(modelPanel());
    splitter->setStretchFactor(2, 1);
    // The project's log below, so "Mesh Generated" and the refusals are seen here.
    auto* logPanel = new MessageLogPanel(log_, questions_, fileDialogs_);
    auto* vertical = new QSplitter(Qt::Vertical);
    vertical->addWidget(splitter);
    vertical->addWidget(logPanel);
    vertical->setStretchFactor(0, 4);
    vertical->setStretchFactor(1, 1);
    vertical->setCollapsible(0, false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(vertical);
    mainWindow_.registerLogBox(this, logPanel);
    // The lines of the settings as they stand, unless a mesh or lines exist.
    if (store_.mesh.lines.empty()) {
        MessageLog quiet;  // an unusable setting is reported when applied
        (void)applyMeshSettings(store_.settings, store_.mesh, quiet);
    }
    refreshAll();
}

QPushButton* MeshWork::addButton(const char* name, const QString& caption, const QString& tip,
                                 void (MeshWork::*run)())
{
    auto* button = new QPushButton(caption);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(tip);
    connect(button, &QPushButton::clicked, this,
            [this, run, name] { runCommand(log_, questions_, name, [&] { (this->*run)(); }); });
    return button;
}

QLineEdit* MeshWork::addField(const char* name)
{
    auto* field = new QLineEdit;
    field->setObjectName(QString::fromLatin1(name));
    field->setMinimumWidth(120);
    field->setMaximumWidth(200);
    return field;
}

QCheckBox* MeshWork::addCheck(const char* name, const QString& caption, Item item)
{
    auto* box = new QCheckBox(caption);
    box->setObjectName(QString::fromLatin1(name));
    checks_.emplace_back(box, item);
    connect(box, &QCheckBox::clicked, this, [this, box, item, name](bool checked) {
        runHandler(log_, name, [&] {
            setSettingText(store_.settings, item, checked ? "1" : "2");
            if (item == Item::FlatZBottom) refreshFields();
            (void)box;
        });
    });
    return box;
}

QWidget* MeshWork::settingsPanel()
{
    auto* form = new QFormLayout;
    static const char* const kSizeNames[] = {"txtDx", "txtDy", "txtDz"};
    static const char* const kSizeCaptions[] = {"X cell size (m)", "Y cell size (m)", "Z cell size (m)"};
    for (std::size_t i = 0; i < 3; ++i) form->addRow(tr(kSizeCaptions[i]), sizes_[i] = addField(kSizeNames[i]));
    static const char* const kBoxNames[] = {"txtXMin", "txtXMax", "txtYMin", "txtYMax"};
    static const char* const kBoxCaptions[] = {"X min (m)", "X max (m)", "Y min (m)", "Y max (m)"};
    for (std::size_t i = 0; i < 4; ++i) form->addRow(tr(kBoxCaptions[i]), box_[i] = addField(kBoxNames[i]));
    form->addRow(tr("Z min (m)"), zMin_ = addField("txtZMin"));
    zMaxCaption_ = new QLabel;
    zMaxCaption_->setObjectName(QStringLiteral("lblZMax"));
    form->addRow(zMaxCaption_, zMaxOrDepth_ = addField("txtZMax"));
    static const char* const kPadNames[] = {"txtPadsXMin", "txtPadsXMax", "txtPadsYMin", "txtPadsYMax", "txtPadsZMin"};
    static const char* const kPadCaptions[] = {"-X pads", "+X pads", "-Y pads", "+Y pads", "-Z pads"};
    for (std::size_t i = 0; i < 5; ++i) {
        pads_[i] = addField(kPadNames[i]);
        pads_[i]->setToolTip(tr("Offsets of the padding lines beyond the foreground edge, in cell sizes"));
        form->addRow(tr(kPadCaptions[i]), pads_[i]);
    }

    auto* fields = new QVBoxLayout;
    fields->addLayout(form);
    fields->addWidget(addCheck("chkAdaptGrid", tr("Adapt grid to electrodes"), Item::AdaptGridToElectrodes));
    fields->addWidget(addCheck("chkAddElec", tr("Use electrodes in topography"), Item::AddElectrodesToTopography));
    fields->addWidget(addCheck("chkFlatZMesh", tr("Flat Z bottom foreground"), Item::FlatZBottom));
    fields->addWidget(addCheck("chkAddFlat", tr("Add anomalies to flat grid"), Item::AddAnomaliesToFlatGrid));
    fields->addWidget(
        addCheck("chkUpdateZ", tr("Update z of surface electrodes"), Item::UpdateSurfaceElectrodeElevation));
    // A flat mesh with the topography kept for later: a quick first model,
    // or a check of how much the terrain matters.
    QCheckBox* flat = addCheck("optFlat", tr("Flat grid (topography not used)"), Item::FlatTerrain);
    flat->setToolTip(tr("Make the mesh flat even when topography points are loaded"));
    fields->addWidget(flat);
    // The fields scroll rather than shrink in a low window; the commands stay in sight.
    auto* fieldsWidget = new QWidget;
    fieldsWidget->setLayout(fields);
    auto* scroll = new QScrollArea;
    scroll->setWidget(fieldsWidget);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setMinimumWidth(fieldsWidget->sizeHint().width() + 20);
    auto* panel = new QVBoxLayout;
    panel->addWidget(scroll, 1);
    panel->addWidget(addButton("cmdApplySet", tr("Apply settings"),
                               tr("Store the sizes, the foreground box and the pads, and make the lines again"),
                               &MeshWork::cmdApplySet_Click));

    nodes_ = new QLabel;
    nodes_->setObjectName(QStringLiteral("lblNodes"));
    blocks_ = new QLabel;
    blocks_->setObjectName(QStringLiteral("lblBlocks"));
    memory_ = new QLabel;
    memory_->setObjectName(QStringLiteral("lblMemory"));
    plotRegion_ = new QLabel;
    plotRegion_->setObjectName(QStringLiteral("lblPlotRegion"));
    userDefined_ = new QLabel;
    userDefined_->setObjectName(QStringLiteral("lblUserDefined"));
    for (QLabel* label : {nodes_, blocks_, memory_, userDefined_, plotRegion_}) panel->addWidget(label);
    panel->addWidget(addButton("cmdLoadTopography", tr("Load topography"), tr("Read topography points from a file"),
                               &MeshWork::cmdLoadTopography_Click));
    panel->addWidget(addButton("cmdMakeMesh", tr("Make mesh"),
                               tr("Build the node mesh of these lines and its starting model"),
                               &MeshWork::cmdMakeMesh_Click));
    cmdViewMesh_ = addButton("cmdViewMesh", tr("View mesh"), tr("Show the mesh and its model in the 3D viewer"),
                             &MeshWork::cmdViewMesh_Click);
    panel->addWidget(cmdViewMesh_);
    auto* widget = new QWidget;
    widget->setLayout(panel);
    return widget;
}

QWidget* MeshWork::linesPanel()
{
    auto* panel = new QVBoxLayout;
    static const char* const kGridNames[] = {"flexgridDx", "flexgridDy", "flexgridDz"};
    static const char* const kCaptions[] = {"X lines", "Y lines", "Z lines"};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto axis = static_cast<MeshAxis>(i);
        lineModels_[i] = new LineGridModel(
            axis, [this, axis, name = kGridNames[i]](LineColumn column, std::size_t row, double value) {
                bool taken = false;
                runHandler(log_, name, [&] { taken = editLine(axis, column, row, value); });
                return taken;
            },
            this);
        lineGrids_[i] = new QTableView;
        lineGrids_[i]->setObjectName(QString::fromLatin1(kGridNames[i]));
        lineGrids_[i]->setModel(lineModels_[i]);
        lineGrids_[i]->verticalHeader()->setDefaultSectionSize(20);
        lineGrids_[i]->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        auto* group = new QGroupBox(tr(kCaptions[i]));
        auto* box = new QVBoxLayout(group);
        box->addWidget(lineGrids_[i]);
        panel->addWidget(group, 1);
    }
    auto* insert = new QHBoxLayout;
    lineValue_ = addField("txtLine");
    lineValue_->setToolTip(tr("Coordinate of a line to insert (m)"));
    insert->addWidget(lineValue_);
    static const char* const kInsertNames[] = {"cmdInsertX", "cmdInsertY", "cmdInsertZ"};
    static const char* const kInsertCaptions[] = {"Insert X", "Insert Y", "Insert Z"};
    for (std::size_t i = 0; i < 3; ++i) {
        auto* button = new QPushButton(tr(kInsertCaptions[i]));
        button->setObjectName(QString::fromLatin1(kInsertNames[i]));
        button->setToolTip(tr("Add a line at the typed coordinate; the mesh becomes user-defined"));
        const auto axis = static_cast<MeshAxis>(i);
        connect(button, &QPushButton::clicked, this, [this, axis, name = kInsertNames[i]] {
            runCommand(log_, questions_, name, [&] { cmdInsertLine(axis); });
        });
        insert->addWidget(button);
    }
    panel->addLayout(insert);
    auto* widget = new QWidget;
    widget->setLayout(panel);
    return widget;
}

QWidget* MeshWork::modelPanel()
{
    plan_ = new MeshPreviewView(tr("Plan (x, y)"));
    plan_->setObjectName(QStringLiteral("picPlan"));
    section_ = new MeshPreviewView(tr("Section (x, z)"));
    section_->setObjectName(QStringLiteral("picSection"));
    // Stacked: both are much wider than high.
    auto* previews = new QVBoxLayout;
    previews->addWidget(plan_, 1);
    previews->addWidget(section_, 1);

    optRho_ = new QRadioButton(tr("Resistivity"));
    optRho_->setObjectName(QStringLiteral("optRho"));
    optIP_ = new QRadioButton(tr("IP"));
    optIP_->setObjectName(QStringLiteral("optIP"));
    optRho_->setChecked(true);
    for (QRadioButton* option : {optRho_, optIP_})
        connect(option, &QRadioButton::toggled, this, [this, option](bool on) {
            if (on) runHandler(log_, option == optRho_ ? "optRho_click" : "optIP_click", [&] { refreshAnomalies(); });
        });

    anomalyModel_ = new AnomalyTableModel(this);
    anomalyGrid_ = new QTableView;
    anomalyGrid_->setObjectName(QStringLiteral("flxgrdAnomaly"));
    anomalyGrid_->setModel(anomalyModel_);
    anomalyGrid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    anomalyGrid_->setSelectionMode(QAbstractItemView::SingleSelection);
    anomalyGrid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    connect(anomalyGrid_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const bool selected = anomalyGrid_->selectionModel()->hasSelection();
        cmdDelete_->setEnabled(selected);
        deleteLabel_->setEnabled(selected);
    });

    auto* fields = new QGridLayout;
    static const char* const kCaptions[] = {"X min", "X max", "Y min", "Y max", "Z min", "Z max", "Value", "Radius"};
    for (std::size_t i = 0; i < anomaly_.size(); ++i) {
        anomaly_[i] = addField(("txtAnomaly" + std::to_string(i)).c_str());
        anomaly_[i]->setMinimumWidth(50);
        fields->addWidget(new QLabel(tr(kCaptions[i])), 0, static_cast<int>(i));
        fields->addWidget(anomaly_[i], 1, static_cast<int>(i));
    }
    anomaly_[7]->setToolTip(tr("Optional"));

    auto* commands = new QHBoxLayout;
    commands->addWidget(optRho_);
    commands->addWidget(optIP_);
    commands->addWidget(addButton("cmdInsert", tr("Insert anomaly"), tr("Append the anomaly of the fields"),
                                  &MeshWork::cmdInsert_Click));
    cmdDelete_ = addButton("cmdDelete", tr("Delete"), tr("Remove the selected anomaly"), &MeshWork::cmdDelete_Click);
    deleteLabel_ = new QLabel(tr("Select an anomaly row to delete it"));
    deleteLabel_->setObjectName(QStringLiteral("lblDelete"));
    cmdDelete_->setEnabled(false);
    deleteLabel_->setEnabled(false);
    commands->addWidget(cmdDelete_);
    commands->addWidget(deleteLabel_);
    commands->addStretch(1);

    auto* background = new QHBoxLayout;
    background->addWidget(new QLabel(tr("Background resistivity (ohm m)")));
    background->addWidget(backgroundRes_ = addField("txtBackgroundRes"));
    background->addWidget(new QLabel(tr("Background IP")));
    background->addWidget(backgroundIp_ = addField("txtBackgroundIP"));
    for (QLineEdit* field : {backgroundRes_, backgroundIp_}) field->setMinimumWidth(60);
    background->addWidget(addButton("cmdApply", tr("Apply background"),
                                    tr("Store the background resistivity and IP values"), &MeshWork::cmdApply_Click));
    background->addStretch(1);

    auto* panel = new QVBoxLayout;
    panel->addLayout(previews, 3);
    panel->addWidget(anomalyGrid_, 1);
    panel->addLayout(fields);
    panel->addLayout(commands);
    panel->addLayout(background);
    auto* widget = new QWidget;
    widget->setLayout(panel);
    return widget;
}

bool MeshWork::resistivityShown() const { return optRho_->isChecked(); }

void MeshWork::showError(const std::string& message)
{
    questions_.showMessage(std::string(kApplicationTitle) + " - Error", message, MessageIcon::Exclamation);
}

void MeshWork::refreshFields()
{
    const MeshWorkFields f = meshWorkFields(store_.settings);
    for (std::size_t i = 0; i < 3; ++i) sizes_[i]->setText(toQString(f.sizes[i]));
    for (std::size_t i = 0; i < 4; ++i) box_[i]->setText(toQString(f.box[i]));
    for (std::size_t i = 0; i < 5; ++i) pads_[i]->setText(toQString(f.pads[i]));
    const bool flat = settingInteger(store_.settings, Item::FlatZBottom) == kYes;
    zMin_->setText(toQString(f.zMin));
    zMin_->setEnabled(flat);
    zMaxOrDepth_->setText(toQString(f.zMaxOrDepth));
    zMaxCaption_->setText(flat ? tr("Z max") : tr("Depth of investigation"));
    for (const auto& [box, item] : checks_) box->setChecked(settingInteger(store_.settings, item) == kYes);
    backgroundRes_->setText(toQString(std::string(settingText(store_.settings, Item::BackgroundResistivity))).trimmed());
    backgroundIp_->setText(toQString(std::string(settingText(store_.settings, Item::BackgroundIp))).trimmed());
    plotRegion_->setText(toQString(plottedRegionText(store_.settings)));
}

void MeshWork::refreshLines()
{
    const Mesh& mesh = store_.mesh;
    for (std::size_t i = 0; i < 3; ++i)
        lineModels_[i]->setColumns(lineColumns(mesh.lines, mesh.foreground, static_cast<MeshAxis>(i)));
    const MeshSizeLabels labels = meshSizeLabels(mesh.lines, availableMemoryBytes());
    nodes_->setText(toQString(labels.nodes));
    blocks_->setText(toQString(labels.blocks));
    memory_->setText(toQString(labels.memory));
    for (QLabel* label : {nodes_, blocks_, memory_}) {
        label->setStyleSheet(labels.tooLarge ? QStringLiteral("color: #c00000; font-weight: bold") : QString());
        label->setToolTip(toQString(labels.tooltip));
    }
    userDefined_->setText(mesh.userDefined ? tr("Mesh type: user-defined") : tr("Mesh type: standard"));
    cmdViewMesh_->setEnabled(mesh.present);
    plan_->setPreview(meshPreview(PreviewKind::Plan, mesh.lines, mesh.foreground, store_.survey, store_.settings));
    section_->setPreview(
        meshPreview(PreviewKind::Section, mesh.lines, mesh.foreground, store_.survey, store_.settings));
}

void MeshWork::refreshAnomalies()
{
    anomalyModel_->setRows(anomalyRows(store_.settings, resistivityShown()), resistivityShown());
    anomaly_[7]->setEnabled(resistivityShown());
    cmdDelete_->setEnabled(false);
    deleteLabel_->setEnabled(false);
}

void MeshWork::refreshAll()
{
    refreshFields();
    refreshLines();
    refreshAnomalies();
}

void MeshWork::showEvent(QShowEvent* event)
{
    // The settings may have changed in another workspace meanwhile.
    refreshAll();
    QWidget::showEvent(event);
}

void MeshWork::closeEvent(QCloseEvent* event)
{
    bool quit = false;
    runHandler(log_, "Form_QueryUnload", [&] {
        quit = questions_.askYesNo({QuestionId::QuitProject, std::string(kApplicationTitle) + " - Quit Project?",
                                    "Do you really want to quit this " + toWindows1252(windowTitle()) + " project?",
                                    MessageIcon::Question});
    });
    if (quit) event->accept();
    else event->ignore();
}

void MeshWork::cmdApplySet_Click()
{
    MeshWorkFields f;
    for (std::size_t i = 0; i < 3; ++i) f.sizes[i] = text(sizes_[i]);
    for (std::size_t i = 0; i < 4; ++i) f.box[i] = text(box_[i]);
    for (std::size_t i = 0; i < 5; ++i) f.pads[i] = text(pads_[i]);
    f.zMin = text(zMin_);
    f.zMaxOrDepth = text(zMaxOrDepth_);
    const MeshApplyOutcome outcome = applyMeshWorkFields(f, store_.settings, store_.mesh, log_);
    for (const std::string& refusal : outcome.refusals) showError(refusal);
    refreshAll();
}

void MeshWork::cmdInsertLine(MeshAxis axis)
{
    bool found = false;
    const double value = lenientNumber(text(lineValue_), found);
    if (!found || !std::isfinite(value)) {
        showError("Type the coordinate of the line to insert!");
        return;
    }
    insertMeshLine(store_.mesh.lines, axis, value);
    store_.mesh.userDefined = true;
    lineValue_->clear();
    refreshLines();
}

bool MeshWork::editLine(MeshAxis axis, LineColumn column, std::size_t row, double value)
{
    if (const std::optional<std::string> refusal =
            editMeshLine(store_.mesh.lines, store_.mesh.foreground, axis, column, row, value)) {
        showError(*refusal);
        return false;
    }
    store_.mesh.userDefined = true;
    // The edited line may move to another row: the grid is laid out again
    // once the view has finished its edit.
    QMetaObject::invokeMethod(this, [this] { refreshLines(); }, Qt::QueuedConnection);
    return true;
}

void MeshWork::cmdInsert_Click()
{
    AnomalyFields fields;
    for (std::size_t i = 0; i < fields.size(); ++i) fields[i] = text(anomaly_[i]);
    if (!resistivityShown()) fields[7].clear();
    if (const std::optional<std::string> refusal = insertAnomalyRow(store_.settings, resistivityShown(), fields)) {
        showError(*refusal);
        return;
    }
    refreshAnomalies();
    refreshLines();
}

void MeshWork::cmdDelete_Click()
{
    const QModelIndexList rows = anomalyGrid_->selectionModel()->selectedRows();
    if (rows.isEmpty()) return;
    if (!deleteAnomalyRow(store_.settings, resistivityShown(), static_cast<std::size_t>(rows.front().row()))) return;
    refreshAnomalies();
    refreshLines();
}

void MeshWork::cmdApply_Click()
{
    if (const std::optional<std::string> refusal =
            applyBackground(store_.settings, text(backgroundRes_), text(backgroundIp_)))
        showError(*refusal);
    refreshFields();
}

void MeshWork::cmdLoadTopography_Click()
{
    const QString chosen =
        fileDialogs_.openFileName(this, tr("Load topography"), toQtFilters(kTopographyFilter));
    if (chosen.isEmpty()) return;
    const std::filesystem::path path = toFilePath(chosen);
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        questions_.showMessage(std::string(kApplicationTitle) + " - Error", path.filename().string() + " not found!",
                               MessageIcon::Critical);
        return;
    }
    if (loadTopographyFile(store_, path, log_) == Status::Ok)
        log_.subWriteToTextBox("Topography file " + path.string() + " loaded" + kLineBreak);
    refreshAll();
}

void MeshWork::cmdMakeMesh_Click()
{
    // A new mesh drops the one made or imported: a change with side effects.
    if (store_.mesh.present &&
        !questions_.askYesNo({QuestionId::ConfirmSettingChange, std::string(kApplicationTitle),
                              "A mesh is already present. Create a new mesh?", MessageIcon::Question}))
        return;
    MeshBuildOutcome outcome;
    const std::size_t errorsBefore = log_.errorCount();
    if (makeMeshOfLines(store_.settings, store_.survey, store_.mesh, store_.models, log_, outcome) != Status::Ok) {
        if (log_.errorCount() > errorsBefore) showError(log_.lastError());
        refreshLines();
        return;
    }
    if (outcome.adapted && outcome.adaptResult != Status::Ok && !outcome.adaptWarning.empty())
        questions_.showMessage(std::string(kApplicationTitle) + " - Warning", outcome.adaptWarning,
                               MessageIcon::Exclamation);
    refreshLines();
}

void MeshWork::cmdViewMesh_Click()
{
    viewProjectMesh(store_, log_, questions_, userSettings_, mainWindow_.environment(), kMeshWorkspaceSectionTail);
}

void registerMeshWork(MDIStart& mainWindow, ProjectStore& store, MessageLog& log, Questions& questions,
                      UserSettings& userSettings, FileDialogs& fileDialogs)
{
    mainWindow.taskWindows().registerWindow(TaskWindow::MeshWork, [&] {
        return new MeshWork(store, log, questions, userSettings, fileDialogs, mainWindow);
    });
}

}  // namespace vexora::ui
