#include "plan_floor.h"

namespace zeltor::bench {

std::chrono::milliseconds protocolFloor(const PacketQueue& plan, std::uint32_t stepPeriodMs) {
    std::chrono::milliseconds floor{static_cast<std::int64_t>(plan.size()) * stepPeriodMs};
    for (const DfuPacket& packet : plan) {
        if (packet.m_PacketType == PacketPause && packet.m_DelayMs > 0) {
            floor += std::chrono::milliseconds(packet.m_DelayMs);
        }
    }
    return floor;
}

}  // namespace zeltor::bench
