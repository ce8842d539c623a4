#pragma once
// The sequence designer: an electrode layout (a cable line, a grid or a data
// file's electrodes), the arrays and the instrument's limits; a plan with
// the design's figures, and Save as a data file. Designing is the core's
// (core/sequence); the window gathers the choices and shows the result.

#include <array>

#include <QMainWindow>

#include "core/log/MessageLog.h"
#include "core/platform/Questions.h"
#include "core/sequence/SequenceDesign.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;
class QStackedWidget;

namespace vexora::ui {

class FileDialogs;
class SequenceComparePanel;
class SequencePlan;

class SequencerWindow : public QMainWindow {
    Q_OBJECT
public:
    enum LayoutChoice { CableLine = 0, Grid = 1, FileElectrodes = 2 };

    SequencerWindow(MessageLog& log, Questions& questions, FileDialogs& fileDialogs, QWidget* parent = nullptr);

    // Designs from the controls and shows the result; Error, logged, when
    // the choices are refused (the previous design is then cleared).
    Status design();
    // "Load electrodes...": the electrodes of a data file become the layout.
    void mnuLoadElectrodes_Click();
    // The same for a file already chosen (the command line's); the load asks
    // its questions as every data load does.
    void loadElectrodes(const QString& path);
    // "Save sequence...": designs and writes the data file.
    void mnuSave_Click();

    bool hasDesign() const { return hasDesign_; }
    const SequenceDesign& currentDesign() const { return design_; }

    QComboBox* layoutBox() const { return layoutBox_; }
    QSpinBox* cablesBox() const { return cables_; }
    QSpinBox* electrodesPerCableBox() const { return perCable_; }
    QDoubleSpinBox* spacingBox() const { return spacing_; }
    QSpinBox* nxBox() const { return nx_; }
    QSpinBox* nyBox() const { return ny_; }
    QDoubleSpinBox* dxBox() const { return dx_; }
    QDoubleSpinBox* dyBox() const { return dy_; }
    QCheckBox* arrayBox(ArrayKind kind) const { return arrays_[static_cast<std::size_t>(kind)]; }
    QSpinBox* aMinBox() const { return aMin_; }
    QSpinBox* aMaxBox() const { return aMax_; }
    QSpinBox* nMinBox() const { return nMin_; }
    QSpinBox* nMaxBox() const { return nMax_; }
    QSpinBox* lineGapBox() const { return lineGap_; }
    QSpinBox* channelsBox() const { return channels_; }
    QDoubleSpinBox* minKBox() const { return minK_; }
    QDoubleSpinBox* maxKBox() const { return maxK_; }
    QCheckBox* reciprocalsBox() const { return reciprocals_; }
    QDoubleSpinBox* resistivityBox() const { return resistivity_; }
    QLabel* summaryLabel() const { return summary_; }
    SequencePlan* plan() const { return plan_; }
    SequenceComparePanel* comparePanel() const { return compare_; }

private:
    QWidget* buildLayoutPanel();
    QWidget* buildArrayPanel();
    QWidget* buildLimitPanel();
    SequenceOptions options() const;
    Status buildLayout(ElectrodeLayout& layout);

    MessageLog& log_;
    Questions& questions_;
    FileDialogs& fileDialogs_;
    Survey fileSurvey_;  // the electrodes of the loaded data file
    SequenceDesign design_;
    bool hasDesign_ = false;

    QComboBox* layoutBox_;
    QStackedWidget* layoutPages_;
    QSpinBox *cables_, *perCable_, *nx_, *ny_;
    QDoubleSpinBox *spacing_, *dx_, *dy_;
    QLabel* fileLabel_;
    std::array<QCheckBox*, kArrayKinds> arrays_{};
    QSpinBox *aMin_, *aMax_, *nMin_, *nMax_, *lineGap_, *channels_;
    QDoubleSpinBox *minK_, *maxK_, *resistivity_;
    QCheckBox* reciprocals_;
    QLabel* summary_;
    SequencePlan* plan_;
    SequenceComparePanel* compare_;
};

}  // namespace vexora::ui
