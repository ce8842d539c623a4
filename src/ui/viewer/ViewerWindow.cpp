#include "ui/viewer/ViewerWindow.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWidget>
#include <QSlider>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QVector3D>

#include "core/settings/LenientNumber.h"
#include "ui/platform/TextConversion.h"
#include "ui/qc/ColourBar.h"
#include "ui/viewer/ViewerGeometry.h"

namespace vexora::ui {

namespace {

constexpr int kSliderSteps = 1000;
constexpr int kBarWidth = 110;
constexpr const char* kAxisNames[3] = {"x", "y", "z"};

// Room for the colour bar right of the view and in a saved picture.
void paintBar(QPainter& painter, const QRect& area, const ColourScale& scale, const QString& title)
{
    painter.fillRect(area, Qt::white);
    painter.setPen(Qt::black);
    painter.drawText(QRect(area.left() + 4, area.top() + 4, area.width() - 8, 30), Qt::AlignLeft | Qt::TextWordWrap,
                     title);
    paintColourBar(painter, QRectF(area.left() + 10, area.top() + 40, 22, area.height() - 70), scale,
                   area.width() - 44);
}

QString scaleTitle(const SceneStyle& style)
{
    return toQString(style.quantity) + (style.scale.logarithmic ? QStringLiteral(" (log)") : QString());
}

}  // namespace

class ColourBarWidget : public QWidget {
public:
    explicit ColourBarWidget(QWidget* parent) : QWidget(parent) { setFixedWidth(kBarWidth); }
    void show(const SceneStyle& style, bool loaded)
    {
        style_ = style, loaded_ = loaded;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        if (loaded_) paintBar(painter, rect(), style_.scale, scaleTitle(style_));
        else painter.fillRect(rect(), Qt::white);
    }

private:
    SceneStyle style_;
    bool loaded_ = false;
};

ViewerWindow::ViewerWindow(MessageLog& log, QWidget* parent) : QMainWindow(parent), log_(log)
{
    static const int registered = qmlRegisterType<ViewerGeometry>("Vexora.Viewer", 1, 0, "ViewerGeometry");
    (void)registered;
    setWindowTitle(QStringLiteral("Vexora 3D Viewer"));
    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    view_ = new QQuickWidget(central);
    view_->setResizeMode(QQuickWidget::SizeRootObjectToView);
    view_->setMinimumSize(400, 300);
    view_->setSource(QUrl(QStringLiteral("qrc:/viewer/ViewerView.qml")));
    for (const QQmlError& error : view_->errors()) log_.logError("ViewerWindow", toWindows1252(error.toString()));
    if (QQuickItem* root = view_->rootObject()) {
        sectionGeometry_ = root->property("sections").value<ViewerGeometry*>();
        volumeGeometry_ = root->property("volume").value<ViewerGeometry*>();
        electrodeGeometry_ = root->property("electrodes").value<ViewerGeometry*>();
    }
    row->addWidget(view_, 1);
    colourBar_ = new ColourBarWidget(central);
    row->addWidget(colourBar_);
    setCentralWidget(central);
    buildPanel();
    buildMenus();
    resize(1100, 700);
}

void ViewerWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&Open..."), this, &ViewerWindow::openFile);
    file->addAction(tr("&Save image..."), this, &ViewerWindow::saveImageAs);
    file->addSeparator();
    file->addAction(tr("E&xit"), this, &QWidget::close);
    QMenu* viewMenu = menuBar()->addMenu(tr("&View"));
    viewMenu->addAction(tr("&Reset view"), this, &ViewerWindow::resetView);
}

