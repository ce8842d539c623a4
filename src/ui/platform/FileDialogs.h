#pragma once
// File choices of the windows. Windows ask through this interface so that
// tests can answer from a script; the workbench shows Qt's file dialogs.

#include <optional>
#include <string_view>

#include <QColor>
#include <QString>
#include <QStringList>

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

    // Open dialog for one existing file; empty when cancelled.
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& filters) = 0;

    // Open dialog for one or more existing files; empty when cancelled.
    virtual QStringList openFileNames(QWidget* parent, const QString& title, const QString& filters) = 0;

    // Colour dialog; nothing when cancelled.
    virtual std::optional<QColor> chooseColour(QWidget* parent, const QColor& initial) = 0;
};

// The workbench's filter texts ("Data file (*.data)|*.data|All Files (*.*)|*.*")
// in Qt's form ("Data file (*.data);;All Files (*)"): the pattern of each
// pair goes in the parentheses, and "*.*" becomes "*", which also matches
// names without a dot.
QString toQtFilters(std::string_view filters);

class QtFileDialogs : public FileDialogs {
public:
    // Folder the dialogs open in while the caller names none.
    void setStartFolder(const QString& folder) { startFolder_ = folder; }

    QString saveFileName(QWidget* parent, const QString& title, const QString& defaultName,
                         const QString& filters) override;
    QString openFileName(QWidget* parent, const QString& title, const QString& filters) override;
    QStringList openFileNames(QWidget* parent, const QString& title, const QString& filters) override;
    std::optional<QColor> chooseColour(QWidget* parent, const QColor& initial) override;

private:
    QString startFolder_;
};

}  // namespace vexora::ui
