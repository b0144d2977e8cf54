#pragma once

#include <array>
#include <string>
#include <vector>

#include "sim/devices/bus_record.h"
#include "sim/devices/fault_injector.h"
#include "sim/devices/sim_device.h"
#include "sim/scenario/scenario.h"
#include "sim/sim_hid_backend.h"

namespace zeltor {

// The devices of a scenario on a simulated HID bus. Those plugged in at start are on the bus as
// soon as the world is built (the dongle first); the others arrive when the scenario says.
class SimWorld {
public:
    SimWorld(SimHidBackend& bus, const SimScenario& scenario);

    SimDevice& dongle() { return dongle_; }
    SimDevice& headset() { return headset_; }
    std::array<SimDevice*, 2> devices() { return {&dongle_, &headset_}; }
    // What the devices found senseless in the reports they were sent, the dongle's first.
    std::vector<std::string> deviceErrors() const;
    // A line for each time one of the scenario's faults acted.
    const std::vector<std::string>& faultsActed() const { return faults_.acted(); }
    // The world's troubles are over: no fault acts any more.
    void stopFaults() { faults_.stop(); }
    // What the devices received and when their cables went in or out, in order.
    const SimBusRecord& record() const { return record_; }

private:
    SimFaultInjector faults_;
    SimBusRecord record_;
    SimDevice dongle_;
    SimDevice headset_;
};

}  // namespace zeltor
