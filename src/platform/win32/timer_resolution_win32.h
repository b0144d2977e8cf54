#pragma once

#include <windows.h>

#include <functional>

namespace zeltor {

// The system timer's period as the dialog's loop needs it. Windows wakes a timed wait at its
// timer's period, about 15.6 ms unless some program asks for less, so a 10 ms step timer would
// tick every 15.6 ms and stretch every transfer by half. While the loop waits for short
// timeouts (the step timer of a transfer, a pause) a 1 ms period is held; a long wait or a wait
// for input only gives it back, so a dialog waiting at rest costs the machine nothing.
class TimerResolutionHold {
public:
    // The system's timeBeginPeriod and timeEndPeriod; a test gives its own.
    struct PeriodCalls {
        std::function<UINT(UINT periodMs)> begin;
        std::function<UINT(UINT periodMs)> end;
    };
    static constexpr UINT kFinePeriodMs = 1;
    // Waits up to this long are paced finely: the step timer runs at 10 ms unless /TIMER= says
    // otherwise, and a coarse tick would cost any period of this size several percent.
    static constexpr DWORD kFineWaitLimitMs = 1000;

    TimerResolutionHold();
    explicit TimerResolutionHold(PeriodCalls calls);
    ~TimerResolutionHold();
    TimerResolutionHold(const TimerResolutionHold&) = delete;
    TimerResolutionHold& operator=(const TimerResolutionHold&) = delete;

    // Called before each wait of the loop with its timeout (INFINITE for input only).
    void beforeWait(DWORD timeoutMs);
    bool held() const { return held_; }

private:
    void hold();
    void release();

    PeriodCalls calls_;
    bool held_ = false;
};

}  // namespace zeltor
