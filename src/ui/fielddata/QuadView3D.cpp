#include "ui/fielddata/QuadView3D.h"

#include <algorithm>
#include <cmath>

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/import/GeometricFactor.h"
#include "core/qc/ColourScale.h"
#include "core/settings/LenientNumber.h"
#include "ui/qc/ColourBar.h"

namespace vexora::ui {

namespace {

constexpr int kMargin = 20;
constexpr int kBarWidth = 110;  // colour bar and its labels, right of the points

bool usable(double v) { return std::isfinite(v) && std::abs(v) < kCannotCompute; }

}  // namespace

void QuadCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const Survey& survey = refs_.survey;
    if (survey.electrodes.empty()) {
        painter.drawText(rect(), Qt::AlignCenter, "No electrodes loaded.");
        return;
    }
    const Point3 centre = electrodeBarycentre(survey);
    const std::vector<Point3> measured = measurementPoints(survey);
    // Electrodes and points share one mapping, so they stay in place together.
    std::vector<Point3> turned;
    turned.reserve(survey.electrodes.size() + measured.size());
    for (const Electrode& e : survey.electrodes) turned.push_back(rotatePoint({e.x, e.y, e.z}, centre, angles));
    for (const Point3& p : measured) turned.push_back(rotatePoint(p, centre, angles));
    const int plotWidth = std::max(width() - (drawColourScale ? kBarWidth : 0), 2 * kMargin + 2);
    const std::vector<Pixel> pixels = mapToPixels(turned, plotWidth, height(), kMargin, zoom, perspective);

    ColourScale scale;
    scale.low = std::min(colourMin, colourMax);
    scale.high = std::max(colourMin, colourMax);
    scale.logarithmic = !colourByIp && scale.low > 0;
    const std::vector<std::int32_t> none;
    const QuadrupoleTable& table = survey.quadrupoles;
    const std::size_t first = survey.electrodes.size();
    painter.setPen(Qt::NoPen);
    for (std::size_t r = 0; r < table.size(); ++r) {
        if (r < table.skip.size() && table.skip[r] != 0) continue;
        const double v = quadValue(refs_, colourByIp ? ColIp : ColRho, r, ipWindow, none);
        painter.setBrush(usable(v) ? toColour(scale.colour(v)) : QColor(200, 200, 200));
        const Pixel& p = pixels[first + r];
        painter.drawEllipse(QPoint(p.x, p.y), 3, 3);
    }
    if (drawElectrodes) {
        painter.setBrush(Qt::black);
        for (std::size_t e = 0; e < first; ++e) painter.drawRect(pixels[e].x - 2, pixels[e].y - 2, 5, 5);
    }
    if (drawColourScale) {
        painter.setPen(Qt::black);
        const QRectF bar(width() - kBarWidth + 10, kMargin + 30, 20, std::max(height() - 2 * kMargin - 40, 20));
        painter.drawText(QRectF(width() - kBarWidth, 2, kBarWidth, 16), Qt::AlignCenter,
                         colourByIp ? "IP" : "Resistivity");
        painter.drawText(QRectF(width() - kBarWidth, 18, kBarWidth, 16), Qt::AlignCenter,
                         colourByIp ? "[Chargebility]" : "[Ohm * m]");
        paintColourBar(painter, bar, scale, kBarWidth - 40);
    }
}

