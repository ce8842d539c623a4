#include "ui/shell/TaskWindows.h"

#include <string>

#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "ui/shell/WindowPlaces.h"

namespace vexora::ui {

namespace {

std::string placeKey(TaskWindow kind, const QWidget& window)
{
    const QString name = window.objectName();
    return name.isEmpty() ? "TaskWindow" + std::to_string(static_cast<int>(kind)) : name.toStdString();
}

}  // namespace

void TaskWindows::registerWindow(TaskWindow kind, Factory create, Prepare prepare)
{
    Entry& e = entry(kind);
    e.create = std::move(create);
    e.prepare = std::move(prepare);
}

bool TaskWindows::isRegistered(TaskWindow kind) const { return static_cast<bool>(entry(kind).create); }

QWidget* TaskWindows::window(TaskWindow kind) const { return entry(kind).window.data(); }

void TaskWindows::paint(QWidget* window) const
{
    window->setAutoFillBackground(true);
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, background_);
    window->setPalette(palette);
}

QWidget* TaskWindows::show(TaskWindow kind, WindowMode mode, const QString& caption, bool hideOthers,
                           const QRect& placement)
{
    Entry& e = entry(kind);
    if (!e.create) return nullptr;
    if (!e.window) {
        // A factory that refuses has said why; the screen stays as it was.
        QWidget* window = e.create();
        if (!window) return nullptr;
        e.window = window;
        paint(window);
        if (qobject_cast<QDialog*>(window)) {
            e.frame = window;
        }
        else {
            QMdiSubWindow* frame = area_->addSubWindow(window);
            // A closed task window is gone; the next click builds it afresh.
            frame->setAttribute(Qt::WA_DeleteOnClose);
            e.frame = frame;
        }
        place(kind, placement);
    }
    if (hideOthers) hideAllExcept(kind);
    if (!caption.isEmpty()) e.window->setWindowTitle(caption);
    if (e.prepare) e.prepare(e.window, mode);
    e.frame->show();
    e.window->show();
    e.frame->raise();
    if (auto* frame = qobject_cast<QMdiSubWindow*>(e.frame.data())) area_->setActiveSubWindow(frame);
    else e.frame->activateWindow();
    return e.window;
}

void TaskWindows::place(TaskWindow kind, const QRect& placement)
{
    Entry& e = entry(kind);
    const std::string key = placeKey(kind, *e.window);
    QWidget* frame = e.frame;
    if (frame->isWindow()) {
        if (const QByteArray geometry = recalledBytes(settings_, key); !geometry.isEmpty())
            frame->restoreGeometry(geometry);
        watchGeometry(frame, [&settings = settings_, frame, key] { rememberBytes(settings, key, frame->saveGeometry()); });
        return;
    }
    // The main window may have shrunk since: the window is kept inside it.
    const std::optional<QRect> left = recalledRect(settings_, key);
    frame->setGeometry(left ? fittedInto(*left, area_->viewport()->size()) : placement);
    watchGeometry(frame, [&settings = settings_, frame, key] { rememberRect(settings, key, frame->geometry()); });
}

void TaskWindows::hideAllExcept(TaskWindow kind)
{
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (static_cast<TaskWindow>(i) != kind && entries_[i].frame) entries_[i].frame->hide();
}

bool TaskWindows::close(TaskWindow kind)
{
    Entry& e = entry(kind);
    if (!e.frame) return true;
    if (!e.frame->close()) return false;
    // A window kept alive on close is let go of all the same: the project
    // that owned it is over.
    if (e.frame && !e.frame->testAttribute(Qt::WA_DeleteOnClose)) e.frame->deleteLater();
    e.window = nullptr;
    e.frame = nullptr;
    return true;
}

bool TaskWindows::closeAll(TaskWindow first) { return close(first) && closeAllExcept(first); }

bool TaskWindows::closeAllExcept(TaskWindow kept)
{
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (static_cast<TaskWindow>(i) != kept && !close(static_cast<TaskWindow>(i))) return false;
    return true;
}

void TaskWindows::setBackground(const QColor& colour)
{
    background_ = colour;
    for (Entry& e : entries_)
        if (e.window) paint(e.window);
}

}  // namespace vexora::ui
