#pragma once

#include <deque>
#include <functional>

#include "sim/sim_hid_backend.h"

namespace zeltor::test {

// Runs the work a backend posts to the user-interface thread when the test says so.
class PostedWork {
public:
    SimHidBackend::Post poster() {
        return [this](std::function<void()> work) { queue_.push_back(std::move(work)); };
    }
    // Runs everything posted so far, and what that posts in turn.
    void drain() {
        while (!queue_.empty()) {
            auto work = std::move(queue_.front());
            queue_.pop_front();
            work();
        }
    }
    std::size_t pending() const { return queue_.size(); }

private:
    std::deque<std::function<void()>> queue_;
};

}  // namespace zeltor::test
