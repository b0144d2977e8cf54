#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/c_random.h"
#include "host/host_services.h"
#include "sim/replay/replay_world.h"
#include "sim/replay/simulation_file.h"
#include "sim/scenario/sim_world.h"
#include "sim/sim_hid_backend.h"
#include "sim/sim_host_services.h"
#include "sim/sim_person.h"
#include "ui/event_clock.h"

namespace zeltor {

class CBrennicDFUDlg;

// The simulated machine a /SIMULATE run updates, whatever front end shows it: the headset and
// dongle of the scenario on a simulated HID bus (or, for a log, the recorded devices of its run),
// a host that keeps its registry and processes to itself, and the person who replugs the headset
// when asked. Only the log goes where the product writes it, the documents folder of `realHost`.
struct SimulatedMachine {
    SimulatedMachine(const SimulationFile& file, EventClock& clock, SimHidBackend::Post post,
                     HostServices& realHost);

    // The devices as the tool reaches them.
    HidBackend& hid();
    // Whether the devices now hold the images this run was to bring them, and are paired; for a
    // replay, how far the tool followed the log.
    std::string verdict();
    // The person unplugs the headset and plugs it in again, as nobody can unplug a simulated one;
    // false in a replay, where the replugs the log recorded come when they came.
    bool replugHeadset();
    // The person replugs the headset once for every failure of the dialog that asks for it; true
    // when they did. `startShown` and `workPending` as dialogRequest takes them.
    bool replugWhenAsked(const CBrennicDFUDlg& controller, bool startShown, bool workPending);

    SimHidBackend bus;
    SimHostServices host;
    CRandom random;
    std::optional<SimWorld> world;
    std::optional<SimPerson> person;
    std::unique_ptr<ReplayWorld> replay;
    // The failure count at the last replug.
    std::optional<std::uint32_t> repluggedAt;
};

}  // namespace zeltor
