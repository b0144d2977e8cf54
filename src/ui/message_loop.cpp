#include "ui/message_loop.h"

#include <algorithm>

namespace zeltor {

MessageLoop::~MessageLoop() {
    for (const auto& [id, timer] : timers_) {
        clock_.cancel(timer.event);
    }
}

bool MessageLoop::runOnce() {
    if (!queue_.empty()) {
        auto work = std::move(queue_.front());
        queue_.pop_front();
        work();
        return true;
    }
    return clock_.runNextEvent();
}

bool MessageLoop::runUntil(const std::function<bool()>& done, std::chrono::nanoseconds limit) {
    const auto deadline = clock_.now() + limit;
    while (!done()) {
        if (queue_.empty()) {
            const auto next = clock_.nextEventTime();
            if (!next || *next > deadline) {
                return false;
            }
        }
        runOnce();
    }
    return true;
}

void MessageLoop::drainPosted() {
    while (!queue_.empty()) {
        runOnce();
    }
}

void MessageLoop::post(Work work) {
    queue_.push_back(std::move(work));
}

void MessageLoop::armTimer(std::uint32_t id, EventClock::Nanoseconds delay) {
    Timer& timer = timers_[id];
    timer.due = clock_.now() + delay;
    timer.event = clock_.scheduleAt(timer.due, [this, id] {
        const auto it = timers_.find(id);
        if (it == timers_.end()) {
            return;
        }
        // Like the platform's timer messages, ticks do not pile up while one is waiting.
        if (!it->second.tickPending) {
            it->second.tickPending = true;
            const auto due = it->second.due;
            post([this, id, due] {
                const auto timer = timers_.find(id);
                if (timer == timers_.end() || !timer->second.tickPending) {
                    return;
                }
                timer->second.tickPending = false;
                if (timerHandler_) {
                    tickLateness_ = {id, clock_.now() - due};
                    timerHandler_(id);
                    tickLateness_.reset();
                }
            });
        }
        armTimer(id, std::chrono::milliseconds(timers_[id].periodMs));
    });
}

void MessageLoop::setTimer(std::uint32_t id, std::uint32_t periodMs) {
    killTimer(id);
    timers_[id] = Timer{periodMs, 0, {}, false};
    EventClock::Nanoseconds delay = std::chrono::milliseconds(periodMs);
    // A timer set again from its own tick does not add the tick's late delivery to its next
    // period: a transfer paced one packet per tick would otherwise drift by every wake-up's
    // delay. The handler's own work still counts in full.
    if (tickLateness_ && tickLateness_->first == id) {
        delay = std::max(delay - tickLateness_->second, EventClock::Nanoseconds(0));
    }
    armTimer(id, delay);
}

void MessageLoop::killTimer(std::uint32_t id) {
    const auto it = timers_.find(id);
    if (it == timers_.end()) {
        return;
    }
    clock_.cancel(it->second.event);
    timers_.erase(it);
}

}  // namespace zeltor
