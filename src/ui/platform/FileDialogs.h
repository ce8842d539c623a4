#pragma once
// File choices of the windows. Windows ask through this interface so that
// tests can answer from a script; the workbench shows Qt's file dialogs.

#include <QString>

class QWidget;

namespace vexora::ui {

class FileDialogs {
public:
    virtual ~FileDialogs() = default;

    // Save dialog. `filters` is in Qt's form: "RTF (*.rtf);;All files (*)".
    // Returns the chosen path, empty when cancelled. It does not ask about
    // overwriting: callers put their own question.
    virtual QString saveFileName(QWidget* parent, const QString& title, const QString& defaultName,
                                 const QString& filters) = 0;
};

class QtFileDialogs : public FileDialogs {
public:
    // Folder the dialogs open in while the caller names none.
    void setStartFolder(const QString& folder) { startFolder_ = folder; }

    QString saveFileName(QWidget* parent, const QString& title, const QString& defaultName,
                         const QString& filters) override;

private:
    QString startFolder_;
};

}  // namespace vexora::ui
