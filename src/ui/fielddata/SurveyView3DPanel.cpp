#include "ui/fielddata/SurveyView3DPanel.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "core/import/GeometricFactor.h"
#include "core/project/ProjectStore.h"
#include "core/settings/LenientNumber.h"
#include "core/survey/QuadrupoleRows.h"
#include "ui/platform/BusyPointer.h"
#include "ui/platform/TextConversion.h"
#include "ui/qc/ColourBar.h"
#include "ui/qc/PseudosectionPage.h"

namespace vexora::ui {

namespace {

constexpr double kTurnStep = 10;    // degrees per press
constexpr double kZoomStep = 1.25;  // per press
constexpr int kPickRadius = 4;      // pixels
constexpr int kBarRoom = 90;        // the colour bar and its labels at the right

// "##0.#": at most one decimal, none when it is zero.
QString angleText(double value)
{
    const double rounded = std::round(value * 10) / 10;
    return QString::number(rounded, 'f', rounded == std::floor(rounded) ? 0 : 1);
}

// "##0.##".
QString zoomText(double value)
{
    return QString::number(std::round(value * 100) / 100, 'g', 6);
}

double typedNumber(const QLineEdit* edit)
{
    return lenientNumber(toWindows1252(edit->text()));
}

bool removed(const QuadrupoleTable& table, std::size_t row)
{
    return row < table.skip.size() && table.skip[row] >= 1;
}

// The pseudo plots of a selection keep their own copy of it: the survey
// may change under them.
class SelectionPlots : public QWidget {
public:
    SelectionPlots(const ProjectStore& store, std::span<const std::size_t> rows, MessageLog& log,
                   FileDialogs& dialogs)
    {
        setAttribute(Qt::WA_DeleteOnClose);
        setWindowTitle(QStringLiteral("Pseudo Plots - %1 selected quadrupoles").arg(rows.size()));
        static_cast<SessionState&>(selection_) = store;
        static_cast<SurveyState&>(selection_) = store;
        selection_.survey.quadrupoles = quadrupoleRows(store.survey.quadrupoles, rows);
        selection_.reciprocals = {};
        auto* layout = new QVBoxLayout(this);
        page_ = new PseudosectionPage(selection_, log, dialogs, this);
        layout->addWidget(page_);
        page_->refresh();
        resize(900, 600);
    }

private:
    ProjectStore selection_;
    PseudosectionPage* page_ = nullptr;
};

}  // namespace

// The picture: drawn from the panel's projected points at every paint.
class SurveyPicture : public QWidget {
public:
    explicit SurveyPicture(SurveyView3DPanel& panel) : QWidget(&panel), panel_(panel)
    {
        setMinimumSize(320, 240);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }

    QRect plotArea() const
    {
        const int bar = panel_.chkColourScale->isChecked() ? kBarRoom : 0;
        return QRect(8, 8, std::max(width() - 16 - bar, 1), std::max(height() - 16, 1));
    }

