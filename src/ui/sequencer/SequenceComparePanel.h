#pragma once
// Two sequences on one layout side by side: the design kept as sequence 1,
// the current one as sequence 2, their counts, depths and the cumulative
// sensitivity and resolution at a target depth (core/sequence/
// SensitivityProfile.h), computed by the numerical side's SequenceComparer;
// each sequence's figures open as sections in the viewer.

#include <filesystem>
#include <functional>
#include <optional>

#include <QGroupBox>

#include "core/log/MessageLog.h"
#include "core/platform/ProcessLauncher.h"
#include "core/sequence/SensitivityProfile.h"

class QDoubleSpinBox;
class QLabel;
class QTableWidget;

namespace vexora::ui {

class SequenceComparePanel : public QGroupBox {
    Q_OBJECT
public:
    // `current` designs from the window's controls and returns the design,
    // or null (logged) when the choices are refused; `resistivity` is the
    // ground the files are written for.
    SequenceComparePanel(MessageLog& log, std::function<const SequenceDesign*()> current,
                         std::function<double()> resistivity, QWidget* parent = nullptr);

    void setComparer(SequenceComparer comparer) { comparer_ = std::move(comparer); }
    void setViewerStart(ProcessLauncher* launcher, std::filesystem::path applicationFolder);

    // "Keep as sequence 1".
    void keep();
    // "Compare": both sequences figured and shown; Error, logged, leaving
    // the table as it was.
    Status compare();
    // Opens sequence k's (1 or 2) figures in the viewer, quantity Resolution.
    void showInViewer(int k);

    QDoubleSpinBox* targetTopBox() const { return targetTop_; }
    QDoubleSpinBox* targetBottomBox() const { return targetBottom_; }
    QDoubleSpinBox* lambdaBox() const { return lambda_; }
    QTableWidget* table() const { return table_; }
    QLabel* keptLabel() const { return kept_; }
    QLabel* verdictLabel() const { return verdict_; }
    const std::filesystem::path& viewerFile(int k) const { return compared_.viewerFiles[k - 1]; }

private:
    MessageLog& log_;
    std::function<const SequenceDesign*()> current_;
    std::function<double()> resistivity_;
    SequenceComparer comparer_;
    ProcessLauncher* launcher_ = nullptr;
    std::filesystem::path applicationFolder_;
    std::optional<SequenceDesign> first_;
    ComparedSequences compared_;

    QLabel *kept_, *verdict_;
    QDoubleSpinBox *targetTop_, *targetBottom_, *lambda_;
    QTableWidget* table_;
};

}  // namespace vexora::ui
