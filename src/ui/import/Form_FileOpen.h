#pragma once
// The open dialog of the binary import: the binary file, what to do with its
// electrodes (link to a sequence or a conversion table, renumber along a
// profile or a grid) and the numbering options. OK runs the import into the
// working tables the field data window shows.

#include <QDialog>

#include "core/import/ImportDriver.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace vexora {
class MessageLog;
class Questions;
}  // namespace vexora

namespace vexora::ui {

class FileDialogs;
class MDIStart;

class Form_FileOpen : public QDialog {
    Q_OBJECT
public:
    Form_FileOpen(ImportSet& set, ImportGrids& grids, MessageLog& log, Questions& questions,
                  FileDialogs& fileDialogs, QWidget* parent = nullptr);

    QLineEdit* binFileBox() const { return txtBin_; }
    QLineEdit* sequenceFileBox() const { return txtSequence_; }
    QLineEdit* conversionFileBox() const { return txtConversion_; }
    QRadioButton* modeOption(int mode) const { return optMode_[mode - 1]; }
    QRadioButton* numberingOption(int index) const { return optStart_[index]; }
    QCheckBox* snakeBox() const { return chkSnake_; }

    // The options OK would use.
    BinImportOptions options() const;

    void cmdSelectBin_Click();
    void cmdSelectSequence_Click();
    void cmdSelectConversion_Click();
    void cmdOK_Click();

private:
    void browse(QLineEdit* box, const char* title, const char* filter, std::string_view extension);
    void enableByMode();
    void fail(std::string_view text);

    ImportSet& set_;
    ImportGrids& grids_;
    MessageLog& log_;
    Questions& questions_;
    FileDialogs& fileDialogs_;
    QLineEdit* txtBin_;
    QLineEdit* txtSequence_;
    QLineEdit* txtConversion_;
    QRadioButton* optMode_[4];
    QRadioButton* optStart_[4];
    QCheckBox* chkSnake_;
    QWidget* sequenceControls_[2] = {};
    QWidget* conversionControls_[2] = {};
};

// The dialog the explorer's "Import field data" node opens. Its working
// tables live as long as the main window.
void registerFileOpen(MDIStart& mainWindow, MessageLog& log, Questions& questions, FileDialogs& fileDialogs);

}  // namespace vexora::ui
