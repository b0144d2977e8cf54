#pragma once

#include <cstdint>
#include <deque>

#include "base/bytes.h"

namespace zeltor {

// The numbers are fixed by the device protocol; 3 and 4 are never produced by any builder.
enum DfuPacketType : std::int32_t {
    PacketWrite = 1,
    PacketWriteVerify = 2,
    PacketSetFeature = 5,
    PacketSetFeatureNoCheck = 6,
    PacketPause = 7,
};

// One step of a transfer plan. A plain value: queues own copies of their packets.
struct DfuPacket {
    std::int32_t m_PacketType = 0;
    std::int32_t m_DelayMs = 0;  // meaningful for PacketPause only
    ByteVector m_Request;        // byte 0 is the report id; empty in pauses
    ByteVector m_Response;       // prefix the answer must begin with; empty when none is awaited

    DfuPacket() = default;
    DfuPacket(std::int32_t type, ByteVector request)
        : m_PacketType(type), m_Request(std::move(request)) {}
    DfuPacket(std::int32_t type, ByteVector request, ByteVector response)
        : m_PacketType(type), m_Request(std::move(request)), m_Response(std::move(response)) {}
    DfuPacket(std::int32_t type, std::int32_t delayMs) : m_PacketType(type), m_DelayMs(delayMs) {}

    friend bool operator==(const DfuPacket&, const DfuPacket&) = default;
};

using PacketQueue = std::deque<DfuPacket>;

}  // namespace zeltor
