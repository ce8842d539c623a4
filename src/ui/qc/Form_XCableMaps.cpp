#include "ui/qc/Form_XCableMaps.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "core/import/GeometricFactor.h"
#include "core/settings/LenientNumber.h"
#include "core/settings/NumberText.h"
#include "ui/platform/RunHandler.h"
#include "ui/platform/TextConversion.h"
#include "ui/shell/MainWindow.h"

namespace vexora::ui {

CrossCableCanvas::CrossCableCanvas(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CrossCableCanvas::display(CrossCablePicture picture, bool numerical, const QString& caption)
{
    picture_ = std::move(picture);
    numerical_ = numerical;
    caption_ = caption;
    layout_ = crossCableLayout(picture_, numerical_);
    setFixedSize(layout_.size);
    update();
}

void CrossCableCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    paintCrossCable(painter, picture_, layout_, numerical_, caption_);
}

void CrossCableCanvas::mouseMoveEvent(QMouseEvent* event) { emit hovered(layout_.hit(event->position().toPoint())); }

void CrossCableCanvas::mousePressEvent(QMouseEvent* event) { emit clicked(layout_.hit(event->position().toPoint())); }

namespace {

constexpr const char* kPlaceholder = "Cable";

QComboBox* labelled(QGridLayout* grid, int row, const char* label, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    grid->addWidget(new QLabel(QString::fromLatin1(label), parent), row, 0);
    grid->addWidget(box, row, 1);
    return box;
}

}  // namespace

Form_XCableMaps::Form_XCableMaps(const ProjectStore& store, MessageLog& log, QWidget* parent)
    : QWidget(parent), store_(store), log_(log)
{
    setObjectName(QStringLiteral("Form_XCableMaps"));
    setWindowTitle(QStringLiteral("Cross Cable Data Plots"));

    auto* choices = new QGroupBox(QStringLiteral("Map"), this);
    auto* grid = new QGridLayout(choices);
    cboArray = labelled(grid, 0, "Array type", choices);
    cboArray->addItems({"Pole-dipole", "Dipole-dipole", "Pole-pole"});
    cboArray->setCurrentIndex(1);
    cboTx = labelled(grid, 1, "TX cable", choices);
    cboRx = labelled(grid, 2, "RX cable", choices);
    cboLayer = labelled(grid, 3, "Dipole size", choices);
    cboTx->setToolTip(QStringLiteral("The cable whose electrodes carry the current: a row per electrode"));
    cboRx->setToolTip(QStringLiteral("The cable whose electrodes measure: a column per electrode (M)"));
    cboLayer->setToolTip(QStringLiteral("Receiving dipole size |M - N| in electrode numbers"));

    auto* data = new QGroupBox(QStringLiteral("Data"), this);
    auto* dataLayout = new QVBoxLayout(data);
    optResistance = new QRadioButton(QStringLiteral("V/I"), data);
    optResistivity = new QRadioButton(QStringLiteral("Apparent resistivity"), data);
    optResistance->setChecked(true);
    dataLayout->addWidget(optResistance);
    dataLayout->addWidget(optResistivity);

    auto* scale = new QGroupBox(QStringLiteral("Colours"), this);
    auto* scaleLayout = new QGridLayout(scale);
    cboColours = new QComboBox(scale);
    cboColours->addItems({"RAINBOW", "REDBLUE"});
    chkManual = new QCheckBox(QStringLiteral("Manual scale"), scale);
    chkManual->setToolTip(QStringLiteral("Colour between the typed limits; values outside take the end colours"));
    txtMin = new QLineEdit(QStringLiteral("0"), scale);
    txtMax = new QLineEdit(QStringLiteral("1"), scale);
    chkNumerical = new QCheckBox(QStringLiteral("numerical"), scale);
    chkNumerical->setToolTip(QStringLiteral("Write the values into the cells"));
    scaleLayout->addWidget(cboColours, 0, 0, 1, 2);
    scaleLayout->addWidget(chkManual, 1, 0, 1, 2);
    scaleLayout->addWidget(new QLabel(QStringLiteral("Min"), scale), 2, 0);
    scaleLayout->addWidget(txtMin, 2, 1);
    scaleLayout->addWidget(new QLabel(QStringLiteral("Max"), scale), 3, 0);
    scaleLayout->addWidget(txtMax, 3, 1);
    scaleLayout->addWidget(chkNumerical, 4, 0, 1, 2);

    txtInfo = new QPlainTextEdit(this);
    txtInfo->setReadOnly(true);
    txtInfo->setPlaceholderText(QStringLiteral("Move the mouse over the map"));

    auto* side = new QVBoxLayout;
    side->addWidget(choices);
    side->addWidget(data);
    side->addWidget(scale);
    side->addWidget(txtInfo, 1);
    auto* sideWidget = new QWidget(this);
    sideWidget->setLayout(side);
    sideWidget->setFixedWidth(240);

    view_ = new CrossCableCanvas(this);
    scroll_ = new QScrollArea(this);
    scroll_->setWidget(view_);
    scroll_->setBackgroundRole(QPalette::Base);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(sideWidget);
    layout->addWidget(scroll_, 1);
    resize(1000, 640);

    for (QComboBox* box : {cboArray, cboTx, cboRx})
        connect(box, &QComboBox::currentIndexChanged, this, &Form_XCableMaps::rebuild);
    connect(chkNumerical, &QCheckBox::toggled, this, &Form_XCableMaps::rebuild);
    for (QComboBox* box : {cboLayer, cboColours}) connect(box, &QComboBox::currentIndexChanged, this, &Form_XCableMaps::redraw);
    connect(chkManual, &QCheckBox::toggled, this, &Form_XCableMaps::redraw);
    connect(optResistivity, &QRadioButton::toggled, this, &Form_XCableMaps::redraw);
    for (QLineEdit* box : {txtMin, txtMax})
        connect(box, &QLineEdit::editingFinished, this, [this] {
            if (chkManual->isChecked()) redraw();
        });
    connect(view_, &CrossCableCanvas::hovered, this, [this](CrossCableLayout::Hit hit) { showInfo(hit, false); });
    connect(view_, &CrossCableCanvas::clicked, this, [this](CrossCableLayout::Hit hit) { showInfo(hit, true); });
    refreshCables();
}

void Form_XCableMaps::refreshCables()
{
    // The geometric factors take most of a rebuild on a large survey: they
    // are taken once here, when the window is shown, not at every choice.
    factors_ = funGeometricFactor(store_.survey, false);
    // Keep the chosen cables when they are still the project's.
    const QString tx = cboTx->currentText(), rx = cboRx->currentText();
    QStringList names{QString::fromLatin1(kPlaceholder)};
    for (const std::string& name : store_.survey.cableNames) names << toQString(name);
    for (QComboBox* box : {cboTx, cboRx}) {
        const QSignalBlocker quiet(box);
        box->clear();
        box->addItems(names);
    }
    cboTx->blockSignals(true);
    cboTx->setCurrentIndex(std::max(0, static_cast<int>(names.indexOf(tx))));
    cboTx->blockSignals(false);
    cboRx->blockSignals(true);
    cboRx->setCurrentIndex(std::max(0, static_cast<int>(names.indexOf(rx))));
    cboRx->blockSignals(false);
    rebuild();
}

void Form_XCableMaps::rebuild()
{
    runHandler(log_, "Form_XCableMaps", [&] {
        const CrossCableArray arrays[3] = {CrossCableArray::PoleDipole, CrossCableArray::DipoleDipole,
                                           CrossCableArray::PolePole};
        const int tx = cboTx->currentIndex(), rx = cboRx->currentIndex();  // 0: "Cable"
        if (tx >= 1 && rx >= 1) {
            if (factors_.size() != store_.survey.quadrupoles.size()) factors_ = funGeometricFactor(store_.survey, false);
            map_ = buildCrossCableMap(store_.survey, factors_, arrays[std::max(0, cboArray->currentIndex())], tx, rx);
        } else {
            map_ = {};
        }
        const int layer = cboLayer->currentIndex() + 1;
        const QSignalBlocker quiet(cboLayer);
        cboLayer->clear();
        for (int l = 1; l <= map_.layerCount(); ++l) cboLayer->addItem(QString::number(l));
        cboLayer->setCurrentIndex(layer >= 1 && layer <= map_.layerCount() ? layer - 1 : 0);
        redraw();
    });
}

void Form_XCableMaps::redraw()
{
    runHandler(log_, "Form_XCableMaps", [&] {
        vexora::CrossCableView options;
        options.layer = cboLayer->currentIndex() + 1;
        options.resistivity = optResistivity->isChecked();
        options.colours = cboColours->currentIndex() == 1 ? CrossCableColours::RedBlue : CrossCableColours::Rainbow;
        options.manualScale = chkManual->isChecked();
        options.manualMinimum = lenientNumber(toWindows1252(txtMin->text().trimmed()));
        options.manualMaximum = lenientNumber(toWindows1252(txtMax->text().trimmed()));
        picture_ = crossCablePicture(store_.survey, factors_, map_, options);
        QString caption;
        if (map_.rows() > 0)
            caption = QStringLiteral("%1   TX %2   RX %3   dipole size %4   data min %5   data max %6")
                              .arg(cboArray->currentText(), cboTx->currentText(), cboRx->currentText(),
                                   cboLayer->currentText(),
                                   toQString(formatFixed(options.resistivity ? map_.minResistivity : map_.minResistance, 3)),
                                   toQString(formatFixed(options.resistivity ? map_.maxResistivity : map_.maxResistance, 3)));
        else
            caption = QStringLiteral("Choose a TX cable and an RX cable");
        if (map_.rows() > 0 && map_.layerCount() == 0) caption += QStringLiteral("   - no quadrupole links these cables");
        view_->display(picture_, chkNumerical->isChecked(), caption);
    });
}

void Form_XCableMaps::showInfo(CrossCableLayout::Hit hit, bool clicked)
{
    runHandler(log_, "Form_XCableMaps", [&] {
        std::string text;
        switch (hit.part) {
        case CrossCableLayout::Part::RowHeader:
            text = crossCableRowInfo(store_.survey, map_, static_cast<std::size_t>(hit.row));
            break;
        case CrossCableLayout::Part::ColumnHeader:
            text = crossCableColumnInfo(store_.survey, map_, static_cast<std::size_t>(hit.column));
            break;
        case CrossCableLayout::Part::Cell:
            text = crossCableCellInfo(store_.survey, factors_, map_, cboLayer->currentIndex() + 1,
                                      static_cast<std::size_t>(hit.row), static_cast<std::size_t>(hit.column), clicked);
            break;
        case CrossCableLayout::Part::None: return;
        }
        txtInfo->setPlainText(toQString(text));
    });
}

void registerXCableMaps(MDIStart& mainWindow, const ProjectStore& store, MessageLog& log)
{
    mainWindow.taskWindows().registerWindow(
            TaskWindow::CrossCableMaps, [&store, &log] { return new Form_XCableMaps(store, log); },
            [](QWidget* window, WindowMode) { static_cast<Form_XCableMaps*>(window)->refreshCables(); });
}

}  // namespace vexora::ui
