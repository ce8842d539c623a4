#include "ui/jobs/ForwardSetUp.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/platform/TextConversion.h"

namespace vexora::ui {

ForwardSetUp::ForwardSetUp(SettingsTable& settings, MessageLog& log, Questions& questions, QWidget* parent)
    : SolverSetUpDialog(settings, log, questions, forwardSetupItems(), applyForwardSetup, parent),
      fraVirtual_(new QGroupBox(tr("VIRTUAL SOURCE"))),
      optWeighted_(new QRadioButton(tr("Weighted average of current sources"))),
      optUserDefined_(new QRadioButton(tr("User defined:")))
{
    setObjectName(QStringLiteral("ForwardSetUp"));
    setWindowTitle(tr("Forward solver set up"));

    auto* solver = new QGroupBox(tr("SORCG ITERATIVE SOLVER PARAMETERS"));
    auto* solverForm = new QFormLayout(solver);
    solverForm->addRow(tr("Omega (SOR preconditioning)"), addEdit(Item::SsorOmega, "txtOmega"));
    solverForm->addRow(tr("Tolerance"), addEdit(Item::ForwardTolerance, "txtSolTol"));
    solverForm->addRow(tr("Maximum number of iterations"), addEdit(Item::ForwardMaxIterations, "txtMaxForIt"));

    // The virtual source lives in this dialog only: no setting carries it.
    fraVirtual_->setObjectName(QStringLiteral("fraVirtual"));
    optWeighted_->setObjectName(QStringLiteral("optVirtual0"));
    optUserDefined_->setObjectName(QStringLiteral("optVirtual1"));
    optWeighted_->setChecked(true);
    auto* virtualLayout = new QGridLayout(fraVirtual_);
    virtualLayout->addWidget(optWeighted_, 0, 0, 1, 6);
    virtualLayout->addWidget(optUserDefined_, 1, 0, 1, 6);
    const char* const axes[] = {"X(m):", "Y(m):", "Z(m):"};
    const char* const names[] = {"txtVirtualX", "txtVirtualY", "txtVirtualZ"};
    for (int axis = 0; axis < 3; ++axis) {
        auto* edit = new QLineEdit(QStringLiteral("0"));
        edit->setObjectName(QString::fromLatin1(names[axis]));
        txtVirtual_[static_cast<std::size_t>(axis)] = edit;
        virtualLayout->addWidget(new QLabel(tr(axes[axis])), 2, axis * 2);
        virtualLayout->addWidget(edit, 2, axis * 2 + 1);
    }
    connect(optUserDefined_, &QRadioButton::toggled, this, [this] { updateVirtualSource(); });

    auto* edgesBox = new QGroupBox(tr("EDGES"));
    auto* edgesLayout = new QHBoxLayout(edgesBox);
    for (std::size_t edge = 0; edge < kEdgeNames.size(); ++edge) {
        auto* group = new QGroupBox(toQString(kEdgeNames[edge]));
        group->setObjectName(QStringLiteral("fraEdge%1").arg(edge));
        auto* column = new QVBoxLayout(group);
        edgeGroups_[edge] = new QButtonGroup(this);
        for (std::size_t condition = 0; condition < kEdgeConditions.size(); ++condition) {
            auto* option = new QRadioButton(toQString(kEdgeConditions[condition]));
            option->setObjectName(QStringLiteral("optEdge%1_%2").arg(edge).arg(condition));
            edgeGroups_[edge]->addButton(option, static_cast<int>(condition));
            column->addWidget(option);
        }
        connect(edgeGroups_[edge], &QButtonGroup::idToggled, this, [this] { updateVirtualSource(); });
        edgesLayout->addWidget(group);
    }

    auto* sources = new QGroupBox(tr("MODELLED SOURCES"));
    auto* sourcesLayout = new QVBoxLayout(sources);
    sourcesLayout->addWidget(addCheck(Item::SkipTxWithoutRx, "chkSkipUnusedTx", tr("Skip TX electrodes with no RX")));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(solver);
    layout->addWidget(fraVirtual_);
    layout->addWidget(edgesBox);
    layout->addWidget(sources);
    layout->addLayout(buttonRow());
}

QRadioButton* ForwardSetUp::edgeOption(int edge, int condition) const
{
    return static_cast<QRadioButton*>(edgeGroups_[static_cast<std::size_t>(edge)]->button(condition));
}

EdgeConditions ForwardSetUp::edges() const
{
    EdgeConditions edges{};
    for (std::size_t edge = 0; edge < edges.size(); ++edge) edges[edge] = std::max(0, edgeGroups_[edge]->checkedId());
    return edges;
}

void ForwardSetUp::updateVirtualSource()
{
    fraVirtual_->setEnabled(virtualSourceEnabled(edges()));
    for (QLineEdit* edit : txtVirtual_) edit->setEnabled(optUserDefined_->isChecked());
}

void ForwardSetUp::loadExtra(const SetupForm& form)
{
    const EdgeConditions read = readEdgeConditions(form.at(Item::BoundaryConditions));
    for (std::size_t edge = 0; edge < read.size(); ++edge) edgeGroups_[edge]->button(read[edge])->setChecked(true);
    updateVirtualSource();
}

void ForwardSetUp::saveExtra(SetupForm& form) const { form[Item::BoundaryConditions] = edgeConditionsText(edges()); }

}  // namespace vexora::ui
