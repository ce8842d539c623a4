#include "ui/jobs/SolverSetUpDialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "core/platform/Application.h"
#include "core/settings/LenientNumber.h"
#include "ui/platform/RunHandler.h"
#include "ui/platform/TextConversion.h"

namespace vexora::ui {

SolverSetUpDialog::SolverSetUpDialog(SettingsTable& settings, MessageLog& log, Questions& questions,
                                     std::vector<Item> items, Apply apply, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      log_(log),
      questions_(questions),
      items_(std::move(items)),
      apply_(apply),
      cmdApply_(new QPushButton(tr("Apply"))),
      cmdCancel_(new QPushButton(tr("Cancel")))
{
    cmdApply_->setObjectName(QStringLiteral("cmdApply"));
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdApply_->setDefault(true);
    connect(cmdApply_, &QPushButton::clicked, this, [this] { runCommand(log_, questions_, "cmdApply_Click", [this] { cmdApply_Click(); }); });
    connect(cmdCancel_, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

QLineEdit* SolverSetUpDialog::addEdit(Item item, const char* name)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    if (const std::optional<std::size_t> row = FindSettingRow(settings_, item))
        edit->setToolTip(toQString(settings_.rows[*row].description));
    edits_[item] = edit;
    return edit;
}

QCheckBox* SolverSetUpDialog::addCheck(Item item, const char* name, const QString& caption)
{
    auto* box = new QCheckBox(caption);
    box->setObjectName(QString::fromLatin1(name));
    checks_[item] = box;
    return box;
}

QLayout* SolverSetUpDialog::buttonRow()
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(cmdApply_);
    row->addWidget(cmdCancel_);
    return row;
}

void SolverSetUpDialog::showEvent(QShowEvent* event)
{
    load();  // the settings may have changed since the dialog was last open
    QDialog::showEvent(event);
}

void SolverSetUpDialog::load()
{
    const SetupForm form = readSetupForm(settings_, items_);
    for (const auto& [item, edit] : edits_) edit->setText(toQString(form.at(item)));
    for (const auto& [item, box] : checks_) box->setChecked(lenientNumber(form.at(item)) == 1);
    loadExtra(form);
}

void SolverSetUpDialog::cmdApply_Click()
{
    SetupForm form;
    for (const auto& [item, edit] : edits_) form[item] = toWindows1252(edit->text());
    for (const auto& [item, box] : checks_) form[item] = box->isChecked() ? "1" : "2";
    saveExtra(form);
    const SetupOutcome outcome = apply_(settings_, form);
    // Items written before a refusal keep their values: the grids show them.
    emit applied();
    if (outcome.status != Status::Ok) {
        questions_.showMessage(std::string(kApplicationTitle) + " - Error", outcome.message, MessageIcon::Critical);
        if (const auto found = edits_.find(outcome.refused); found != edits_.end()) {
            found->second->setFocus();
            found->second->selectAll();
        }
        return;
    }
    log_.subWriteToTextBox(toWindows1252(windowTitle()) + ": settings applied." + kLineBreak);
    accept();
}

void SolverSetUpDialog::cmdCancel_Click() { reject(); }

}  // namespace vexora::ui
