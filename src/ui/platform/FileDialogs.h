#pragma once
// File choices of the windows. Windows ask through this interface so that
// tests can answer from a script; the workbench shows Qt's file dialogs.

#include <optional>
#include <string_view>

#include <QColor>
#include <QString>
#include <QStringList>

class QWidget;

namespace vexora {
class UserSettings;
}

namespace vexora::ui {

class FileDialogs {
public:
    virtual ~FileDialogs() = default;

    // Save dialog. `filters` is in Qt's form: "RTF (*.rtf);;All files (*)".
    // Returns the chosen path, empty when cancelled; a name typed without
    // an extension gets that of the chosen filter (see withFilterExtension).
    // It does not ask about overwriting: callers put their own question.
    QString saveFileName(QWidget* parent, const QString& title, const QString& defaultName, const QString& filters);

    // Open dialog for one existing file; empty when cancelled.
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& filters) = 0;

    // Open dialog for one or more existing files; empty when cancelled.
    virtual QStringList openFileNames(QWidget* parent, const QString& title, const QString& filters) = 0;

    // Colour dialog; nothing when cancelled.
    virtual std::optional<QColor> chooseColour(QWidget* parent, const QColor& initial) = 0;

protected:
    // The dialog itself: the path as chosen and, when the dialog tells it,
    // the filter chosen with it.
    virtual QString askSaveFileName(QWidget* parent, const QString& title, const QString& defaultName,
                                    const QString& filters, QString* chosenFilter) = 0;
};

// The path with the extension of the filter ("Config (*.cnfg)" -> ".cnfg")
// when its file name has none; the first of `filters` stands in for an
// empty `chosenFilter`. Filters matching every name ("*") add nothing, so
// a folder name stays as typed.
QString withFilterExtension(const QString& path, const QString& chosenFilter, const QString& filters);

// The workbench's filter texts ("Data file (*.data)|*.data|All Files (*.*)|*.*")
// in Qt's form ("Data file (*.data);;All Files (*)"): the pattern of each
// pair goes in the parentheses, and "*.*" becomes "*", which also matches
// names without a dot.
QString toQtFilters(std::string_view filters);

class QtFileDialogs : public FileDialogs {
public:
    // With settings, each dialog (known by its title) opens in the folder it
    // was last left in, also in a later session.
    explicit QtFileDialogs(UserSettings* settings = nullptr) : settings_(settings) {}

    // Folder a dialog opens in when it has none of its own yet.
    void setStartFolder(const QString& folder) { startFolder_ = folder; }

    QString openFileName(QWidget* parent, const QString& title, const QString& filters) override;
    QStringList openFileNames(QWidget* parent, const QString& title, const QString& filters) override;
    std::optional<QColor> chooseColour(QWidget* parent, const QColor& initial) override;

protected:
    QString askSaveFileName(QWidget* parent, const QString& title, const QString& defaultName, const QString& filters,
                            QString* chosenFilter) override;

private:
    QString folderFor(const QString& title) const;
    void remember(const QString& title, const QString& chosenFile);

    UserSettings* settings_;
    QString startFolder_;
};

}  // namespace vexora::ui