void ViewerWindow::buildPanel()
{
    auto* panel = new QWidget(this);
    auto* column = new QVBoxLayout(panel);
    auto* form = new QFormLayout;
    quantityBox_ = new QComboBox(panel);
    form->addRow(tr("Quantity"), quantityBox_);
    connect(quantityBox_, &QComboBox::textActivated, this,
            [this](const QString& text) { (void)setQuantity(toWindows1252(text)); });
    mapBox_ = new QComboBox(panel);
    mapBox_->addItem(tr("Viridis (perceptually uniform)"), static_cast<int>(ColourMap::Sequential));
    mapBox_->addItem(tr("Blue-white-red"), static_cast<int>(ColourMap::Diverging));
    form->addRow(tr("Colour map"), mapBox_);
    connect(mapBox_, &QComboBox::activated, this,
            [this](int row) { setColourMap(static_cast<ColourMap>(mapBox_->itemData(row).toInt())); });
    column->addLayout(form);

    auto* sections = new QGroupBox(tr("Sections"), panel);
    auto* grid = new QVBoxLayout(sections);
    for (std::size_t k = 0; k < 3; ++k) {
        const auto axis = static_cast<SectionAxis>(k);
        showBoxes_[k] = new QCheckBox(tr("Across %1").arg(QLatin1String(kAxisNames[k])), sections);
        showBoxes_[k]->setChecked(true);
        connect(showBoxes_[k], &QCheckBox::toggled, this, [this, axis](bool on) { setSectionShown(axis, on); });
        sliders_[k] = new QSlider(Qt::Horizontal, sections);
        sliders_[k]->setRange(0, kSliderSteps);
        connect(sliders_[k], &QSlider::valueChanged, this, [this, axis, k](int step) {
            if (!loaded_) return;
            const double at = bounds_.low[k] + (bounds_.high[k] - bounds_.low[k]) * step / kSliderSteps;
            if (at != at_[k]) setSectionAt(axis, at);
        });
        sliderLabels_[k] = new QLabel(sections);
        grid->addWidget(showBoxes_[k]);
        grid->addWidget(sliders_[k]);
        grid->addWidget(sliderLabels_[k]);
    }
    column->addWidget(sections);

    auto* clip = new QGroupBox(tr("Clip range (empty: no limit)"), panel);
    auto* clipForm = new QFormLayout(clip);
    clipLow_ = new QLineEdit(clip);
    clipHigh_ = new QLineEdit(clip);
    clipForm->addRow(tr("Lowest shown"), clipLow_);
    clipForm->addRow(tr("Highest shown"), clipHigh_);
    connect(clipLow_, &QLineEdit::editingFinished, this, &ViewerWindow::applyClipText);
    connect(clipHigh_, &QLineEdit::editingFinished, this, &ViewerWindow::applyClipText);
    column->addWidget(clip);

    electrodeBox_ = new QCheckBox(tr("Electrodes"), panel);
    electrodeBox_->setChecked(true);
    connect(electrodeBox_, &QCheckBox::toggled, this, &ViewerWindow::setElectrodesShown);
    column->addWidget(electrodeBox_);
    cutawayBox_ = new QCheckBox(tr("Cut-away box (corner at the sections' centre)"), panel);
    connect(cutawayBox_, &QCheckBox::toggled, this, &ViewerWindow::setCutaway);
    column->addWidget(cutawayBox_);
    auto* stretch = new QFormLayout;
    exaggerationBox_ = new QDoubleSpinBox(panel);
    exaggerationBox_->setRange(1, 50);
    exaggerationBox_->setDecimals(1);
    exaggerationBox_->setSingleStep(0.5);
    exaggerationBox_->setSuffix(QStringLiteral(" x"));
    exaggerationBox_->setToolTip(tr("Depths drawn this many times longer than distances across"));
    connect(exaggerationBox_, &QDoubleSpinBox::valueChanged, this, &ViewerWindow::setVerticalExaggeration);
    stretch->addRow(tr("Vertical exaggeration"), exaggerationBox_);
    column->addLayout(stretch);
    auto* reset = new QPushButton(tr("Reset view"), panel);
    connect(reset, &QPushButton::clicked, this, &ViewerWindow::resetView);
    column->addWidget(reset);
    column->addWidget(new QLabel(tr("Drag to turn, wheel to zoom."), panel));
    column->addStretch(1);

    auto* dock = new QDockWidget(tr("Display"), this);
    dock->setObjectName(QStringLiteral("display"));
    dock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    dock->setWidget(panel);
    addDockWidget(Qt::LeftDockWidgetArea, dock);

    messages_ = new QPlainTextEdit(this);
    messages_->setReadOnly(true);
    messages_->setMaximumBlockCount(2000);
    auto* logDock = new QDockWidget(tr("Messages"), this);
    logDock->setObjectName(QStringLiteral("messages"));
    logDock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    logDock->setWidget(messages_);
    addDockWidget(Qt::BottomDockWidgetArea, logDock);
    for (const LogRun& run : log_.runs()) messages_->appendPlainText(toQString(run.text).trimmed());
    log_.setListener([this](const LogRun& run) {
        messages_->appendPlainText(toQString(run.text).trimmed());
        if (run.red) statusBar()->showMessage(toQString(run.text).trimmed());
    });
}

