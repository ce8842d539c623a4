#pragma once
// The cross-cable maps window: the measurements linking a transmitting cable
// to a receiving cable as a coloured matrix, one dipole size at a time, with
// its legend and an info box on what lies under the mouse. It reads the
// project's survey and changes nothing in it; the map is the core's.

#include <vector>

#include <QWidget>

#include "core/log/MessageLog.h"
#include "core/project/ProjectStore.h"
#include "core/qc/CrossCableMap.h"
#include "ui/qc/CrossCablePainter.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QScrollArea;

namespace vexora::ui {

class MDIStart;

// The painted map; tells what the mouse is over or clicked.
class CrossCableCanvas : public QWidget {
    Q_OBJECT
public:
    explicit CrossCableCanvas(QWidget* parent = nullptr);
    void display(CrossCablePicture picture, bool numerical, const QString& caption);
    const CrossCableLayout& layout() const { return layout_; }

signals:
    void hovered(CrossCableLayout::Hit hit);
    void clicked(CrossCableLayout::Hit hit);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    CrossCablePicture picture_;
    CrossCableLayout layout_;
    bool numerical_ = false;
    QString caption_;
};

class Form_XCableMaps : public QWidget {
    Q_OBJECT
public:
    Form_XCableMaps(const ProjectStore& store, MessageLog& log, QWidget* parent = nullptr);

    const CrossCableMap& map() const { return map_; }
    const CrossCablePicture& picture() const { return picture_; }
    CrossCableCanvas* view() const { return view_; }

    // Controls by their workbench names, for tests.
    QComboBox* cboArray = nullptr;  // "Pole-dipole", "Dipole-dipole", "Pole-pole"
    QComboBox* cboTx = nullptr;     // "Cable" then the cable names
    QComboBox* cboRx = nullptr;
    QComboBox* cboLayer = nullptr;  // dipole sizes 1 to the largest met
    QRadioButton* optResistance = nullptr;
    QRadioButton* optResistivity = nullptr;
    QComboBox* cboColours = nullptr;  // "RAINBOW", "REDBLUE"
    QCheckBox* chkManual = nullptr;
    QLineEdit* txtMin = nullptr;
    QLineEdit* txtMax = nullptr;
    QCheckBox* chkNumerical = nullptr;
    QPlainTextEdit* txtInfo = nullptr;

    // The cable lists and geometric factors again from the project (a
    // survey loaded or moved since).
    void refreshCables();
    // The matrices from the project: on a change of array type or cable.
    void rebuild();
    // The picture of the chosen layer, data kind, colours and scale.
    void redraw();
    void showInfo(CrossCableLayout::Hit hit, bool clicked);

private:
    const ProjectStore& store_;
    MessageLog& log_;
    std::vector<double> factors_;
    CrossCableMap map_;
    CrossCablePicture picture_;
    CrossCableCanvas* view_ = nullptr;
    QScrollArea* scroll_ = nullptr;
};

// The window the explorer's "Cross Cable Data Plots" node opens; it takes
// the project's cables each time it is shown.
void registerXCableMaps(MDIStart& mainWindow, const ProjectStore& store, MessageLog& log);

}  // namespace vexora::ui
