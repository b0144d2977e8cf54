#pragma once

#include <chrono>
#include <cstdint>

#include "protocol/dfu_packet.h"

namespace zeltor::bench {

// The least time a transfer of `plan` can take: every pause the plan asks for, and one tick of
// the step timer before each packet.
std::chrono::milliseconds protocolFloor(const PacketQueue& plan, std::uint32_t stepPeriodMs);

}  // namespace zeltor::bench
