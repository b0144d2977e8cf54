#pragma once

#include <chrono>
#include <cstdint>

namespace zeltor {

// Calendar time for the run header of the log.
struct LocalDateTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Every pause, bounded wait, tick count and timestamp goes through one clock, so that the
// simulation can run a whole update in virtual time with the same code that runs for real.
class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic time since an arbitrary origin.
    virtual std::chrono::nanoseconds now() const = 0;
    // Blocks the calling thread (or, for a virtual clock, advances time) by `duration`.
    virtual void sleepFor(std::chrono::milliseconds duration) = 0;
    // The local date and time, for the log's run header.
    virtual LocalDateTime localDateTime() const = 0;
};

// The platform's real clock.
Clock& systemClock();

}  // namespace zeltor
