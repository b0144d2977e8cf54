#pragma once

#include "base/clock.h"

namespace zeltor {

// Time that moves only when someone waits: a sleep advances it at once. Lets a whole update,
// with its minutes of pauses and timer ticks, run in milliseconds.
class VirtualClock final : public Clock {
public:
    explicit VirtualClock(LocalDateTime start = {2026, 1, 1, 12, 0, 0}) : start_(start) {}

    std::chrono::nanoseconds now() const override { return now_; }
    void sleepFor(std::chrono::milliseconds duration) override;
    // The start date and time plus the virtual time elapsed.
    LocalDateTime localDateTime() const override;

    void advance(std::chrono::nanoseconds duration);
    void advanceTo(std::chrono::nanoseconds time);

private:
    LocalDateTime start_;
    std::chrono::nanoseconds now_{0};
};

}  // namespace zeltor
