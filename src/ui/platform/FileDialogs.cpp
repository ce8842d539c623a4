#include "ui/platform/FileDialogs.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace vexora::ui {

QString QtFileDialogs::saveFileName(QWidget* parent, const QString& title, const QString& defaultName,
                                    const QString& filters)
{
    QString start = defaultName;
    if (!startFolder_.isEmpty() && QFileInfo(defaultName).isRelative())
        start = QDir(startFolder_).filePath(defaultName);
    QString chosen = QFileDialog::getSaveFileName(parent, title, start, filters, nullptr,
                                                  QFileDialog::DontConfirmOverwrite);
    if (!chosen.isEmpty()) startFolder_ = QFileInfo(chosen).absolutePath();
    return chosen;
}

QString QtFileDialogs::openFileName(QWidget* parent, const QString& title, const QString& filters)
{
    QString chosen = QFileDialog::getOpenFileName(parent, title, startFolder_, filters);
    if (!chosen.isEmpty()) startFolder_ = QFileInfo(chosen).absolutePath();
    return chosen;
}

QStringList QtFileDialogs::openFileNames(QWidget* parent, const QString& title, const QString& filters)
{
    QStringList chosen = QFileDialog::getOpenFileNames(parent, title, startFolder_, filters);
    if (!chosen.isEmpty()) startFolder_ = QFileInfo(chosen.front()).absolutePath();
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
