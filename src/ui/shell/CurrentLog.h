#pragma once
// Which box shows the message log. A workspace that brings its own log box
// registers it and becomes the current box; activated again after another
// workspace took the log, its box takes it back. When the current box's
// workspace closes (or the box is destroyed) the main window's box takes
// over again, so no entry is ever written into a window that is gone.

#include <functional>
#include <vector>

#include <QObject>
#include <QPointer>

namespace vexora::ui {

class MessageLogPanel;

class CurrentLog : public QObject {
    Q_OBJECT
public:
    // `restoreMain` makes the main window's box the log's box again and
    // shows the whole log in it.
    explicit CurrentLog(std::function<void()> restoreMain, QObject* parent = nullptr);

    // The box (already following the log) becomes current; `owner` is the
    // window it belongs to.
    void registerBox(QWidget* owner, MessageLogPanel* box);
    // The main window's box is current again, if `box` was current.
    void unregisterBox(MessageLogPanel* box);
    // `window` (a workspace, or a frame holding one) came to the front: the
    // box registered for it, if any, becomes current again.
    void activated(QWidget* window);

    MessageLogPanel* current() const { return current_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fallBack();

    // Every registered box still alive, with its window.
    struct Registered {
        QPointer<QWidget> owner;
        QPointer<MessageLogPanel> box;
    };
    std::vector<Registered> boxes_;
    std::function<void()> restoreMain_;
    QPointer<MessageLogPanel> current_;
    const MessageLogPanel* currentBox_ = nullptr;  // for comparison only
    QPointer<QWidget> owner_;
    bool registered_ = false;
};

}  // namespace vexora::ui
