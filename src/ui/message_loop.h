#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <utility>

#include "ui/event_clock.h"

namespace zeltor {

// The user-interface thread's loop, as the controller relies on it: posted work handled one at a
// time in posting order, and one-shot-or-repeating timers by id whose ticks are posted like any
// other work. When nothing is posted, time moves on to the next timer tick or event of the clock's
// agenda; a blocking wait elsewhere runs the agenda but never the posted work.
class MessageLoop {
public:
    using Work = std::function<void()>;

    explicit MessageLoop(EventClock& clock) : clock_(clock) {}
    ~MessageLoop();
    MessageLoop(const MessageLoop&) = delete;
    MessageLoop& operator=(const MessageLoop&) = delete;

    EventClock& clock() { return clock_; }
    // Where timer ticks go (the controller's OnTimer).
    void setTimerHandler(std::function<void(std::uint32_t id)> handler) {
        timerHandler_ = std::move(handler);
    }
    std::function<void(Work)> poster() {
        return [this](Work work) { post(std::move(work)); };
    }

    // Runs `work` later, after everything posted before it.
    void post(Work work);
    // Starts (or restarts) the timer `id` with its first tick `periodMs` from now.
    void setTimer(std::uint32_t id, std::uint32_t periodMs);
    void killTimer(std::uint32_t id);
    bool timerRunning(std::uint32_t id) const { return timers_.count(id) != 0; }

    // Handles one posted item, or moves time to the next event; false when nothing can happen
    // any more without the user.
    bool runOnce();
    // Runs until `done` holds, nothing more can happen, or `limit` of the clock's time has passed.
    bool runUntil(const std::function<bool()>& done, std::chrono::nanoseconds limit);
    // Handles the work already posted (and what it posts), as a modal loop does before it waits.
    void drainPosted();
    std::size_t pendingWork() const { return queue_.size(); }

private:
    struct Timer {
        std::uint32_t periodMs;
        EventClock::EventId event;
        EventClock::Nanoseconds due;
        bool tickPending;
    };
    void armTimer(std::uint32_t id, EventClock::Nanoseconds delay);

    EventClock& clock_;
    std::deque<Work> queue_;
    std::map<std::uint32_t, Timer> timers_;
    // While a tick is handled: its timer and how late it was delivered.
    std::optional<std::pair<std::uint32_t, EventClock::Nanoseconds>> tickLateness_;
    std::function<void(std::uint32_t)> timerHandler_;
};

}  // namespace zeltor
