#pragma once
// The forward solver set-up: the SSOR-preconditioned CG solver's omega,
// tolerance and iterations, the virtual source, the five edge conditions
// and whether transmitters without receivers are skipped.

#include <array>

#include "ui/jobs/SolverSetUpDialog.h"

class QButtonGroup;
class QGroupBox;
class QRadioButton;

namespace vexora::ui {

class ForwardSetUp : public SolverSetUpDialog {
    Q_OBJECT
public:
    ForwardSetUp(SettingsTable& settings, MessageLog& log, Questions& questions, QWidget* parent = nullptr);

    QRadioButton* edgeOption(int edge, int condition) const;
    QGroupBox* virtualSourceFrame() const { return fraVirtual_; }
    QRadioButton* userDefinedSource() const { return optUserDefined_; }
    QLineEdit* virtualCoordinate(int axis) const { return txtVirtual_[static_cast<std::size_t>(axis)]; }

protected:
    void loadExtra(const SetupForm& form) override;
    void saveExtra(SetupForm& form) const override;

private:
    EdgeConditions edges() const;
    void updateVirtualSource();

    std::array<QButtonGroup*, 5> edgeGroups_{};
    QGroupBox* fraVirtual_;
    QRadioButton* optWeighted_;
    QRadioButton* optUserDefined_;
    std::array<QLineEdit*, 3> txtVirtual_{};
};

}  // namespace vexora::ui
