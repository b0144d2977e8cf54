#include "sim/sim_person.h"

namespace zeltor {

void SimPerson::replugHeadset() {
    world_.headset().unplug();
    SimDevice& headset = world_.headset();
    clock_.scheduleAfter(kReplugPause, [&headset] { headset.plug(); });
}

}  // namespace zeltor
