#include "ui/shell/CurrentLog.h"

#include <algorithm>

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
    std::erase_if(boxes_, [](const Registered& r) { return r.owner.isNull() || r.box.isNull(); });
    if (std::none_of(boxes_.begin(), boxes_.end(), [box](const Registered& r) { return r.box == box; }))
        boxes_.push_back({owner, box});
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

void CurrentLog::activated(QWidget* window)
{
    for (const Registered& r : boxes_) {
        if (r.owner.isNull() || r.box.isNull() || !r.owner->isVisible()) continue;
        if (r.owner != window && !window->isAncestorOf(r.owner)) continue;
        if (r.box == current_) return;
        r.box->follow();
        registerBox(r.owner, r.box);
        return;
    }
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
