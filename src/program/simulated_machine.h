#pragma once

#include <functional>
#include <string>

#include "base/c_random.h"
#include "host/host_services.h"
#include "sim/scenario/scenario.h"
#include "sim/scenario/sim_world.h"
#include "sim/sim_hid_backend.h"
#include "sim/sim_host_services.h"
#include "sim/sim_person.h"
#include "ui/event_clock.h"

namespace zeltor {

// The simulated machine a /SIMULATE run updates, whatever front end shows it: the headset and
// dongle of the scenario on a simulated HID bus, a host that keeps its registry and processes
// to itself, and the person who replugs the headset when asked. Only the log goes where the
// product writes it, the documents folder of `realHost`.
struct SimulatedMachine {
    SimulatedMachine(const SimScenario& scenario, EventClock& clock, SimHidBackend::Post post,
                     HostServices& realHost);

    // Whether the devices now hold the images this run was to bring them, and are paired.
    std::string verdict();

    SimHidBackend bus;
    SimHostServices host;
    CRandom random;
    SimWorld world;
    SimPerson person;
};

}  // namespace zeltor
