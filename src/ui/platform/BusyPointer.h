#pragma once
// The busy pointer for the length of a scope: set on construction, taken
// back on destruction, so an early return or an exception cannot leave the
// application with a waiting pointer.

#include <QApplication>

namespace vexora::ui {

class BusyPointer {
public:
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

}  // namespace vexora::ui
