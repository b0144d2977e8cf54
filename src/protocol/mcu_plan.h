#pragma once

#include <cstdint>

#include "base/bytes.h"
#include "firmware/text_resource.h"
#include "protocol/dfu_packet.h"

namespace zeltor {

inline constexpr std::uint8_t kMCUReportId = 0x06;
inline constexpr std::size_t kMCUBlockSize = 8;
// Block addresses go out as 16 bits, so nothing beyond 64 KiB can be addressed.
inline constexpr std::size_t kMCUMaxImageSize = 0x10000;

void AppendMCUStartPacket(PacketQueue& plan);
void MakeMCUDataPacket(const std::uint8_t* block, std::uint8_t addressHigh, std::uint8_t addressLow,
                       DfuPacket& packet);
void AppendMCUFinishPackets(PacketQueue& plan, std::uint8_t imageChecksum);

// Appends the whole plan for `image`. An image that cannot be planned without reading past its
// end or wrapping the block addresses (empty, not a multiple of 8 bytes, over 64 KiB) is
// refused: a trace line, nothing appended, false.
bool BuildMCUPlan(const ByteVector& image, PacketQueue& plan);

// Empties `plan`, then plans the "TEXT" resource `id` of `module`. False, with `plan` empty,
// when the resource cannot be read or the image is refused.
bool BuildMCUPlanFromResource(ModuleHandle module, PacketQueue& plan, int id);

}  // namespace zeltor
