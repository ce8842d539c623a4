#pragma once
// The path dialog: where the viewer or the sequencer lives, or which file
// holds the user-defined default configuration. It stores into the
// per-user "Paths" settings on OK and nothing on Cancel.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vexora {
class Questions;
class UserSettings;
}  // namespace vexora

namespace vexora::ui {

class FileDialogs;

class frmPath : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Viewer, Sequencer, Configuration };

    frmPath(Mode mode, UserSettings& userSettings, Questions& questions, FileDialogs& fileDialogs,
            QWidget* parent = nullptr);

    Mode mode() const { return mode_; }
    QLineEdit* currentValueBox() const { return txtCurrent_; }
    QLineEdit* newValueBox() const { return txtNew_; }

    void cmdBrowse_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

private:
    bool programMode() const { return mode_ != Mode::Configuration; }

    Mode mode_;
    UserSettings& userSettings_;
    Questions& questions_;
    FileDialogs& fileDialogs_;
    QLineEdit* txtCurrent_;
    QLineEdit* txtNew_;
};

}  // namespace vexora::ui
