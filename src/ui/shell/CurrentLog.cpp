#include "ui/shell/CurrentLog.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

#include "ui/log/MessageLogPanel.h"

namespace vexora::ui {

CurrentLog::CurrentLog(std::function<void()> restoreMain, QObject* parent)
    : QObject(parent), restoreMain_(std::move(restoreMain))
{
}

void CurrentLog::registerBox(QWidget* owner, MessageLogPanel* box)
{
    if (owner_) owner_->removeEventFilter(this);
    current_ = box;
    currentBox_ = box;
    owner_ = owner;
    registered_ = true;
    // The box's destructor lets go of the log; the main box is put back
    // only after that, when the destroyed signal arrives (the guarded
    // pointer may not be cleared yet: compare addresses).
    connect(box, &QObject::destroyed, this, [this, box] {
        if (registered_ && currentBox_ == box) fallBack();
    });
    if (owner) owner->installEventFilter(this);
}

void CurrentLog::unregisterBox(MessageLogPanel* box)
{
    if (registered_ && currentBox_ == box) fallBack();
}

bool CurrentLog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == owner_ && event->type() == QEvent::Close) {
        // The close may still be refused by the window itself: decide once
        // the event has been handled.
        QPointer<QWidget> owner = owner_;
        QTimer::singleShot(0, this, [this, owner] {
            if (registered_ && (owner.isNull() || !owner->isVisible())) fallBack();
        });
    }
    return QObject::eventFilter(watched, event);
}

void CurrentLog::fallBack()
{
    if (owner_) owner_->removeEventFilter(this);
    registered_ = false;
    current_ = nullptr;
    currentBox_ = nullptr;
    owner_ = nullptr;
    if (restoreMain_) restoreMain_();
}

}  // namespace vexora::ui
