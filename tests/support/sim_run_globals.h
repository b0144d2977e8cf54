#pragma once

#include "app/run_options.h"
#include "base/clock.h"
#include "controller/brennic_dfu_dlg.h"
#include "trace/trace_log.h"

namespace zeltor::test {

// The process-wide state a simulated run works with: the run options at the product's defaults,
// no interrupted update read at start, and the simulation's clock for every wait and trace
// stamp. Set while it lives and put back after, so one run cannot leak into the next; a rig
// declares it before its world and controller, which are gone by the time it is.
class SimRunGlobals {
public:
    explicit SimRunGlobals(Clock& clock) {
        reset();
        setActiveClock(&clock);
        ResetTraceClock();
    }
    ~SimRunGlobals() {
        reset();
        setActiveClock(nullptr);
    }
    SimRunGlobals(const SimRunGlobals&) = delete;
    SimRunGlobals& operator=(const SimRunGlobals&) = delete;

private:
    static void reset() {
        g_RunOptions = RunOptions{};
        g_LastUpdateFailed = false;
    }
};

}  // namespace zeltor::test
