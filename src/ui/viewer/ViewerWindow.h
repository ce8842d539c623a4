#pragma once
// The 3D viewer's main window: a block model in 3D with its three sections,
// planes moved by sliders, an optional cut-away box, the electrodes, the
// colour bar, the quantity and colour map, a clip range and File > Save
// image. The scene is computed in core/viewer; this window gathers the
// choices and hands the triangles to the 3D view.

#include <array>
#include <filesystem>
#include <optional>
#include <string>

#include <QMainWindow>

#include "core/log/MessageLog.h"
#include "core/viewer/ViewerInput.h"
#include "core/viewer/ViewerScene.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QQuickWidget;
class QSlider;

namespace vexora::ui {

class ColourBarWidget;
class ViewerGeometry;

class ViewerWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit ViewerWindow(MessageLog& log, QWidget* parent = nullptr);

    // Shows a viewer script's model or a model file. Error, logged, when it
    // cannot be read; what was shown stays.
    Status open(const std::filesystem::path& path);
    // Error, logged with the quantities the model holds, when it has no such quantity.
    Status setQuantity(const std::string& quantity);
    void setColourMap(ColourMap map);
    void setSectionAt(SectionAxis axis, double at);
    void setSectionShown(SectionAxis axis, bool shown);
    void setElectrodesShown(bool shown);
    void setClipRange(const ValueRange& range);
    // The model less the box between the sections' centre and the model's
    // top, high-x and low-y sides (the corner facing the camera).
    void setCutaway(bool on);
    // Depths drawn `factor` times longer than distances across (1 to 50):
    // a long line over a shallow model shows its layers.
    void setVerticalExaggeration(double factor);
    double verticalExaggeration() const { return exaggeration_; }
    // Looks from the direction given by turns about the vertical and the
    // horizontal (degrees); the view the mouse then starts from.
    void setViewDirection(double yaw, double pitch);
    void resetView();

    const ViewerInput& input() const { return input_; }
    const ColourScale& scale() const { return style_.scale; }
    double sectionAt(SectionAxis axis) const { return at_[index(axis)]; }
    QQuickWidget* view() const { return view_; }
    // The 3D view as drawn now, and with the colour bar beside it.
    QImage viewImage();
    QImage picture();
    Status saveImage(const std::filesystem::path& path);
    // Where a model point appears in the 3D view, in its pixels.
    std::optional<QPointF> pixelOf(const Point3& point);

private:
    static std::size_t index(SectionAxis axis) { return static_cast<std::size_t>(axis); }
    void buildPanel();
    void buildMenus();
    void showModel();
    void rebuildSection(SectionAxis axis);
    void uploadSections();
    void rebuildVolume();
    void rebuildElectrodes();
    void rebuildAll();
    void updateSlider(SectionAxis axis);
    void placeCamera();
    void applyClipText();
    void openFile();
    void saveImageAs();

    MessageLog& log_;
    ViewerInput input_;
    bool loaded_ = false;
    SceneStyle style_;
    ModelBounds bounds_;
    std::array<double, 3> at_{};
    std::array<bool, 3> shown_{true, true, true};
    std::array<SceneGeometry, 3> sectionScenes_;
    bool electrodes_ = true;
    bool cutaway_ = false;
    double exaggeration_ = 1;
    std::optional<BlockNeighbours> neighbours_;

    QQuickWidget* view_ = nullptr;
    ViewerGeometry* sectionGeometry_ = nullptr;
    ViewerGeometry* volumeGeometry_ = nullptr;
    ViewerGeometry* electrodeGeometry_ = nullptr;
    ColourBarWidget* colourBar_ = nullptr;
    QComboBox* quantityBox_ = nullptr;
    QComboBox* mapBox_ = nullptr;
    std::array<QCheckBox*, 3> showBoxes_{};
    std::array<QSlider*, 3> sliders_{};
    std::array<QLabel*, 3> sliderLabels_{};
    QCheckBox* electrodeBox_ = nullptr;
    QCheckBox* cutawayBox_ = nullptr;
    QDoubleSpinBox* exaggerationBox_ = nullptr;
    QLineEdit* clipLow_ = nullptr;
    QLineEdit* clipHigh_ = nullptr;
    QPlainTextEdit* messages_ = nullptr;
};

}  // namespace vexora::ui
