#include "platform/win32/timer_resolution_win32.h"

#include <mmsystem.h>

#include <utility>

#include "trace/trace_log.h"

namespace zeltor {

TimerResolutionHold::TimerResolutionHold()
    : TimerResolutionHold(PeriodCalls{[](UINT periodMs) { return timeBeginPeriod(periodMs); },
                                      [](UINT periodMs) { return timeEndPeriod(periodMs); }}) {}

TimerResolutionHold::TimerResolutionHold(PeriodCalls calls) : calls_(std::move(calls)) {}

TimerResolutionHold::~TimerResolutionHold() {
    release();
}

void TimerResolutionHold::beforeWait(DWORD timeoutMs) {
    if (timeoutMs <= kFineWaitLimitMs) {
        hold();
    } else {
        release();
    }
}

void TimerResolutionHold::hold() {
    if (held_) {
        return;
    }
    const UINT result = calls_.begin(kFinePeriodMs);
    if (result != TIMERR_NOERROR) {
        // The loop still works, only its short waits end at the system's coarser period.
        Trace("timeBeginPeriod(%u) failed: result=%u\n", kFinePeriodMs, result);
        return;
    }
    held_ = true;
}

void TimerResolutionHold::release() {
    if (!held_) {
        return;
    }
    held_ = false;
    const UINT result = calls_.end(kFinePeriodMs);
    if (result != TIMERR_NOERROR) {
        Trace("timeEndPeriod(%u) failed: result=%u\n", kFinePeriodMs, result);
    }
}

}  // namespace zeltor
