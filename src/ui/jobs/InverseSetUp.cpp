#include "ui/jobs/InverseSetUp.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace vexora::ui {

namespace {

// One row of the form: its caption, the control name and the Rho and IP
// items (the IP one absent for the X, Y and Z weights).
struct Row {
    const char* caption;
    const char* name;
    Item rho;
    std::optional<Item> ip;
};

}  // namespace

InverseSetUp::InverseSetUp(SettingsTable& settings, MessageLog& log, Questions& questions, QWidget* parent)
    : SolverSetUpDialog(settings, log, questions, inverseSetupItems(), applyInverseSetup, parent)
{
    setObjectName(QStringLiteral("InverseSetUp"));
    setWindowTitle(tr("Inverse solver set up"));

    const auto section = [this](const QString& heading, std::initializer_list<Row> rows) {
        auto* box = new QGroupBox(heading);
        auto* grid = new QGridLayout(box);
        grid->addWidget(new QLabel(tr("Rho")), 0, 1, Qt::AlignHCenter);
        grid->addWidget(new QLabel(tr("IP")), 0, 2, Qt::AlignHCenter);
        int line = 1;
        for (const Row& row : rows) {
            grid->addWidget(new QLabel(tr(row.caption)), line, 0);
            grid->addWidget(addEdit(row.rho, row.name), line, 1);
            if (row.ip) grid->addWidget(addEdit(*row.ip, (std::string(row.name) + "IP").c_str()), line, 2);
            ++line;
        }
        return box;
    };
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(section(
        tr("PCG ITERATIVE SOLVER PARAMETERS"),
        {{"Maximum number of Inversion iterations", "txtMaxInvIts", Item::MaxIterationsRho, Item::MaxIterationsIp},
         {"Maximum internal Inverse PCG iterations", "txtMaxInvPCGIts", Item::MaxPcgRho, Item::MaxPcgIp},
         {"Tolerance for Inverse PCG iterations", "txtPCGforInvTol", Item::PcgToleranceRho, Item::PcgToleranceIp}}));
    layout->addWidget(section(
        tr("ROUGHNESS WEIGHTS"),
        {{"Factor <1 for choosing optimal Roughness Factor", "txtFlatnessFactor", Item::OptimalRoughFactorRho,
          Item::OptimalRoughFactorIp},
         {"Multiplier for changing Roughness Factor", "txtRoughInc", Item::RoughMultiplierRho, Item::RoughMultiplierIp},
         {"Initial Roughness Factor", "txtRoughFac", Item::InitialRoughRho, Item::InitialRoughIp},
         {"Constant value for parameters X weights", "txtXWeight", Item::XRoughWeight, std::nullopt},
         {"Constant value for parameters Y weights", "txtYWeight", Item::YRoughWeight, std::nullopt},
         {"Constant value for parameters Z weights", "txtZWeight", Item::ZRoughWeight, std::nullopt}}));
    QGroupBox* errors = section(
        tr("ERROR REWEIGHT"),
        {{"Data percent error (%)", "txtResDataPercent", Item::ResNoisePercent, Item::IpNoisePercent},
         {"Data constant error term", "txtResDataConstant", Item::ResNoiseConstant, Item::IpNoiseConstant},
         {"Number of reweight iterations", "txtReweightItert", Item::ReweightIterationsRho,
          Item::ReweightIterationsIp}});
    static_cast<QGridLayout*>(errors->layout())
        ->addWidget(addCheck(Item::UseRobustInversion, "chkReweightPresent",
                             tr("Use robust inversion (data errors reweight)")),
                    4, 0, 1, 3);
    layout->addWidget(errors);
    layout->addLayout(buttonRow());
}

}  // namespace vexora::ui
