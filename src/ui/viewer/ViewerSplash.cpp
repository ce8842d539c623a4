#include "ui/viewer/ViewerSplash.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

#include "core/shell/ViewerScript.h"
#include "ui/platform/TextConversion.h"

namespace vexora::ui {

namespace {

QPixmap splashPicture(const QString& modelName)
{
    QPixmap picture(420, 160);
    picture.fill(QColor(32, 48, 72));
    QPainter painter(&picture);
    painter.setPen(Qt::white);
    QFont title = painter.font();
    title.setPointSize(20);
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(QRect(20, 20, 380, 50), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Vexora Viewer"));
    QFont text = painter.font();
    text.setPointSize(10);
    text.setBold(false);
    painter.setFont(text);
    painter.drawText(QRect(20, 80, 380, 60), Qt::AlignLeft | Qt::TextWordWrap,
                     QObject::tr("Opening %1 ...").arg(modelName));
    return picture;
}

}  // namespace

std::unique_ptr<QSplashScreen> showScriptSplash(const std::filesystem::path& path)
{
    MessageLog quiet;  // the window reads the script again and logs what is wrong with it
    ViewerScript script;
    if (readViewerScriptFile(path, script, quiet) != ScriptFileRead::Script || script.splashSeconds <= 0) return {};
    auto splash = std::make_unique<QSplashScreen>(splashPicture(fromFilePath(script.modelFile.filename())));
    splash->show();
    QTimer::singleShot(script.splashSeconds * 1000, splash.get(), &QSplashScreen::close);
    QApplication::processEvents();
    return splash;
}

}  // namespace vexora::ui
