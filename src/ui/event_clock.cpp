#include "ui/event_clock.h"

#include "base/virtual_clock.h"

#include <thread>

namespace zeltor {

EventClock::EventClock(Mode mode, LocalDateTime start) : mode_(mode), start_(start) {
    if (mode_ == Mode::RealTime) {
        realOrigin_ = systemClock().now();
    }
}

EventClock::Nanoseconds EventClock::now() const {
    return mode_ == Mode::Virtual ? virtualNow_ : systemClock().now() - realOrigin_;
}

LocalDateTime EventClock::localDateTime() const {
    if (mode_ == Mode::RealTime) {
        return systemClock().localDateTime();
    }
    VirtualClock calendar(start_);
    calendar.advance(virtualNow_);
    return calendar.localDateTime();
}

void EventClock::sleepFor(std::chrono::milliseconds duration) {
    runUntil(now() + duration);
}

EventClock::EventId EventClock::scheduleAt(Nanoseconds time, std::function<void()> event) {
    const EventId id = nextId_++;
    agenda_.emplace(std::make_pair(time, id), std::move(event));
    return id;
}

EventClock::EventId EventClock::scheduleAfter(std::chrono::milliseconds delay,
                                              std::function<void()> event) {
    return scheduleAt(now() + delay, std::move(event));
}

void EventClock::cancel(EventId id) {
    for (auto it = agenda_.begin(); it != agenda_.end(); ++it) {
        if (it->first.second == id) {
            agenda_.erase(it);
            return;
        }
    }
}

std::optional<EventClock::Nanoseconds> EventClock::nextEventTime() const {
    if (agenda_.empty()) {
        return std::nullopt;
    }
    return agenda_.begin()->first.first;
}

void EventClock::waitUntil(Nanoseconds time) {
    if (mode_ == Mode::Virtual) {
        if (time > virtualNow_) {
            virtualNow_ = time;
        }
        return;
    }
    // To the nanosecond: rounding each wait up to whole milliseconds would add up over the
    // hundreds of timer ticks of a transfer.
    for (Nanoseconds left = time - now(); left > Nanoseconds::zero(); left = time - now()) {
        std::this_thread::sleep_for(left);
    }
}

void EventClock::runDue() {
    while (!agenda_.empty() && agenda_.begin()->first.first <= now()) {
        auto node = agenda_.extract(agenda_.begin());
        node.mapped()();
    }
}

bool EventClock::runUntil(Nanoseconds deadline, const std::function<bool()>& done) {
    runDue();
    for (;;) {
        if (done && done()) {
            return true;
        }
        const auto next = nextEventTime();
        if (!next || *next > deadline) {
            break;
        }
        waitUntil(*next);
        runDue();
    }
    waitUntil(deadline);
    runDue();
    return done && done();
}

bool EventClock::runNextEvent() {
    const auto next = nextEventTime();
    if (!next) {
        return false;
    }
    waitUntil(*next);
    runDue();
    return true;
}

}  // namespace zeltor
