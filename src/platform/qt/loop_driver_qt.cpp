#include "platform/qt/loop_driver_qt.h"

#include <chrono>
#include <climits>

namespace zeltor {

QtLoopDriver::QtLoopDriver(MessageLoop& loop) : loop_(loop) {
    // The step timer paces the transfers one packet per tick: a coarse timer would stretch them.
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] { serve(); });
}

void QtLoopDriver::wake() {
    if (!serving_) {
        timer_.start(0);
    }
}

void QtLoopDriver::release() {
    if (--holds_ == 0) {
        wake();
    }
}

void QtLoopDriver::serve() {
    if (held() || serving_) {
        // A wait inside a handler let Qt run; the handler's end looks again.
        return;
    }
    serving_ = true;
    EventClock& clock = loop_.clock();
    int next = -1;
    if (loop_.pendingWork() != 0) {
        loop_.runOnce();
        next = 0;
    } else if (onIdle_ && onIdle_()) {
        next = 0;
    } else if (const auto due = clock.nextEventTime()) {
        if (clock.mode() == EventClock::Mode::Virtual || *due <= clock.now()) {
            clock.runNextEvent();
            next = 0;
        } else {
            // Rounded up: waking early would only spin until the event is due.
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*due - clock.now());
            next = static_cast<int>(std::min<long long>(left.count(), INT_MAX));
        }
    }
    serving_ = false;
    if (holds_ > 0) {
        return;
    }
    if (next >= 0) {
        timer_.start(next);
    } else if (onStall_) {
        onStall_();
    }
}

}  // namespace zeltor
