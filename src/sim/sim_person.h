#pragma once

#include <chrono>

#include "sim/scenario/sim_world.h"
#include "ui/event_clock.h"

namespace zeltor {

// The person at the desk of a simulated run, as far as the devices go: when the dialog asks for
// a replug, the headset is unplugged and plugged in again as long after as a person takes.
class SimPerson {
public:
    static constexpr std::chrono::milliseconds kReplugPause{2000};

    SimPerson(SimWorld& world, EventClock& clock) : world_(world), clock_(clock) {}

    // Unplugs the headset now; it is back `kReplugPause` later, while the program runs on.
    void replugHeadset();

private:
    SimWorld& world_;
    EventClock& clock_;
};

}  // namespace zeltor