    void paintOn(QPainter& painter) const
    {
        painter.fillRect(rect(), Qt::white);
        const SurveyView3DPanel& p = panel_;
        const std::size_t measurements = p.drawnRows_.size();
        const QPoint offset = plotArea().topLeft();
        const auto at = [&](std::size_t i) { return QPoint(p.screen_[i].x, p.screen_[i].y) + offset; };
        if (p.chkBox->isChecked() && p.screen_.size() >= measurements + p.electrodeCount_ + 8) {
            painter.setPen(QPen(Qt::gray, 1));
            const std::size_t corner = measurements + p.electrodeCount_;
            for (int a = 0; a < 8; ++a)
                for (int bit : {1, 2, 4})
                    if (!(a & bit)) painter.drawLine(at(corner + a), at(corner + (a | bit)));
        }
        const bool highlight = p.chkSelected->isChecked();
        for (std::size_t i : p.order_) {
            if (i < measurements) {
                const std::size_t row = p.drawnRows_[i];
                const double value = p.values_[row];
                const QColor colour = std::isfinite(value) ? toColour(p.scale_.colour(value)) : QColor(Qt::gray);
                painter.fillRect(QRect(at(i) - QPoint(2, 2), QSize(5, 5)), colour);
                if (highlight && p.isSelected_[row]) {
                    painter.setPen(QPen(Qt::red, 1));
                    painter.drawRect(QRect(at(i) - QPoint(4, 4), QSize(8, 8)));
                }
            }
            else if (i < measurements + p.electrodeCount_ && p.chkElectrodes->isChecked())
                painter.fillRect(QRect(at(i) - QPoint(3, 3), QSize(7, 7)), Qt::black);
        }
        if (p.chkColourScale->isChecked() && measurements > 0) {
            const bool rho = p.cboColour->currentIndex() == 0;
            painter.setPen(Qt::black);
            const QRect area(width() - kBarRoom, 8, kBarRoom - 8, height() - 16);
            painter.drawText(QRect(area.left(), area.top(), area.width(), 16), Qt::AlignLeft,
                             rho ? QStringLiteral("Resistivity") : QStringLiteral("IP"));
            painter.drawText(QRect(area.left(), area.top() + 16, area.width(), 16), Qt::AlignLeft,
                             rho ? QStringLiteral("[Ohm * m]") : QStringLiteral("[Chargebility]"));
            paintColourBar(painter, QRectF(area.left(), area.top() + 40, 16, std::max(area.height() - 48, 10)),
                           p.scale_, area.width() - 20);
        }
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        paintOn(painter);
    }
    void resizeEvent(QResizeEvent*) override { panel_.project(); }
    void mousePressEvent(QMouseEvent* event) override { panel_.selectAt(event->position().toPoint()); }

private:
    SurveyView3DPanel& panel_;
};

SurveyView3DPanel::SurveyView3DPanel(const ProjectStore& store, MessageLog& log, Questions& questions,
                                     FileDialogs& dialogs, QWidget* parent)
    : QWidget(parent), store_(store), log_(log), questions_(questions), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("SurveyView3D"));
    picture_ = new SurveyPicture(*this);
    buildControls();
    refresh();
}