Status ViewerWindow::open(const std::filesystem::path& path)
{
    ViewerInput read;
    if (readViewerInput(path, read, log_) != Status::Ok) return Status::Error;
    input_ = std::move(read);
    loaded_ = true;
    neighbours_.reset();
    const std::size_t electrodes = input_.model.electrodes.size();
    log_.subWriteToTextBox(" " + input_.modelFile.string() + ": " + std::to_string(input_.model.blocks.size()) +
                           " blocks, " + std::to_string(electrodes) + (electrodes == 1 ? " electrode" : " electrodes") +
                           kLineBreak);
    showModel();
    return Status::Ok;
}

void ViewerWindow::showModel()
{
    bounds_ = modelBounds(input_.model);
    style_.origin = bounds_.centre();
    style_.clip = {};
    clipLow_->clear(), clipHigh_->clear();
    at_ = input_.sectionsAt;
    electrodes_ = input_.electrodes;
    {
        const QSignalBlocker block(electrodeBox_);
        electrodeBox_->setChecked(electrodes_);
    }
    {
        const QSignalBlocker block(quantityBox_);
        quantityBox_->clear();
        for (const std::string& q : input_.model.quantities) quantityBox_->addItem(toQString(q));
    }
    setWindowTitle(QStringLiteral("Vexora 3D Viewer - ") + toQString(input_.modelFile.filename().string()));
    placeCamera();
    for (std::size_t k = 0; k < 3; ++k) updateSlider(static_cast<SectionAxis>(k));
    (void)setQuantity(firstQuantity(input_.model));
    resetView();
}

void ViewerWindow::placeCamera()
{
    // The camera stands back far enough for the whole model, as stretched, to fit the view.
    double radius = 0;
    for (std::size_t k = 0; k < 3; ++k)
        radius += std::pow((bounds_.high[k] - bounds_.low[k]) / 2 * (k == 2 ? exaggeration_ : 1), 2);
    radius = std::max(std::sqrt(radius), 1e-3);
    if (QQuickItem* root = view_->rootObject()) {
        root->setProperty("exaggeration", exaggeration_);
        root->setProperty("distance", radius / std::tan(15.0 * M_PI / 180) * 1.05);
    }
}

void ViewerWindow::setVerticalExaggeration(double factor)
{
    exaggeration_ = std::clamp(factor, 1.0, 50.0);
    {
        const QSignalBlocker block(exaggerationBox_);
        exaggerationBox_->setValue(exaggeration_);
    }
    placeCamera();
    if (QQuickItem* root = view_->rootObject()) QMetaObject::invokeMethod(root, "standBack");
}

Status ViewerWindow::setQuantity(const std::string& quantity)
{
    ColourScale scale;
    std::string why;
    if (!quantityScale(input_.model, quantity, static_cast<ColourMap>(mapBox_->currentData().toInt()), scale, why))
        return log_.error("ViewerWindow", "Cannot show " + quantity + ": " + why + ".");
    style_.quantity = quantity;
    style_.scale = scale;
    style_.clip = {};
    clipLow_->clear(), clipHigh_->clear();
    {
        const QSignalBlocker block(quantityBox_);
        quantityBox_->setCurrentText(toQString(quantity));
    }
    rebuildAll();
    return Status::Ok;
}

