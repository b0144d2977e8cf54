#pragma once

#include <QTimer>
#include <functional>

#include "ui/message_loop.h"

namespace zeltor {

// Serves the dialog's message loop from Qt's event loop: the posted work and timer ticks one at
// a time in posting order, then the clock's agenda (the loop's timers, the simulated devices).
// Between two items Qt handles its own events, so the window paints and takes input as it
// would in the product's modal loop. In virtual time an idle loop moves the clock to its next
// event at once; in real time a precise one-shot timer wakes it when that event is due.
class QtLoopDriver {
public:
    explicit QtLoopDriver(MessageLoop& loop);
    QtLoopDriver(const QtLoopDriver&) = delete;
    QtLoopDriver& operator=(const QtLoopDriver&) = delete;

    // Called when no work is posted and no event is due, before time moves on; true when it
    // did something (the simulated person, a test acting as the user).
    void setIdleHandler(std::function<bool()> onIdle) { onIdle_ = std::move(onIdle); }
    // Called when nothing is posted or scheduled any more: only the user or a device can go on.
    void setStallHandler(std::function<void()> onStall) { onStall_ = std::move(onStall); }

    // Something may have been posted or scheduled: look again as soon as Qt is idle.
    void wake();
    // Holds the loop while the thread waits inside a handler: a blocking wait lets the window
    // paint, but no posted work, tick or device event is handled until it ends.
    void hold() { ++holds_; }
    void release();
    bool held() const { return holds_ > 0; }

private:
    void serve();

    MessageLoop& loop_;
    QTimer timer_;
    std::function<bool()> onIdle_;
    std::function<void()> onStall_;
    int holds_ = 0;
    bool serving_ = false;
};

}  // namespace zeltor