void SurveyView3DPanel::buildControls()
{
    auto* row = new QHBoxLayout(this);
    row->addWidget(picture_, 1);
    auto* controls = new QWidget;
    auto* column = new QVBoxLayout(controls);

    auto* turns = new QGroupBox(tr("Rotation"), this);
    auto* grid = new QGridLayout(turns);
    const struct {
        const char* caption;
        const char* label;
        BandAxis axis;
        QLineEdit** edit;
    } axes[] = {{"Rotate around X (lft-rgt)", "Theta= ", BandAxis::X, &txtTheta_},
                {"Rotate around Y (scrn-out)", "Gamma= ", BandAxis::Y, &txtGamma_},
                {"Rotate around Z (top-down)", "Phi= ", BandAxis::Z, &txtPhi_}};
    int line = 0;
    for (const auto& a : axes) {
        grid->addWidget(new QLabel(QString::fromLatin1(a.caption), turns), line, 0, 1, 4);
        auto* less = new QPushButton(QStringLiteral("<"), turns);
        auto* more = new QPushButton(QStringLiteral(">"), turns);
        less->setToolTip(tr("Turn %1 degrees back").arg(kTurnStep));
        more->setToolTip(tr("Turn %1 degrees on").arg(kTurnStep));
        *a.edit = new QLineEdit(turns);
        (*a.edit)->setToolTip(tr("Angle in degrees; Enter applies it"));
        grid->addWidget(less, line + 1, 0);
        grid->addWidget(new QLabel(QString::fromLatin1(a.label), turns), line + 1, 1);
        grid->addWidget(*a.edit, line + 1, 2);
        grid->addWidget(more, line + 1, 3);
        const BandAxis axis = a.axis;
        connect(less, &QPushButton::clicked, this, [this, axis] { turnBy(axis, -kTurnStep); });
        connect(more, &QPushButton::clicked, this, [this, axis] { turnBy(axis, kTurnStep); });
        connect(*a.edit, &QLineEdit::editingFinished, this, [this] {
            setTurn({typedNumber(txtTheta_), typedNumber(txtGamma_), typedNumber(txtPhi_)});
        });
        line += 2;
    }
    auto* zoomOut = new QPushButton(QStringLiteral("-"), turns);
    auto* zoomIn = new QPushButton(QStringLiteral("+"), turns);
    txtZoom_ = new QLineEdit(turns);
    grid->addWidget(zoomOut, line, 0);
    grid->addWidget(new QLabel(QStringLiteral("Zoom= "), turns), line, 1);
    grid->addWidget(txtZoom_, line, 2);
    grid->addWidget(zoomIn, line, 3);
    connect(zoomOut, &QPushButton::clicked, this, [this] { setZoom(frame_.zoom / kZoomStep); });
    connect(zoomIn, &QPushButton::clicked, this, [this] { setZoom(frame_.zoom * kZoomStep); });
    connect(txtZoom_, &QLineEdit::editingFinished, this, [this] { setZoom(typedNumber(txtZoom_)); });
    ++line;
    auto* planes = new QHBoxLayout;
    for (const auto& [caption, plane] : {std::pair{"XY", ViewPlane::XY}, std::pair{"ZX", ViewPlane::ZX},
                                         std::pair{"ZY", ViewPlane::ZY}}) {
        auto* button = new QPushButton(QString::fromLatin1(caption), turns);
        button->setToolTip(tr("Look at the %1 plane face on").arg(QString::fromLatin1(caption)));
        connect(button, &QPushButton::clicked, this, [this, plane] { showPlane(plane); });
        planes->addWidget(button);
    }
    grid->addLayout(planes, line++, 0, 1, 4);
    optOrtho_ = new QRadioButton(QStringLiteral("Ortographic View"), turns);
    optPerspective_ = new QRadioButton(QStringLiteral("Perspective View"), turns);
    optOrtho_->setChecked(true);
    connect(optPerspective_, &QRadioButton::toggled, this, [this](bool on) {
        setProjection(on ? ViewProjection::Perspective : ViewProjection::Orthographic);
    });
    grid->addWidget(optOrtho_, line, 0, 1, 2);
    grid->addWidget(optPerspective_, line, 2, 1, 2);
    column->addWidget(turns);

    auto* drawing = new QGroupBox(tr("Drawing"), this);
    auto* draw = new QGridLayout(drawing);
    chkElectrodes = new QCheckBox(QStringLiteral("Draw Electrodes"), drawing);
    chkBox = new QCheckBox(QStringLiteral("Draw Box"), drawing);
    chkSelected = new QCheckBox(QStringLiteral("Plot Selected Measurements"), drawing);
    chkColourScale = new QCheckBox(QStringLiteral("Draw Color Scale"), drawing);
    chkHidden = new QCheckBox(QStringLiteral("Hidden points removal"), drawing);
    chkSelected->setToolTip(tr("Mark the selected measurements with a red square"));
    chkHidden->setToolTip(tr("Draw the nearest points last, so they cover the ones behind"));
    for (QCheckBox* box : {chkElectrodes, chkBox, chkSelected, chkColourScale, chkHidden}) box->setChecked(true);
    draw->addWidget(chkElectrodes, 0, 0);
    draw->addWidget(chkBox, 0, 1);
    draw->addWidget(chkSelected, 1, 0);
    draw->addWidget(chkColourScale, 1, 1);
    draw->addWidget(chkHidden, 2, 0, 1, 2);
    for (QCheckBox* box : {chkElectrodes, chkBox, chkSelected, chkColourScale})
        connect(box, &QCheckBox::toggled, picture_, qOverload<>(&QWidget::update));
    connect(chkHidden, &QCheckBox::toggled, this, &SurveyView3DPanel::project);
    cboColour = new QComboBox(drawing);
    cboColour->addItems({QStringLiteral("Resistivity"), QStringLiteral("IP")});
    connect(cboColour, &QComboBox::currentIndexChanged, this, &SurveyView3DPanel::refresh);
    txtColourMin = new QLineEdit(drawing);
    txtColourMax = new QLineEdit(drawing);
    connect(txtColourMin, &QLineEdit::editingFinished, this, &SurveyView3DPanel::applyColourLimits);
    connect(txtColourMax, &QLineEdit::editingFinished, this, &SurveyView3DPanel::applyColourLimits);
    draw->addWidget(new QLabel(tr("Colour by"), drawing), 3, 0);
    draw->addWidget(cboColour, 3, 1);
    draw->addWidget(new QLabel(QStringLiteral("Color Min. [Ohm*m]"), drawing), 4, 0);
    draw->addWidget(txtColourMin, 4, 1);
    draw->addWidget(new QLabel(QStringLiteral("Color Max. [Ohm*m]"), drawing), 5, 0);
    draw->addWidget(txtColourMax, 5, 1);
    column->addWidget(drawing);

    auto* selection = new QGroupBox(tr("Selection"), this);
    auto* pick = new QGridLayout(selection);
    cboBandAxis = new QComboBox(selection);
    cboBandAxis->addItems({QStringLiteral("Select Meas. By X coordinate"), QStringLiteral("Select Meas By Y coordinate"),
                           QStringLiteral("Select Meas. by Z coordinate")});
    txtBound1 = new QLineEdit(selection);
    txtBound2 = new QLineEdit(selection);
    auto* select = new QPushButton(tr("Select"), selection);
    select->setToolTip(tr("Select the measurements between XYZ1 and XYZ2 along the chosen coordinate"));
    connect(select, &QPushButton::clicked, this, &SurveyView3DPanel::selectBand);
    lblSelected = new QLabel(selection);
    lblDescription = new QLabel(selection);
    lblDescription->setWordWrap(true);
    lblDescription->setMinimumWidth(260);
    cmdPseudoPlots = new QPushButton(QStringLiteral("Display Pseudo-Plots"), selection);
    cmdPseudoPlots->setToolTip(tr("Pseudosections of the selected measurements"));
    connect(cmdPseudoPlots, &QPushButton::clicked, this, [this] { (void)displayPseudoPlots(); });
    pick->addWidget(cboBandAxis, 0, 0, 1, 2);
    pick->addWidget(new QLabel(QStringLiteral("XYZ1"), selection), 1, 0);
    pick->addWidget(txtBound1, 1, 1);
    pick->addWidget(new QLabel(QStringLiteral("XYZ2"), selection), 2, 0);
    pick->addWidget(txtBound2, 2, 1);
    pick->addWidget(select, 3, 0);
    pick->addWidget(new QLabel(QStringLiteral("N. Selected"), selection), 4, 0);
    pick->addWidget(lblSelected, 4, 1);
    pick->addWidget(lblDescription, 5, 0, 1, 2);
    pick->addWidget(cmdPseudoPlots, 6, 0, 1, 2);
    column->addWidget(selection);
    column->addStretch(1);
    // In a low window (a tab of the field data window) the controls scroll
    // rather than squeeze on top of each other.
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(controls);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setMinimumWidth(controls->sizeHint().width() + scroll->verticalScrollBar()->sizeHint().width());
    row->addWidget(scroll);
    showAngles();
}