void ViewerWindow::setColourMap(ColourMap map)
{
    {
        const QSignalBlocker block(mapBox_);
        mapBox_->setCurrentIndex(mapBox_->findData(static_cast<int>(map)));
    }
    if (!loaded_) return;
    style_.scale.map = map;
    rebuildAll();
}

void ViewerWindow::setSectionAt(SectionAxis axis, double at)
{
    at_[index(axis)] = at;
    updateSlider(axis);
    if (!loaded_) return;
    rebuildSection(axis);
    uploadSections();
    if (cutaway_) rebuildVolume();
}

void ViewerWindow::setSectionShown(SectionAxis axis, bool shown)
{
    shown_[index(axis)] = shown;
    {
        const QSignalBlocker block(showBoxes_[index(axis)]);
        showBoxes_[index(axis)]->setChecked(shown);
    }
    if (!loaded_) return;
    rebuildSection(axis);
    uploadSections();
}

void ViewerWindow::setElectrodesShown(bool shown)
{
    electrodes_ = shown;
    {
        const QSignalBlocker block(electrodeBox_);
        electrodeBox_->setChecked(shown);
    }
    if (loaded_) rebuildElectrodes();
}

void ViewerWindow::setClipRange(const ValueRange& range)
{
    style_.clip = range;
    clipLow_->setText(std::isfinite(range.low) ? QString::number(range.low) : QString());
    clipHigh_->setText(std::isfinite(range.high) ? QString::number(range.high) : QString());
    if (loaded_) rebuildAll();
}

void ViewerWindow::applyClipText()
{
    ValueRange range;
    const auto read = [this](QLineEdit* edit, double& limit) {
        const std::string text = toWindows1252(edit->text().trimmed());
        if (text.empty()) return;
        bool found = false;
        const double value = lenientNumber(text, found);
        if (found) limit = value;
        else log_.warning("ViewerWindow", "The clip limit \"" + text + "\" is not a number: no limit there.");
    };
    read(clipLow_, range.low);
    read(clipHigh_, range.high);
    if (range.low == style_.clip.low && range.high == style_.clip.high) return;
    setClipRange(range);
}

void ViewerWindow::setCutaway(bool on)
{
    cutaway_ = on;
    {
        const QSignalBlocker block(cutawayBox_);
        cutawayBox_->setChecked(on);
    }
    if (loaded_) rebuildVolume();
}

void ViewerWindow::setViewDirection(double yaw, double pitch)
{
    if (QQuickItem* root = view_->rootObject()) {
        root->setProperty("yaw", yaw);
        root->setProperty("pitch", pitch);
    }
    resetView();
}

void ViewerWindow::resetView()
{
    if (QQuickItem* root = view_->rootObject()) QMetaObject::invokeMethod(root, "resetView");
}

void ViewerWindow::updateSlider(SectionAxis axis)
{
    const std::size_t k = index(axis);
    const double span = bounds_.high[k] - bounds_.low[k];
    const QSignalBlocker block(sliders_[k]);
    sliders_[k]->setValue(span > 0 ? static_cast<int>(std::lround((at_[k] - bounds_.low[k]) / span * kSliderSteps)) : 0);
    sliderLabels_[k]->setText(QStringLiteral("%1 = %2").arg(QLatin1String(kAxisNames[k])).arg(at_[k], 0, 'f', 2));
}

void ViewerWindow::rebuildSection(SectionAxis axis)
{
    SceneGeometry& scene = sectionScenes_[index(axis)];
    scene.vertices.clear();
    if (!shown_[index(axis)]) return;
    std::string why;
    if (!appendSection(input_.model, axis, at_[index(axis)], style_, scene, why))
        log_.warning("ViewerWindow", "No section across " + std::string(kAxisNames[index(axis)]) + ": " + why + ".");
}

void ViewerWindow::uploadSections()
{
    SceneGeometry all;
    std::size_t size = 0;
    for (const SceneGeometry& s : sectionScenes_) size += s.vertices.size();
    all.vertices.reserve(size);
    for (const SceneGeometry& s : sectionScenes_) all.vertices.insert(all.vertices.end(), s.vertices.begin(), s.vertices.end());
    if (sectionGeometry_) sectionGeometry_->setScene(all);
}

