#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>

#include "ui/event_clock.h"

namespace zeltor {

// The events one simulated object has on the world's agenda. They are withdrawn when the object
// goes, so that the agenda never calls into a device that no longer exists.
class SimTimers {
public:
    using Token = std::uint64_t;

    explicit SimTimers(EventClock& scheduler) : scheduler_(scheduler) {}
    ~SimTimers();
    SimTimers(const SimTimers&) = delete;
    SimTimers& operator=(const SimTimers&) = delete;

    Token after(std::chrono::milliseconds delay, std::function<void()> event);
    void cancel(Token token);
    EventClock& scheduler() { return scheduler_; }

private:
    EventClock& scheduler_;
    std::map<Token, EventClock::EventId> pending_;
    Token next_ = 1;
};

}  // namespace zeltor