QuadView3D::QuadView3D(FieldDataRefs refs, QWidget* parent) : QWidget(parent), refs_(refs)
{
    canvas_ = new QuadCanvas(refs, this);
    canvas_->setMinimumSize(300, 250);
    auto edit = [this](const char* text) {
        auto* box = new QLineEdit(QString::fromLatin1(text), this);
        box->setMaximumWidth(70);
        connect(box, &QLineEdit::editingFinished, this, &QuadView3D::apply);
        return box;
    };
    txtTheta = edit("0");
    txtGamma = edit("0");
    txtPhi = edit("0");
    txtZoom = edit("1");
    txtColourMin = edit("1");
    txtColourMax = edit("1000");
    optOrtographic = new QRadioButton("Ortographic View", this);
    optPerspective = new QRadioButton("Perspective View", this);
    optOrtographic->setChecked(true);
    optResistivity = new QRadioButton("Resistivity", this);
    optIp = new QRadioButton("IP", this);
    optResistivity->setChecked(true);
    chkElectrodes = new QCheckBox("Draw Electrodes", this);
    chkColourScale = new QCheckBox("Draw Color Scale", this);
    chkElectrodes->setChecked(true);
    chkColourScale->setChecked(true);
    for (QRadioButton* b : {optOrtographic, optPerspective, optResistivity, optIp})
        connect(b, &QRadioButton::toggled, this, &QuadView3D::apply);
    for (QCheckBox* b : {chkElectrodes, chkColourScale}) connect(b, &QCheckBox::toggled, this, &QuadView3D::apply);

    struct Step {
        const char* text;
        const char* tip;
        QLineEdit* box;
    };
    auto* controls = new QGridLayout;
    int row = 0;
    for (const Step& s : {Step{"Rotate around X (lft-rgt)", "Turn the view by 15 degrees about X", txtTheta},
                          Step{"Rotate around Y (scrn-out)", "Turn the view by 15 degrees about Y", txtGamma},
                          Step{"Rotate around Z (top-down)", "Turn the view by 15 degrees about Z", txtPhi}}) {
        auto* b = new QPushButton(QString::fromLatin1(s.text), this);
        b->setToolTip(QString::fromLatin1(s.tip));
        QLineEdit* box = s.box;
        connect(b, &QPushButton::clicked, this, [this, box] {
            const double next = std::fmod(lenientNumber(box->text().toStdString()) + 15, 360);
            box->setText(QString::number(next, 'f', 1));
            apply();
        });
        const char* label = row == 0 ? "Theta= " : row == 2 ? "Gamma= " : "Phi= ";
        controls->addWidget(b, row++, 0, 1, 3);
        controls->addWidget(new QLabel(label, this), row, 1);
        controls->addWidget(box, row++, 2);
    }
    controls->addWidget(new QLabel("Zoom= ", this), row, 1);
    controls->addWidget(txtZoom, row++, 2);
    auto* presets = new QHBoxLayout;
    struct Preset {
        const char* text;
        double theta, gamma, phi;
    };
    // XY: looking down the z axis; ZX: the front; ZY: from the side.
    for (const Preset& p : {Preset{"XY", -90, 0, 0}, Preset{"ZX", 0, 0, 0}, Preset{"ZY", 0, 0, 90}}) {
        auto* b = new QPushButton(QString::fromLatin1(p.text), this);
        b->setToolTip(QStringLiteral("View the %1 plane").arg(p.text));
        connect(b, &QPushButton::clicked, this, [this, p] { preset(p.theta, p.gamma, p.phi); });
        presets->addWidget(b);
    }
    controls->addLayout(presets, row++, 0, 1, 3);
    controls->addWidget(optOrtographic, row, 0);
    controls->addWidget(optPerspective, row++, 1, 1, 2);
    controls->addWidget(chkElectrodes, row, 0);
    controls->addWidget(chkColourScale, row++, 1, 1, 2);
    controls->addWidget(optResistivity, row, 0);
    controls->addWidget(optIp, row++, 1, 1, 2);
    controls->addWidget(new QLabel("Color Min. [Ohm*m]", this), row, 0);
    controls->addWidget(txtColourMin, row++, 2);
    controls->addWidget(new QLabel("Color Max. [Ohm*m]", this), row, 0);
    controls->addWidget(txtColourMax, row++, 2);
    controls->setRowStretch(row, 1);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(canvas_, 1);
    layout->addLayout(controls);
}

void QuadView3D::preset(double theta, double gamma, double phi)
{
    txtTheta->setText(QString::number(theta, 'f', 1));
    txtGamma->setText(QString::number(gamma, 'f', 1));
    txtPhi->setText(QString::number(phi, 'f', 1));
    apply();
}

void QuadView3D::apply()
{
    auto number = [](const QLineEdit* box) { return lenientNumber(box->text().trimmed().toStdString()); };
    canvas_->angles = {number(txtTheta), number(txtGamma), number(txtPhi)};
    const double zoom = number(txtZoom);
    canvas_->zoom = zoom > 0 ? zoom : 1;
    canvas_->perspective = optPerspective->isChecked();
    canvas_->drawElectrodes = chkElectrodes->isChecked();
    canvas_->drawColourScale = chkColourScale->isChecked();
    canvas_->colourByIp = optIp->isChecked();
    canvas_->colourMin = number(txtColourMin);
    canvas_->colourMax = number(txtColourMax);
    canvas_->update();
}

void QuadView3D::refresh(int ipWindow)
{
    canvas_->ipWindow = ipWindow;
    // Colour limits that leave out the extreme values of the kept data.
    const std::vector<std::int32_t> none;
    std::vector<double> values;
    const QuadrupoleTable& table = refs_.survey.quadrupoles;
    for (std::size_t r = 0; r < table.size(); ++r) {
        if (r < table.skip.size() && table.skip[r] != 0) continue;
        const double v = quadValue(refs_, optIp->isChecked() ? ColIp : ColRho, r, ipWindow, none);
        if (usable(v) && (optIp->isChecked() || v > 0)) values.push_back(v);
    }
    if (!values.empty()) {
        const ColourScale scale = scaleFor(values, ColourMap::Sequential, !optIp->isChecked());
        txtColourMin->setText(QString::number(scale.low, 'g', 4));
        txtColourMax->setText(QString::number(scale.high, 'g', 4));
    }
    apply();
}

}  // namespace vexora::ui