void ViewerWindow::rebuildVolume()
{
    SceneGeometry scene;
    if (cutaway_) {
        if (!neighbours_) neighbours_ = blockNeighbours(input_.model);
        ModelBounds box;
        box.low = {at_[0], bounds_.low[1] - 1, at_[2]};
        box.high = {bounds_.high[0] + 1, at_[1], bounds_.high[2] + 1};
        std::string why;
        if (!appendCutaway(input_.model, *neighbours_, box, style_, scene, why))
            log_.warning("ViewerWindow", "No cut-away model: " + why + ".");
    }
    if (volumeGeometry_) volumeGeometry_->setScene(scene);
}

void ViewerWindow::rebuildElectrodes()
{
    SceneGeometry scene;
    if (electrodes_) {
        // Cubes a hundredth of the model's width, seen at any zoom.
        const double size = std::max(bounds_.high[0] - bounds_.low[0], bounds_.high[1] - bounds_.low[1]) / 100;
        appendElectrodes(input_.model, size, style_, scene);
    }
    if (electrodeGeometry_) electrodeGeometry_->setScene(scene);
}

void ViewerWindow::rebuildAll()
{
    for (std::size_t k = 0; k < 3; ++k) rebuildSection(static_cast<SectionAxis>(k));
    uploadSections();
    rebuildVolume();
    rebuildElectrodes();
    colourBar_->show(style_, loaded_);
}

QImage ViewerWindow::viewImage()
{
    QApplication::processEvents();
    return view_->grabFramebuffer();
}

QImage ViewerWindow::picture()
{
    const QImage scene = viewImage();
    QImage image(scene.width() + kBarWidth, scene.height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawImage(0, 0, scene);
    if (loaded_) paintBar(painter, QRect(scene.width(), 0, kBarWidth, scene.height()), style_.scale, scaleTitle(style_));
    return image;
}

Status ViewerWindow::saveImage(const std::filesystem::path& path)
{
    const QImage image = picture();
    if (image.isNull() || !image.save(QString::fromStdString(path.string()), "PNG"))
        return log_.error("ViewerWindow", "Image " + path.string() + " not saved.");
    log_.subWriteToTextBox(" Image " + path.string() + " saved" + kLineBreak);
    return Status::Ok;
}

std::optional<QPointF> ViewerWindow::pixelOf(const Point3& point)
{
    QQuickItem* root = view_->rootObject();
    if (!root) return std::nullopt;
    // The scene's y is the model's z stretched, its z the model's -y (ViewerView.qml).
    const QVector3D scene(static_cast<float>(point[0] - style_.origin[0]),
                          static_cast<float>((point[2] - style_.origin[2]) * exaggeration_),
                          static_cast<float>(-(point[1] - style_.origin[1])));
    QVector3D at;
    if (!QMetaObject::invokeMethod(root, "mapFrom3DScene", Q_RETURN_ARG(QVector3D, at), Q_ARG(QVector3D, scene)))
        return std::nullopt;
    const qreal ratio = view_->devicePixelRatioF();
    return QPointF(at.x() * ratio, at.y() * ratio);
}

void ViewerWindow::openFile()
{
    const QString chosen = QFileDialog::getOpenFileName(
        this, tr("Open model or viewer script"), QString(),
        tr("Models and scripts (*.vwer *.ohm *.txt *.mod);;All files (*)"));
    if (!chosen.isEmpty()) (void)open(toFilePath(chosen));  // a file not read is in the messages
}

void ViewerWindow::saveImageAs()
{
    QString chosen = QFileDialog::getSaveFileName(this, tr("Save image"), QStringLiteral("viewer.png"),
                                                  tr("PNG image (*.png)"));
    if (chosen.isEmpty()) return;
    if (!chosen.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)) chosen += QLatin1String(".png");
    (void)saveImage(toFilePath(chosen));  // a failure is in the messages
}

}  // namespace vexora::ui
