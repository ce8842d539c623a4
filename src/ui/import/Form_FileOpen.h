#pragma once
// The open dialog of the instrument import: the file format, the file, and
// for the binary file what to do with its electrodes (link to a sequence or a
// conversion table, renumber along a profile or a grid) and the numbering
// options; for the text formats the electrode spacing, the electrodes per line
// of a 3D block file and a .stg survey's electrode file. OK runs the import
// into the working tables the field data window shows.

#include <QDialog>

#include "core/import/ImportDriver.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QRadioButton;

namespace vexora {
class MessageLog;
class Questions;
}  // namespace vexora

namespace vexora::ui {

class FileDialogs;

class Form_FileOpen : public QDialog {
    Q_OBJECT
public:
    Form_FileOpen(ImportSet& set, ImportGrids& grids, MessageLog& log, Questions& questions,
                  FileDialogs& fileDialogs, QWidget* parent = nullptr);

    QComboBox* formatBox() const { return cboFormat_; }
    QLineEdit* binFileBox() const { return txtBin_; }
    QLineEdit* spacingBox() const { return txtSpacing_; }
    QSpinBox* lineElectrodesBox() const { return spnLineElectrodes_; }
    QLineEdit* electrodeFileBox() const { return txtElectrodes_; }
    QLineEdit* sequenceFileBox() const { return txtSequence_; }
    QLineEdit* conversionFileBox() const { return txtConversion_; }
    QRadioButton* modeOption(int mode) const { return optMode_[mode - 1]; }
    QRadioButton* numberingOption(int index) const { return optStart_[index]; }
    QCheckBox* snakeBox() const { return chkSnake_; }
    QCheckBox* reverseCableBox() const { return chkReverse_; }

    // The format chosen in the list.
    const ImportFormat& format() const;
    // The options OK would use (binary file; text formats).
    BinImportOptions options() const;
    TextImportOptions textOptions() const;

    void cmdSelectBin_Click();
    void cmdSelectSequence_Click();
    void cmdSelectConversion_Click();
    void cmdSelectElectrodes_Click();
    void cmdOK_Click();

private:
    void browse(QLineEdit* box, const char* title, const char* filter, std::string_view extension);
    void enableByMode();
    void showFormat();
    void importText(const ImportFormat& chosen);
    void fail(std::string_view text);
    // The cable reversed when the box asks for it; Failed when it cannot be.
    ImportStatus reverseWhenAsked(ImportSet& set, ImportGrids& grids, ImportStatus status);

    ImportSet& set_;
    ImportGrids& grids_;
    MessageLog& log_;
    Questions& questions_;
    FileDialogs& fileDialogs_;
    QComboBox* cboFormat_;
    QLineEdit* txtBin_;
    QGroupBox* binFrame_ = nullptr;
    QLabel* binLabel_ = nullptr;
    QPushButton* cmdBin_ = nullptr;
    QGroupBox* modeFrame_ = nullptr;
    QGroupBox* startFrame_ = nullptr;
    QGroupBox* textFrame_ = nullptr;
    QLineEdit* txtSequence_;
    QLineEdit* txtConversion_;
    QRadioButton* optMode_[4];
    QRadioButton* optStart_[4];
    QCheckBox* chkSnake_;
    QLineEdit* txtSpacing_;
    QSpinBox* spnLineElectrodes_;
    QLineEdit* txtElectrodes_;
    QCheckBox* chkReverse_;
    QWidget* electrodeControls_[2] = {};
    QWidget* sequenceControls_[2] = {};
    QWidget* conversionControls_[2] = {};
};

}  // namespace vexora::ui
