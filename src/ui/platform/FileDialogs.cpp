#include "ui/platform/FileDialogs.h"

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

}  // namespace vexora::ui
