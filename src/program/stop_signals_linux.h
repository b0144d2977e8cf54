#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

#include <signal.h>

namespace zeltor {

// SIGINT and SIGTERM as requests to the window's loop rather than the end of the process: a
// Ctrl+C in the terminal the window was started from, or the session ending, asks to close the
// dialog, which the dialog may refuse while an update step is under way. The signals are
// blocked in this thread and in the threads started after it, and read from a signalfd.
class StopSignals {
public:
    // Blocks the signals: before Qt starts its threads, so that none of them takes one.
    StopSignals();
    // Hands them to `onStop` from the event loop, which must exist by now.
    void watch(std::function<void()> onStop);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    sigset_t previousMask_;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace zeltor
