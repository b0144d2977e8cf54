#pragma once

#include <cstdint>
#include <functional>
#include <optional>
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

class CBrennicDFUDlg;

// The simulated machine a /SIMULATE run updates, whatever front end shows it: the headset and
// dongle of the scenario on a simulated HID bus, a host that keeps its registry and processes
// to itself, and the person who replugs the headset when asked. Only the log goes where the
// product writes it, the documents folder of `realHost`.
struct SimulatedMachine {
    SimulatedMachine(const SimScenario& scenario, EventClock& clock, SimHidBackend::Post post,
                     HostServices& realHost);

    // Whether the devices now hold the images this run was to bring them, and are paired.
    std::string verdict();
    // The person replugs the headset once for every failure of the dialog that asks for it, as
    // nobody can unplug a simulated one; true when they did. `startShown` and `workPending`
    // as dialogRequest takes them.
    bool replugWhenAsked(const CBrennicDFUDlg& controller, bool startShown, bool workPending);

    SimHidBackend bus;
    SimHostServices host;
    CRandom random;
    SimWorld world;
    SimPerson person;
    // The failure count at the last replug.
    std::optional<std::uint32_t> repluggedAt;
};

}  // namespace zeltor
