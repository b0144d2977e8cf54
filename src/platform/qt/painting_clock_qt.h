#pragma once

#include "base/clock.h"
#include "platform/qt/loop_driver_qt.h"
#include "ui/event_clock.h"

namespace zeltor {

// The controller's clock in the Qt dialog: the run's clock, whose blocking waits (a pause, a
// version query, the pairing) keep the windows painted. During a wait the loop is held and user
// input and the device monitor stay queued: no tick, posted work or click is handled until it
// ends.
class QtPaintingClock final : public Clock {
public:
    QtPaintingClock(EventClock& clock, QtLoopDriver& driver) : clock_(clock), driver_(driver) {}

    std::chrono::nanoseconds now() const override { return clock_.now(); }
    void sleepFor(std::chrono::milliseconds duration) override;
    LocalDateTime localDateTime() const override { return clock_.localDateTime(); }

private:
    EventClock& clock_;
    QtLoopDriver& driver_;
};

}  // namespace zeltor
