#include "sim/scenario/sim_world.h"

namespace zeltor {

SimWorld::SimWorld(SimHidBackend& bus, const SimScenario& scenario)
    : faults_(scenario.faults),
      dongle_(kSimDongleProfile, scenario.dongle, bus, faults_),
      headset_(kSimHeadsetProfile, scenario.headset, bus, faults_) {}

}  // namespace zeltor