void SurveyView3DPanel::refresh()
{
    stale_ = true;
    if (isVisible()) rebuild();
}

void SurveyView3DPanel::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    ensureCurrent();
}

void SurveyView3DPanel::ensureCurrent()
{
    if (stale_) rebuild();
}

void SurveyView3DPanel::rebuild()
{
    stale_ = false;
    const Survey& survey = store_.survey;
    const QuadrupoleTable& table = survey.quadrupoles;
    centre_ = barycentre(survey);
    points_ = measurementPoints(survey);
    const bool rho = cboColour->currentIndex() == 0;
    values_.assign(table.size(), std::nan(""));
    if (rho && survey.present.resistance) {
        const std::vector<double> k = funGeometricFactor(survey, false);
        for (std::size_t row = 0; row < table.size(); ++row)
            if (k[row] != kCannotCompute && std::isfinite(table.resistance[row])) values_[row] = table.resistance[row] * k[row];
    }
    else if (!rho && survey.present.ip && !table.ip.empty())
        for (std::size_t row = 0; row < table.size(); ++row) {
            double sum = 0;
            for (const auto& window : table.ip) sum += window[row];
            values_[row] = sum / static_cast<double>(table.ip.size());
        }
    std::vector<double> shown;
    for (std::size_t row = 0; row < table.size(); ++row)
        if (!removed(table, row) && std::isfinite(values_[row]) && (!rho || values_[row] > 0)) shown.push_back(values_[row]);
    scale_ = scaleFor(std::move(shown), ColourMap::Sequential, rho);
    txtColourMin->setText(QString::number(scale_.low, 'g', 4));
    txtColourMax->setText(QString::number(scale_.high, 'g', 4));

    drawnPoints_.clear();
    drawnRows_.clear();
    for (std::size_t row = 0; row < points_.size(); ++row)
        if (points_[row] && !removed(table, row)) drawnPoints_.push_back(*points_[row]), drawnRows_.push_back(row);
    // Remote poles stand far off: drawn, they would shrink the survey to a dot.
    electrodeCount_ = 0;
    for (const Electrode& e : survey.electrodes)
        if (!isRemoteElectrode(survey, e)) drawnPoints_.push_back({e.x, e.y, e.z}), ++electrodeCount_;
    if (!drawnPoints_.empty()) {
        ViewPoint low = drawnPoints_.front(), high = low;
        for (const ViewPoint& p : drawnPoints_)
            for (std::size_t k = 0; k < 3; ++k) low[k] = std::min(low[k], p[k]), high[k] = std::max(high[k], p[k]);
        for (int corner = 0; corner < 8; ++corner)
            drawnPoints_.push_back({corner & 1 ? high[0] : low[0], corner & 2 ? high[1] : low[1],
                                    corner & 4 ? high[2] : low[2]});
    }
    // A selection made on other data does not carry over.
    selected_.erase(std::remove_if(selected_.begin(), selected_.end(), [&](std::size_t row) { return row >= table.size(); }),
                    selected_.end());
    isSelected_.assign(table.size(), 0);
    for (std::size_t row : selected_) isSelected_[row] = 1;
    lblSelected->setText(QString::number(selected_.size()));
    project();
}

