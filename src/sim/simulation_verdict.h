#pragma once

#include <string>

#include "base/bytes.h"
#include "protocol/dfu_packet.h"

namespace zeltor {

// The firmware image a plan carries: the data reports of a wireless-chip plan, or the data
// blocks of an MCU plan, in order.
ByteVector imageOfAvneraPlan(const PacketQueue& plan);
ByteVector imageOfMCUPlan(const PacketQueue& plan);

struct SimulationVerdict {
    bool good = false;
    std::string line;  // one line for people
};

class SimWorld;

// Whether each device's memory equals the image its plan carried and both hold one pairing id.
SimulationVerdict judgeSimulation(SimWorld& world, const PacketQueue& headsetPlan,
                                  const PacketQueue& donglePlan, const PacketQueue& mcuPlan,
                                  bool headsetSkipped, bool dongleSkipped, bool mcuSkipped);

}  // namespace zeltor
