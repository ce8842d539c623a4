// The main window's places and keys: its own size, position and docks kept
// per user, the sub-windows following the area when it resizes, the Window
// menu, and the keys Ctrl+S and F5 that reach the open workspace.

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QResizeEvent>
#include <QVariant>

#include "core/log/MessageLog.h"
#include "core/platform/UserSettings.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/WindowPlaces.h"

namespace vexora::ui {

namespace {

constexpr std::string_view kGeometryKey = "MainWindow";
constexpr std::string_view kDocksKey = "MainWindowDocks";
constexpr const char* kShareProperty = "vexoraAreaShare";
constexpr const char* kPlacedProperty = "vexoraAreaPlace";

}  // namespace

void MDIStart::restorePlace()
{
    if (const QByteArray geometry = recalledBytes(userSettings_, kGeometryKey); !geometry.isEmpty())
        restoreGeometry(geometry);
    if (const QByteArray docks = recalledBytes(userSettings_, kDocksKey); !docks.isEmpty()) restoreState(docks);
}

void MDIStart::rememberPlace()
{
    rememberBytes(userSettings_, kGeometryKey, saveGeometry());
    rememberBytes(userSettings_, kDocksKey, saveState());
}

bool MDIStart::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mdiArea_->viewport() && event->type() == QEvent::Resize) {
        const auto* resize = static_cast<QResizeEvent*>(event);
        // The first size of a window being shown is no change of the user's.
        if (!resize->oldSize().isEmpty() && !resize->size().isEmpty())
            for (QMdiSubWindow* frame : mdiArea_->subWindowList()) {
                if (frame->isMaximized() || frame->isMinimized()) continue;
                // The share is taken afresh when the user has moved the window since.
                QRectF share = frame->property(kShareProperty).toRectF();
                if (share.isEmpty() || frame->property(kPlacedProperty).toRect() != frame->geometry())
                    share = areaShare(frame->geometry(), resize->oldSize());
                frame->setGeometry(placeOfShare(share, resize->size()));
                frame->setProperty(kShareProperty, share);
                frame->setProperty(kPlacedProperty, frame->geometry());
            }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MDIStart::createWindowMenu()
{
    QMenu* windows = menuBar()->addMenu(tr("&Window"));
    windows->menuAction()->setObjectName(QStringLiteral("mnuWindow"));
    addCommand(windows, tr("&Tile"), "mnuTile", [this] { mdiArea_->tileSubWindows(); });
    addCommand(windows, tr("&Cascade"), "mnuCascade", [this] { mdiArea_->cascadeSubWindows(); });
    windows->addSeparator();
    // The list is built when the menu opens: everything after the separator.
    connect(windows, &QMenu::aboutToShow, this, [this, windows] { fillWindowList(windows); });
}

void MDIStart::fillWindowList(QMenu* menu)
{
    const QList<QAction*> entries = menu->actions();
    for (qsizetype i = 3; i < entries.size(); ++i) delete entries[i];
    const QList<QMdiSubWindow*> frames = mdiArea_->subWindowList();
    int number = 0;
    for (QMdiSubWindow* frame : frames) {
        if (!frame->isVisible()) continue;
        ++number;
        QAction* entry = addCommand(menu, QStringLiteral("&%1 %2").arg(number).arg(frame->windowTitle()), "mnuWindowEntry",
                                    [this, frame = QPointer<QMdiSubWindow>(frame)] {
                                        if (frame) mdiArea_->setActiveSubWindow(frame);
                                    });
        entry->setObjectName(QStringLiteral("mnuWindow%1").arg(number));
        entry->setCheckable(true);
        entry->setChecked(frame == mdiArea_->activeSubWindow());
    }
}

void MDIStart::registerWorkspaceCommand(WorkspaceCommand command, std::function<bool()> run)
{
    workspaceCommands_[command] = std::move(run);
}

void MDIStart::mnuWorkspaceCommand_Click(WorkspaceCommand command)
{
    const auto found = workspaceCommands_.find(command);
    if (found != workspaceCommands_.end() && found->second && found->second()) return;
    log_.warning(command == WorkspaceCommand::Run ? "mnuRunJob" : "mnuSaveData",
                 command == WorkspaceCommand::Run ? "Nothing to run: no open workspace has data loaded."
                                                  : "Nothing to save: no open workspace has data loaded.");
}

}  // namespace vexora::ui
