#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <utility>

#include "base/clock.h"

namespace zeltor {

// The program's time and its agenda of timed events: the loop's timer ticks, and in a simulated
// world the devices' own (a device coming back after a reset, an answer arriving late). Whenever
// the program waits, due events run in time order. In virtual mode a wait jumps straight to the
// next event, so minutes of an update pass in milliseconds; in real-time mode the same agenda
// runs on the wall clock.
class EventClock final : public Clock {
public:
    enum class Mode { Virtual, RealTime };
    using EventId = std::uint64_t;
    using Nanoseconds = std::chrono::nanoseconds;

    explicit EventClock(Mode mode = Mode::Virtual,
                        LocalDateTime start = LocalDateTime{2026, 1, 1, 12, 0, 0});

    Nanoseconds now() const override;
    void sleepFor(std::chrono::milliseconds duration) override;
    LocalDateTime localDateTime() const override;

    EventId scheduleAt(Nanoseconds time, std::function<void()> event);
    EventId scheduleAfter(std::chrono::milliseconds delay, std::function<void()> event);
    void cancel(EventId id);

    // Runs due events until `done` holds or `deadline` is reached (time then stands at the
    // deadline). Returns whether `done` held.
    bool runUntil(Nanoseconds deadline, const std::function<bool()>& done = {});
    std::optional<Nanoseconds> nextEventTime() const;
    // Moves time to the next event and runs it (and any due at the same time); false when none.
    bool runNextEvent();
    bool idle() const { return agenda_.empty(); }
    Mode mode() const { return mode_; }

private:
    void waitUntil(Nanoseconds time);
    void runDue();

    Mode mode_;
    LocalDateTime start_;
    Nanoseconds virtualNow_{0};
    Nanoseconds realOrigin_{0};
    EventId nextId_ = 1;
    // Ordered by time, then by scheduling order.
    std::map<std::pair<Nanoseconds, EventId>, std::function<void()>> agenda_;
};

}  // namespace zeltor
