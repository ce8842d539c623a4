#pragma once
// The field data window's "3D View": the electrodes and the measurement
// points of the survey, turned, zoomed and coloured by resistivity or IP,
// with selection by a coordinate band or by the mouse and the pseudo plots
// of the selection. Reads the survey it is given; changes nothing in it.

#include <optional>
#include <vector>

#include <QWidget>

#include "core/fielddata/SurveyView3D.h"
#include "core/log/MessageLog.h"
#include "core/platform/Questions.h"
#include "core/qc/ColourScale.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vexora {
struct ProjectStore;
}  // namespace vexora

namespace vexora::ui {

class FileDialogs;
class SurveyPicture;

inline constexpr std::size_t kPseudoPlotLimit = 32000;

class SurveyView3DPanel : public QWidget {
    Q_OBJECT
public:
    SurveyView3DPanel(const ProjectStore& store, MessageLog& log, Questions& questions, FileDialogs& dialogs,
                      QWidget* parent = nullptr);

    // The survey changed (an import, a removal step, a sort): read again and
    // redrawn now when the view is shown, otherwise when it is next shown or
    // used, so a hidden view costs a step nothing (its geometric factors
    // take most of a second on a million quadrupoles).
    void refresh();

    void setTurn(const ViewTurn& turn);
    void turnBy(BandAxis axis, double degrees);
    void showPlane(ViewPlane plane);
    void setZoom(double zoom);
    void setProjection(ViewProjection projection);
    // Selects the measurements whose points lie in the band between the
    // "XYZ1" and "XYZ2" values along the chosen coordinate.
    void selectBand();
    // Selects the measurement drawn nearest the picture's pixel (within a
    // few pixels); a miss keeps the selection.
    void selectAt(const QPoint& pixel);
    // The pseudo plots of the selection in a window of their own; refused
    // above kPseudoPlotLimit quadrupoles. Returns the window, or nothing.
    QWidget* displayPseudoPlots();

    // The view as last drawn (a hidden view is brought up to date when shown
    // or used).
    const ViewTurn& turn() const { return turn_; }
    double zoom() const { return frame_.zoom; }
    const std::vector<std::size_t>& selected() const { return selected_; }
    const std::vector<std::optional<ViewPoint>>& points() const { return points_; }
    const ColourScale& scale() const { return scale_; }
    // Where point `row` (electrodes after the measurements) is drawn now.
    std::optional<QPoint> pixelOfMeasurement(std::size_t row) const;
    QImage picture() const;

    QCheckBox* chkElectrodes = nullptr;
    QCheckBox* chkBox = nullptr;
    QCheckBox* chkSelected = nullptr;
    QCheckBox* chkColourScale = nullptr;
    QCheckBox* chkHidden = nullptr;
    QComboBox* cboColour = nullptr;
    QLineEdit* txtColourMin = nullptr;
    QLineEdit* txtColourMax = nullptr;
    QComboBox* cboBandAxis = nullptr;
    QLineEdit* txtBound1 = nullptr;
    QLineEdit* txtBound2 = nullptr;
    QLabel* lblSelected = nullptr;
    QLabel* lblDescription = nullptr;
    QPushButton* cmdPseudoPlots = nullptr;

private:
    friend class SurveyPicture;
    void buildControls();
    void showEvent(QShowEvent* event) override;
    void rebuild();
    void ensureCurrent();
    void project();
    void showAngles();
    void applyColourLimits();
    void describeSelection(std::optional<std::size_t> row);

    const ProjectStore& store_;
    MessageLog& log_;
    Questions& questions_;
    FileDialogs& dialogs_;
    ViewPoint centre_{};
    ViewTurn turn_;
    PictureFrame frame_;
    std::vector<std::optional<ViewPoint>> points_;
    std::vector<double> values_;          // per measurement; NaN where there is none
    std::vector<ViewPoint> drawnPoints_;  // measurements with a point, then electrodes, then the box corners
    std::vector<std::size_t> drawnRows_;  // the measurement row of each drawn point
    std::vector<ScreenPoint> screen_;
    std::vector<std::size_t> order_;
    std::vector<std::size_t> selected_;
    std::vector<char> isSelected_;
    std::size_t electrodeCount_ = 0;
    bool stale_ = true;
    ColourScale scale_;
    SurveyPicture* picture_ = nullptr;
    QLineEdit* txtTheta_ = nullptr;
    QLineEdit* txtGamma_ = nullptr;
    QLineEdit* txtPhi_ = nullptr;
    QLineEdit* txtZoom_ = nullptr;
    QRadioButton* optOrtho_ = nullptr;
    QRadioButton* optPerspective_ = nullptr;
};

}  // namespace vexora::ui
