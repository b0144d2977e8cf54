#pragma once

#include "base/clock.h"
#include "ui/event_clock.h"

namespace zeltor {

// The controller's clock on Windows, in the dialog and in the terminal: the run's clock, whose
// blocking waits (a pause, a version query, the pairing) keep the windows painted, in real and
// in virtual time. Nothing else is handled until a wait ends: no timer tick, posted message or
// input. Messages other threads send (the system's device-change notices) are taken in, as the
// system drops a notice the thread does not take within its own time (Wine: two seconds, less
// than a pause), and their receivers keep what they say for after the wait
// (deferred_device_changes_win32.h).
class WaitingClock final : public Clock {
public:
    explicit WaitingClock(EventClock& clock) : clock_(clock) {}

    std::chrono::nanoseconds now() const override { return clock_.now(); }
    void sleepFor(std::chrono::milliseconds duration) override;
    LocalDateTime localDateTime() const override { return clock_.localDateTime(); }

private:
    EventClock& clock_;
};

}  // namespace zeltor
