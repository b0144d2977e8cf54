#include "sim/sim_scheduler.h"

#include "sim/virtual_clock.h"

#include <thread>

namespace zeltor {

SimScheduler::SimScheduler(Mode mode, LocalDateTime start) : mode_(mode), start_(start) {
    if (mode_ == Mode::RealTime) {
        realOrigin_ = systemClock().now();
    }
}

SimScheduler::Nanoseconds SimScheduler::now() const {
    return mode_ == Mode::Virtual ? virtualNow_ : systemClock().now() - realOrigin_;
}

LocalDateTime SimScheduler::localDateTime() const {
    if (mode_ == Mode::RealTime) {
        return systemClock().localDateTime();
    }
    VirtualClock calendar(start_);
    calendar.advance(virtualNow_);
    return calendar.localDateTime();
}

void SimScheduler::sleepFor(std::chrono::milliseconds duration) {
    runUntil(now() + duration);
}

SimScheduler::EventId SimScheduler::scheduleAt(Nanoseconds time, std::function<void()> event) {
    const EventId id = nextId_++;
    agenda_.emplace(std::make_pair(time, id), std::move(event));
    return id;
}

SimScheduler::EventId SimScheduler::scheduleAfter(std::chrono::milliseconds delay,
                                                  std::function<void()> event) {
    return scheduleAt(now() + delay, std::move(event));
}

void SimScheduler::cancel(EventId id) {
    for (auto it = agenda_.begin(); it != agenda_.end(); ++it) {
        if (it->first.second == id) {
            agenda_.erase(it);
            return;
        }
    }
}

std::optional<SimScheduler::Nanoseconds> SimScheduler::nextEventTime() const {
    if (agenda_.empty()) {
        return std::nullopt;
    }
    return agenda_.begin()->first.first;
}

void SimScheduler::waitUntil(Nanoseconds time) {
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

void SimScheduler::runDue() {
    while (!agenda_.empty() && agenda_.begin()->first.first <= now()) {
        auto node = agenda_.extract(agenda_.begin());
        node.mapped()();
    }
}

bool SimScheduler::runUntil(Nanoseconds deadline, const std::function<bool()>& done) {
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

bool SimScheduler::runNextEvent() {
    const auto next = nextEventTime();
    if (!next) {
        return false;
    }
    waitUntil(*next);
    runDue();
    return true;
}

}  // namespace zeltor
