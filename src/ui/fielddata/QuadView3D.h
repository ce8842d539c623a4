#pragma once
// The "3D View" of the field data window: electrodes and measurement points
// turned about the electrodes' barycentre (core/fielddata/PointView.h),
// the points coloured by resistivity or IP with a colour bar. The removed
// quadrupoles are left out.

#include <QWidget>

#include "core/fielddata/PointView.h"
#include "core/fielddata/FieldDataTable.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace vexora::ui {

class QuadCanvas : public QWidget {
    Q_OBJECT
public:
    explicit QuadCanvas(FieldDataRefs refs, QWidget* parent = nullptr) : QWidget(parent), refs_(refs) {}
    ViewAngles angles;
    double zoom = 1;
    bool perspective = false;
    bool drawElectrodes = true;
    bool drawColourScale = true;
    bool colourByIp = false;
    int ipWindow = 0;
    double colourMin = 1, colourMax = 1000;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    FieldDataRefs refs_;
};

class QuadView3D : public QWidget {
    Q_OBJECT
public:
    explicit QuadView3D(FieldDataRefs refs, QWidget* parent = nullptr);
    // The tables changed: colour limits from the data, then a redraw.
    void refresh(int ipWindow);
    QuadCanvas* canvas() const { return canvas_; }

    QLineEdit* txtTheta = nullptr;
    QLineEdit* txtGamma = nullptr;
    QLineEdit* txtPhi = nullptr;
    QLineEdit* txtZoom = nullptr;
    QRadioButton* optOrtographic = nullptr;
    QRadioButton* optPerspective = nullptr;
    QRadioButton* optResistivity = nullptr;
    QRadioButton* optIp = nullptr;
    QCheckBox* chkElectrodes = nullptr;
    QCheckBox* chkColourScale = nullptr;
    QLineEdit* txtColourMin = nullptr;
    QLineEdit* txtColourMax = nullptr;

private:
    void apply();
    void preset(double theta, double gamma, double phi);

    FieldDataRefs refs_;
    QuadCanvas* canvas_;
};

}  // namespace vexora::ui