void SurveyView3DPanel::project()
{
    const QRect area = picture_->plotArea();
    frame_.width = area.width();
    frame_.height = area.height();
    screen_ = projectToPicture(drawnPoints_, centre_, turn_, frame_);
    if (chkHidden->isChecked()) order_ = farthestFirst(screen_);
    else {
        order_.resize(screen_.size());
        for (std::size_t i = 0; i < order_.size(); ++i) order_[i] = i;
    }
    picture_->update();
}

void SurveyView3DPanel::showAngles()
{
    txtTheta_->setText(angleText(turn_.theta));
    txtGamma_->setText(angleText(turn_.gamma));
    txtPhi_->setText(angleText(turn_.phi));
    txtZoom_->setText(zoomText(frame_.zoom));
}

void SurveyView3DPanel::setTurn(const ViewTurn& turn)
{
    const auto wrapped = [](double a) { return std::remainder(a, 360.0); };
    turn_ = {wrapped(turn.theta), wrapped(turn.gamma), wrapped(turn.phi)};
    showAngles();
    project();
}

void SurveyView3DPanel::turnBy(BandAxis axis, double degrees)
{
    ViewTurn turn = turn_;
    (axis == BandAxis::X ? turn.theta : axis == BandAxis::Y ? turn.gamma : turn.phi) += degrees;
    setTurn(turn);
}

void SurveyView3DPanel::showPlane(ViewPlane plane)
{
    setTurn(planeTurn(plane));
}

void SurveyView3DPanel::setZoom(double zoom)
{
    // A typed zero or negative zoom would fold the picture to a point.
    if (zoom > 0) frame_.zoom = std::clamp(zoom, 0.01, 1000.0);
    showAngles();
    project();
}

void SurveyView3DPanel::setProjection(ViewProjection projection)
{
    frame_.projection = projection;
    {
        const QSignalBlocker block(optPerspective_);
        optPerspective_->setChecked(projection == ViewProjection::Perspective);
        optOrtho_->setChecked(projection == ViewProjection::Orthographic);
    }
    project();
}

