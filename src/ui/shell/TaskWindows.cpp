#include "ui/shell/TaskWindows.h"

#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace vexora::ui {

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
            frame->setGeometry(placement);
            e.frame = frame;
        }
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
