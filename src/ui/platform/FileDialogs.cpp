#include "ui/platform/FileDialogs.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

#include "core/platform/UserSettings.h"
#include "ui/platform/TextConversion.h"

namespace vexora::ui {

namespace {

constexpr std::string_view kFolderSection = "DialogFolders";

}  // namespace

QString FileDialogs::saveFileName(QWidget* parent, const QString& title, const QString& defaultName,
                                  const QString& filters)
{
    QString chosenFilter;
    const QString chosen = askSaveFileName(parent, title, defaultName, filters, &chosenFilter);
    return chosen.isEmpty() ? chosen : withFilterExtension(chosen, chosenFilter, filters);
}

QString withFilterExtension(const QString& path, const QString& chosenFilter, const QString& filters)
{
    if (!QFileInfo(path).suffix().isEmpty()) return path;
    const QString filter = chosenFilter.isEmpty() ? filters.section(QStringLiteral(";;"), 0, 0) : chosenFilter;
    // The first pattern in the parentheses: "Text (*.txt *.text)" -> "*.txt".
    static const QRegularExpression firstPattern(QStringLiteral("\\(\\s*\\*\\.([^\\s*?;)]+)"));
    const QRegularExpressionMatch match = firstPattern.match(filter);
    return match.hasMatch() ? path + QLatin1Char('.') + match.captured(1) : path;
}

QString QtFileDialogs::folderFor(const QString& title) const
{
    if (settings_)
        if (const std::optional<std::string> folder = settings_->value(kFolderSection, toWindows1252(title));
            folder && QFileInfo(toQString(*folder)).isDir())
            return toQString(*folder);
    return startFolder_;
}

void QtFileDialogs::remember(const QString& title, const QString& chosenFile)
{
    startFolder_ = QFileInfo(chosenFile).absolutePath();
    if (settings_) settings_->setValue(kFolderSection, toWindows1252(title), toWindows1252(startFolder_));
}

QString QtFileDialogs::askSaveFileName(QWidget* parent, const QString& title, const QString& defaultName,
                                       const QString& filters, QString* chosenFilter)
{
    const QString folder = folderFor(title);
    QString start = defaultName;
    if (!folder.isEmpty() && QFileInfo(defaultName).isRelative()) start = QDir(folder).filePath(defaultName);
    QString chosen = QFileDialog::getSaveFileName(parent, title, start, filters, chosenFilter,
                                                  QFileDialog::DontConfirmOverwrite);
    if (!chosen.isEmpty()) remember(title, chosen);
    return chosen;
}

QString QtFileDialogs::openFileName(QWidget* parent, const QString& title, const QString& filters)
{
    QString chosen = QFileDialog::getOpenFileName(parent, title, folderFor(title), filters);
    if (!chosen.isEmpty()) remember(title, chosen);
    return chosen;
}

QStringList QtFileDialogs::openFileNames(QWidget* parent, const QString& title, const QString& filters)
{
    QStringList chosen = QFileDialog::getOpenFileNames(parent, title, folderFor(title), filters);
    if (!chosen.isEmpty()) remember(title, chosen.front());
    return chosen;
}

std::optional<QColor> QtFileDialogs::chooseColour(QWidget* parent, const QColor& initial)
{
    const QColor chosen = QColorDialog::getColor(initial, parent);
    if (!chosen.isValid()) return std::nullopt;
    return chosen;
}

QString toQtFilters(std::string_view filters)
{
    QStringList parts = QString::fromLatin1(filters.data(), static_cast<qsizetype>(filters.size()))
                            .split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        const qsizetype open = description.indexOf(QLatin1Char('('));
        if (open >= 0) description.truncate(open);
        description = description.trimmed();
        QString pattern = parts[i + 1].trimmed();
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
        if (description.isEmpty()) description = pattern;
        out << description + QStringLiteral(" (") + pattern + QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}
}  // namespace vexora::ui
