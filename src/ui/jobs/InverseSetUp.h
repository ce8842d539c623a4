#pragma once
// The inverse solver set-up: the inversion's iteration limits, its PCG
// solver, the roughness weights, the data errors and the robust reweighting,
// each with a Rho and an IP value where the settings have both.

#include "ui/jobs/SolverSetUpDialog.h"

namespace vexora::ui {

class InverseSetUp : public SolverSetUpDialog {
    Q_OBJECT
public:
    InverseSetUp(SettingsTable& settings, MessageLog& log, Questions& questions, QWidget* parent = nullptr);
};

}  // namespace vexora::ui
