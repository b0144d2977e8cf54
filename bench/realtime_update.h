#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "base/c_random.h"
#include "controller/brennic_dfu_dlg.h"
#include "sim/headless_dialog_host.h"
#include "sim/scenario/sim_world.h"
#include "sim/sim_hid_backend.h"
#include "sim/sim_host_services.h"
#include "ui/event_clock.h"

namespace zeltor::bench {

// A whole update on the wall clock against the simulated devices of a scenario, driven as a person
// would: Start is pressed when it is offered.
class RealTimeUpdate {
public:
    enum class Outcome { Finished, Failed, Stalled, TimedOut };
    using Nanoseconds = EventClock::Nanoseconds;
    // Told the time each step of the loop began and ended.
    using StepObserver = std::function<void(Nanoseconds began, Nanoseconds ended)>;

    // Default options with the MCU included; `headsetOnly` leaves out the dongle and the MCU.
    RealTimeUpdate(const SimScenario& scenario, bool headsetOnly);
    ~RealTimeUpdate();
    RealTimeUpdate(const RealTimeUpdate&) = delete;
    RealTimeUpdate& operator=(const RealTimeUpdate&) = delete;

    // Serves the loop, pressing Start when it is offered, until the update has ended, cannot go
    // on, or `limit` has passed.
    Outcome run(const StepObserver& observe, std::chrono::nanoseconds limit);

    const CBrennicDFUDlg& controller() const { return *controller_; }

private:
    EventClock scheduler_{EventClock::Mode::RealTime};
    HeadlessDialogHost dialog_{scheduler_};
    SimHidBackend bus_{scheduler_, dialog_.poster()};
    SimHostServices host_{scheduler_};
    CRandom random_;
    RunOptions options_;
    std::unique_ptr<SimWorld> world_;
    std::unique_ptr<CBrennicDFUDlg> controller_;
};

}  // namespace zeltor::bench
