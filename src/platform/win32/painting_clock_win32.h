#pragma once

#include "base/clock.h"
#include "ui/event_clock.h"

namespace zeltor {

// The controller's clock in the Win32 dialog: the run's clock, whose blocking waits (a pause,
// a version query, the pairing) keep the windows painted, in real and in virtual time. Only paint
// messages are served during a wait: no timer tick, posted message, message sent by another thread
// (the system's device change) or input is handled until it ends.
class PaintingClock final : public Clock {
public:
    explicit PaintingClock(EventClock& clock) : clock_(clock) {}

    std::chrono::nanoseconds now() const override { return clock_.now(); }
    void sleepFor(std::chrono::milliseconds duration) override;
    LocalDateTime localDateTime() const override { return clock_.localDateTime(); }

private:
    EventClock& clock_;
};

}  // namespace zeltor
