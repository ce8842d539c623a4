#pragma once
// The reciprocal-check window: pairs the project's quadrupoles with their
// reciprocals, shows statistics and a browsable table, saves the pairing.

#include <QWidget>

#include "core/log/MessageLog.h"
#include "core/platform/Questions.h"
#include "core/project/ProjectStore.h"
#include "core/qc/ReciprocalCheck.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTableView;

namespace vexora::ui {

class FileDialogs;
class MDIStart;
class ReciprocalTableModel;

class Reciprocals : public QWidget {
    Q_OBJECT
public:
    Reciprocals(ProjectStore& store, MessageLog& log, Questions& questions, FileDialogs& dialogs,
                QWidget* parent = nullptr);

    bool calculated() const { return calculated_; }
    const ReciprocalResult& result() const { return result_; }
    ReciprocalTableModel* tableModel() const { return model_; }

    // Controls by their workbench names, for tests and the opening window.
    QRadioButton* optDataResistance = nullptr;  // optData: V/I
    QRadioButton* optDataIp = nullptr;          // optData: first IP window
    QComboBox* cmbTable = nullptr;
    QPushButton* cmdCalculate = nullptr;
    QPushButton* cmdSave = nullptr;
    QPlainTextEdit* txtStatistics = nullptr;
    QScrollBar* VScrQuad = nullptr;
    QLabel* lblQuad = nullptr;
    QTableView* grdTable = nullptr;

signals:
    // The pairing in the store changed: the field-data window reloads it.
    void pairingChanged();

private:
    void cmdCalculate_Click();
    void cmdSave_Click();
    void cmbTable_Click();
    void VScrQuad_Change(int position);
    void FillPerc();
    void FillABS();
    void fill(ReciprocalOrder order, bool percent);
    ReciprocalOrder chosenOrder() const;

    ProjectStore& store_;
    MessageLog& log_;
    Questions& questions_;
    FileDialogs& dialogs_;
    ReciprocalResult result_;
    bool calculated_ = false;
    ReciprocalTableModel* model_ = nullptr;
};

// The window the explorer's "Reciprocals Check" node opens; on loaded data
// it calculates when first shown.
void registerReciprocals(MDIStart& mainWindow, ProjectStore& store, MessageLog& log, Questions& questions,
                         FileDialogs& fileDialogs);

}  // namespace vexora::ui
