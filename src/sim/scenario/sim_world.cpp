#include "sim/scenario/sim_world.h"

namespace zeltor {

SimWorld::SimWorld(SimHidBackend& bus, const SimScenario& scenario)
    : faults_(scenario.faults),
      dongle_(kSimDongleProfile, scenario.dongle, bus, faults_, record_),
      headset_(kSimHeadsetProfile, scenario.headset, bus, faults_, record_) {}

std::vector<std::string> SimWorld::deviceErrors() const {
    std::vector<std::string> errors = dongle_.errors();
    errors.insert(errors.end(), headset_.errors().begin(), headset_.errors().end());
    return errors;
}

}  // namespace zeltor
