#include "sim/devices/sim_timers.h"

namespace zeltor {

SimTimers::~SimTimers() {
    for (const auto& [token, id] : pending_) {
        scheduler_.cancel(id);
    }
}

SimTimers::Token SimTimers::after(std::chrono::milliseconds delay, std::function<void()> event) {
    const Token token = next_++;
    pending_[token] = scheduler_.scheduleAfter(delay, [this, token, event = std::move(event)] {
        pending_.erase(token);
        event();
    });
    return token;
}

void SimTimers::cancel(Token token) {
    const auto it = pending_.find(token);
    if (it != pending_.end()) {
        scheduler_.cancel(it->second);
        pending_.erase(it);
    }
}

}  // namespace zeltor
