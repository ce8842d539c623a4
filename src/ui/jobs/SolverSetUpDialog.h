#pragma once
// What the two solver set-up dialogs share: each control stands for one
// settings item; opening copies the items into the controls, Apply hands the
// controls' texts to the core's checks in their order and shows the first
// refusal, Cancel closes without writing.

#include <map>

#include <QDialog>

#include "core/jobs/SolverSetup.h"
#include "core/log/MessageLog.h"
#include "core/platform/Questions.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace vexora::ui {

class SolverSetUpDialog : public QDialog {
    Q_OBJECT
public:
    using Apply = SetupOutcome (*)(SettingsTable&, const SetupForm&);

    QLineEdit* edit(Item item) const { return edits_.at(item); }
    QCheckBox* check(Item item) const { return checks_.at(item); }
    QPushButton* applyButton() const { return cmdApply_; }

    void cmdApply_Click();
    void cmdCancel_Click();

signals:
    // The settings changed: open grids show them again.
    void applied();

protected:
    SolverSetUpDialog(SettingsTable& settings, MessageLog& log, Questions& questions, std::vector<Item> items,
                      Apply apply, QWidget* parent);

    // A text box or check box for the item, named for tests and tooltips.
    QLineEdit* addEdit(Item item, const char* name);
    QCheckBox* addCheck(Item item, const char* name, const QString& caption);
    // The Apply and Cancel row.
    QLayout* buttonRow();

    // The items that no text or check box carries (the edges) go through these.
    virtual void loadExtra(const SetupForm&) {}
    virtual void saveExtra(SetupForm&) const {}

    void showEvent(QShowEvent* event) override;

    SettingsTable& settings_;
    MessageLog& log_;
    Questions& questions_;

private:
    void load();

    std::vector<Item> items_;
    Apply apply_;
    std::map<Item, QLineEdit*> edits_;
    std::map<Item, QCheckBox*> checks_;
    QPushButton* cmdApply_;
    QPushButton* cmdCancel_;
};

}  // namespace vexora::ui
