#pragma once

namespace zeltor {

// A hold on the machine's sleep, taken from the login manager: while it is held, a suspend
// waits. The hold is a file descriptor the manager watches; closing it lets the machine sleep.
class SleepInhibitor {
public:
    SleepInhibitor() = default;
    ~SleepInhibitor() { release(); }
    SleepInhibitor(const SleepInhibitor&) = delete;
    SleepInhibitor& operator=(const SleepInhibitor&) = delete;

    // Takes the hold unless it is held already; false, with a trace line, where there is no
    // login manager to ask (a container, a system without one).
    bool take();
    void release();
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace zeltor
