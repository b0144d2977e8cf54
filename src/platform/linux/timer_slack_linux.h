#pragma once

#include <sys/prctl.h>

namespace zeltor {

// The step timer paces transfers one packet per tick; the kernel's default 50 us of timer slack
// on every wake-up would add up over the hundreds of ticks of a transfer.
inline void tightenTimerSlack() {
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
}

}  // namespace zeltor
