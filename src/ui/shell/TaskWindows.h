#pragma once
// The task windows of a project (workspaces, field data window, checks,
// solver set-up dialogs). Each kind is registered once with a factory by the
// module that builds it; a kind nobody registered is simply not shown. A
// window is created on first use and lives until it is closed; it opens
// where the user last left it (per-user settings, under its object name).

#include <array>
#include <functional>

#include <QColor>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include "core/shell/ExplorerTree.h"

class QMdiArea;
class QMdiSubWindow;

namespace vexora {
class UserSettings;
}  // namespace vexora

namespace vexora::ui {

class TaskWindows {
public:
    using Factory = std::function<QWidget*()>;
    // Switches a shown window to the mode of the node that showed it.
    using Prepare = std::function<void(QWidget*, WindowMode)>;

    TaskWindows(QMdiArea* area, UserSettings& settings) : area_(area), settings_(settings) {}

    void registerWindow(TaskWindow kind, Factory create, Prepare prepare = {});
    bool isRegistered(TaskWindow kind) const;

    // The open window of the kind, or null.
    QWidget* window(TaskWindow kind) const;

    // Shows the window of the kind, creating it when it is not open, and
    // returns it; null when the kind is not registered or its factory
    // returned null (nothing is hidden then). Dialogs (QDialog)
    // are shown as windows of their own, the others inside the main window
    // where they were last left, else at `placement`. With `hideOthers` every other task window is hidden.
    QWidget* show(TaskWindow kind, WindowMode mode, const QString& caption, bool hideOthers, const QRect& placement);

    void hideAllExcept(TaskWindow kind);

    // Asks the window to close; false when it refused (its own question was
    // answered No). A window that is not open counts as closed.
    bool close(TaskWindow kind);
    // Asks every open window to close, the given one first; false when one
    // refused (the later ones are then left open).
    bool closeAll(TaskWindow first = TaskWindow::InvWork);
    // Asks every open window but `kept` to close; false when one refused.
    bool closeAllExcept(TaskWindow kept);

    // Background of every task window, now and when created later.
    void setBackground(const QColor& colour);
    QColor background() const { return background_; }

private:
    struct Entry {
        Factory create;
        Prepare prepare;
        QPointer<QWidget> window;
        QPointer<QWidget> frame;  // the MDI sub-window, or the window itself
    };
    Entry& entry(TaskWindow kind) { return entries_[static_cast<std::size_t>(kind)]; }
    const Entry& entry(TaskWindow kind) const { return entries_[static_cast<std::size_t>(kind)]; }
    void paint(QWidget* window) const;
    void place(TaskWindow kind, const QRect& placement);

    QMdiArea* area_;
    UserSettings& settings_;
    std::array<Entry, kTaskWindowCount> entries_;
    QColor background_ = Qt::white;
};

}  // namespace vexora::ui