void SurveyView3DPanel::applyColourLimits()
{
    const double low = typedNumber(txtColourMin), high = typedNumber(txtColourMax);
    // The scale needs low < high, and positive limits on a logarithmic one.
    if (!(low < high) || (scale_.logarithmic && !(low > 0))) {
        log_.warning("SurveyView3D", "Color Min. must be below Color Max." +
                                         std::string(scale_.logarithmic ? " and above 0 for resistivity." : "."));
        txtColourMin->setText(QString::number(scale_.low, 'g', 4));
        txtColourMax->setText(QString::number(scale_.high, 'g', 4));
        return;
    }
    scale_.low = low, scale_.high = high;
    picture_->update();
}

void SurveyView3DPanel::selectBand()
{
    ensureCurrent();
    std::vector<std::size_t> rows = selectInBand(points_, static_cast<BandAxis>(cboBandAxis->currentIndex()),
                                                 typedNumber(txtBound1), typedNumber(txtBound2));
    const QuadrupoleTable& table = store_.survey.quadrupoles;
    rows.erase(std::remove_if(rows.begin(), rows.end(), [&](std::size_t row) { return removed(table, row); }),
               rows.end());
    selected_ = std::move(rows);
    isSelected_.assign(table.size(), 0);
    for (std::size_t row : selected_) isSelected_[row] = 1;
    lblSelected->setText(QString::number(selected_.size()));
    describeSelection(selected_.size() == 1 ? std::optional(selected_.front()) : std::nullopt);
    picture_->update();
}

void SurveyView3DPanel::selectAt(const QPoint& pixel)
{
    ensureCurrent();
    const QPoint at = pixel - picture_->plotArea().topLeft();
    const std::span<const ScreenPoint> measurements(screen_.data(), drawnRows_.size());
    const std::optional<std::size_t> hit = pickNearest(measurements, at.x(), at.y(), kPickRadius);
    if (!hit) return;
    const std::size_t row = drawnRows_[*hit];
    selected_ = {row};
    isSelected_.assign(store_.survey.quadrupoles.size(), 0);
    isSelected_[row] = 1;
    lblSelected->setText(QStringLiteral("1"));
    describeSelection(row);
    picture_->update();
}

void SurveyView3DPanel::describeSelection(std::optional<std::size_t> row)
{
    const std::size_t count = selected_.size();
    lblDescription->setText(toQString(
        row ? selectionDescription(store_.survey, count, *row, points_[*row])
            : selectionDescription(store_.survey, count, store_.survey.quadrupoles.size(), std::nullopt)));
}

std::optional<QPoint> SurveyView3DPanel::pixelOfMeasurement(std::size_t row) const
{
    const auto it = std::lower_bound(drawnRows_.begin(), drawnRows_.end(), row);
    if (it == drawnRows_.end() || *it != row) return std::nullopt;
    const ScreenPoint& p = screen_[static_cast<std::size_t>(it - drawnRows_.begin())];
    return QPoint(p.x, p.y) + picture_->plotArea().topLeft();
}

QImage SurveyView3DPanel::picture() const
{
    QImage image(picture_->size(), QImage::Format_RGB32);
    QPainter painter(&image);
    picture_->paintOn(painter);
    return image;
}

QWidget* SurveyView3DPanel::displayPseudoPlots()
{
    ensureCurrent();
    constexpr std::string_view kTitle = "Vexora - Pseudoplots";
    if (selected_.empty()) {
        questions_.showMessage(kTitle, "No measurement selected: select by coordinate or click a point.",
                               MessageIcon::Information);
        return nullptr;
    }
    if (selected_.size() > kPseudoPlotLimit) {
        questions_.showMessage(kTitle, "Number of quadrupoles > 32000. Pseudoplots will not be displayed.",
                               MessageIcon::Exclamation);
        return nullptr;
    }
    const QString before = lblDescription->text();
    lblDescription->setText(QStringLiteral("Computing Pseudo-plots..."));
    lblDescription->repaint();
    const BusyPointer busy;
    auto* window = new SelectionPlots(store_, selected_, log_, dialogs_);
    lblDescription->setText(before);
    window->show();
    return window;
}

}  // namespace vexora::ui
