#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "ui/dialog_model.h"
#include "ui/event_clock.h"
#include "ui/message_loop.h"

namespace zeltor {

namespace detail {
// Lets the dialog model be given a loop that the host owns (base classes are built first).
struct OwnedLoop {
    explicit OwnedLoop(EventClock& clock) : loop(clock) {}
    MessageLoop loop;
};
}  // namespace detail

// A dialog without a window, with a loop of its own: what the tests and benchmarks drive a
// controller with. It records every control in its model and runs the loop on the clock it is
// given (virtual time in tests, so a whole update takes milliseconds).
class HeadlessDialogHost final : private detail::OwnedLoop, public DialogModel {
public:
    explicit HeadlessDialogHost(EventClock& clock) : OwnedLoop(clock), DialogModel(loop) {}

    MessageLoop& messageLoop() { return loop; }
    void setTimerHandler(std::function<void(std::uint32_t id)> handler) {
        loop.setTimerHandler(std::move(handler));
    }
    std::function<void(std::function<void()>)> poster() { return loop.poster(); }
    bool runOnce() { return loop.runOnce(); }
    bool runUntil(const std::function<bool()>& done, std::chrono::nanoseconds limit) {
        return loop.runUntil(done, limit);
    }
    std::size_t pendingWork() const { return loop.pendingWork(); }
    bool timerRunning(std::uint32_t id) const { return loop.timerRunning(id); }
};

}  // namespace zeltor
